#pragma once

#include "console.h"

/// Parses the command line of `cobble` and runs the subcommand it names. Usage errors give one
/// line on the error stream and Trouble; `--help` prints the help to the output stream. Never
/// throws.
ExitStatus runCobble(int argc, const char* const* argv, const Console& console);
