#pragma once

#include "library.h"
#include "name_list.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

/// True when Debian's Python can import KiCad's pcbnew module.
bool pcbnewAvailable();

struct CheckerRun {
    int status = -1;
    /// What the checker and KiCad printed, standard output and error together.
    std::string output;
};

/// Runs tests/kicad/check_footprints.py on an expectations file.
CheckerRun runFootprintChecker(const std::filesystem::path& expectations);

/// A library, loaded from bytes made by hand, of components no sane library holds: no
/// primitives, degenerate bounds, extreme coordinates, names with bytes 128 to 255, a zero byte,
/// quotes, slashes and colons, names differing only in case, and every field out of its range.
std::unique_ptr<Library> awkwardLibrary();

/// The text of a file.
std::string readText(const std::filesystem::path& path);
