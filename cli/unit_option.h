#pragma once

#include <string>

namespace CLI {
class App;
}

/// Adds `--unit-mm X`, the length of one library unit, to a KiCad command; a text that is no
/// usable length is refused while the command line is read. `unit` keeps the text as given,
/// empty when the option is absent.
void addUnitOption(CLI::App& command, std::string& unit);
