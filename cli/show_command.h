#pragma once

#include "console.h"

#include <string>
#include <vector>

/// `cobble show LIB [NAME...] [--json]`.
struct ShowOptions {
    std::string library;
    /// Only these components; all when empty.
    std::vector<std::string> names;
    bool json = false;
};

/// Prints each component (or each named one) of the library: name, slot, primitives by kind,
/// bounds and record bytes, in the window's list order. A name not in the library is an error
/// before anything is printed.
ExitStatus runShow(const ShowOptions& options, const Console& console);
