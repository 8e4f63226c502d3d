#pragma once

#include "console.h"

#include <string>

/// `cobble recover LIB [--restore | --discard] [--wait SECONDS]`.
struct RecoverOptions {
    std::string library;
    bool restore = false;
    bool discard = false;
    double waitSeconds = kDefaultWriteWait;
};

/// Shows the newest backup that a killed in-place save of LIB left, and what differs between the
/// library and the backup; with `restore` puts the backup back as LIB, with `discard` removes it.
/// Either way the backup is gone afterwards. Success when there is nothing to recover or the
/// choice was carried out.
ExitStatus runRecover(const RecoverOptions& options, const Console& console);
