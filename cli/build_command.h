#pragma once

#include "console.h"

#include <string>

/// `cobble build TEXT --to LIB [--replace] [--dry-run]`.
struct BuildOptions {
    std::string text;
    std::string library;
    /// Starts from an empty library instead of LIB's components (LIB must be a library file).
    bool replace = false;
    bool dryRun = false;
    /// How long to wait for another writer of the library to finish.
    double waitSeconds = kDefaultWriteWait;
};

/// Adds the components of a library text to LIB (created when missing) by the rules of a copy:
/// at most 200 components, no name LIB already holds exactly, records within reach of the
/// format. A fault in the text or any refusal means nothing is written.
ExitStatus runBuild(const BuildOptions& options, const Console& console);
