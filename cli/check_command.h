#pragma once

#include "console.h"

#include <string>
#include <vector>

/// `cobble check LIB... [--json]`.
struct CheckOptions {
    std::vector<std::string> libraries;
    bool json = false;
};

/// Reports, for each file, everything the loader tolerates and what a save would change, and a
/// verdict. Success when every file is a library a save keeps whole, Failure when a save would
/// lose data or a file is not a library, Trouble when a file could not be read; the worst wins.
ExitStatus runCheck(const CheckOptions& options, const Console& console);
