#pragma once

#include "console.h"

#include <string>

/// `cobble diff A B [--order] [--json]`.
struct DiffOptions {
    std::string a;
    std::string b;
    bool order = false;
    bool json = false;
};

/// Compares two libraries, each given as a library file or as a library text: components added,
/// removed, renamed and changed, and for a changed one its primitives field by field. Success
/// when they are equal, Failure when they differ, Trouble when either cannot be read.
ExitStatus runDiff(const DiffOptions& options, const Console& console);
