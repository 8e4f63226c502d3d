#include "unit_option.h"

#include "kicad_units.h"

#include <CLI/CLI.hpp>

void addUnitOption(CLI::App& command, std::string& unit) {
    command
        .add_option("--unit-mm", unit,
                    "the length of one library unit in millimetres (default 0.0254, one mil)")
        ->type_name("X")
        ->check([](const std::string& text) {
            return parseUnit(text) ? std::string()
                                   : "expected a length from 0.000001 to 1000 mm: " + text;
        });
}
