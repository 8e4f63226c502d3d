#pragma once

#include "console.h"

#include <string>
#include <vector>

/// `cobble delete LIB NAME... [--dry-run]`.
struct DeleteOptions {
    std::string library;
    std::vector<std::string> names;
    bool dryRun = false;
    /// How long to wait for another writer of LIB to finish.
    double waitSeconds = kDefaultWriteWait;
};

/// Removes the named components from the library and writes it back. Each NAME removes the
/// component the window would find by that name; a NAME with nothing left to remove means
/// nothing is written.
ExitStatus runDelete(const DeleteOptions& options, const Console& console);
