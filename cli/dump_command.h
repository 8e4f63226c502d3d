#pragma once

#include "console.h"

#include <string>

/// `cobble dump LIB [--others-as-is]`.
struct DumpOptions {
    std::string library;
    /// Prints a file that is not a library as it is, with status 0: git runs `cobble dump` on
    /// every file its attributes name, also other programs' files of the same extension.
    bool othersAsIs = false;
};

/// Prints the library text of LIB: what the loader reads, in an order no save changes, with the
/// loader's repairs as comment lines.
ExitStatus runDump(const DumpOptions& options, const Console& console);
