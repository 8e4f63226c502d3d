#pragma once

#include "console.h"

#include <string>
#include <vector>

/// `cobble copy SRC NAME... --to DEST [--dry-run]`.
struct CopyOptions {
    std::string source;
    std::vector<std::string> names;
    std::string destination;
    bool dryRun = false;
    /// How long to wait for another writer of DEST to finish.
    double waitSeconds = kDefaultWriteWait;
};

/// Copies the named components of SRC into DEST (created when missing) by the window's rule,
/// one after another in the order given: refused when DEST already holds 200 components or a
/// component of exactly that name. Any refusal or missing name means nothing is written at all.
ExitStatus runCopy(const CopyOptions& options, const Console& console);
