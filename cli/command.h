#pragma once

#include "console.h"

#include <functional>

namespace CLI {
class App;
}

/// The work a parsed subcommand stands for, run once the whole command line has been read.
using CommandRun = std::function<ExitStatus(const Console&)>;

/// Adds one subcommand to `parent`. When the command line names it, its callback sets `chosen`
/// to the run with the options as given. Each subcommand's file defines one of these.
using CommandAdder = void (*)(CLI::App& parent, CommandRun& chosen);
