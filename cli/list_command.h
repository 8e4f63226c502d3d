#pragma once

#include "console.h"

#include <string>
#include <vector>

/// `cobble list DIR... [--recursive] [--json]`.
struct ListOptions {
    std::vector<std::string> directories;
    bool recursive = false;
    bool json = false;
};

/// Prints the library files of each directory, found by their signature as Locate Directory
/// finds them. A folder that cannot be listed is reported and the others are still listed.
ExitStatus runList(const ListOptions& options, const Console& console);
