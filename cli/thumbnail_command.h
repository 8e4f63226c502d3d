#pragma once

#include "console.h"

#include <optional>
#include <string>

/// `cobble thumbnail [--size N] [--component NAME] LIB OUTPUT`.
struct ThumbnailOptions {
    std::string library;
    std::string output;
    /// The side of the square picture in pixels, 1 to `kMaxThumbnailSide`.
    int size = 128;
    /// One component to draw alone; none draws the library.
    std::optional<std::string> component;
};

/// Larger thumbnails than a file manager's largest (1024) serve no one.
inline constexpr int kMaxThumbnailSide = 4096;

/// Writes a square PNG with a transparent background to OUTPUT, whole or not at all: the
/// library's components in the window's list order, as many as stay legible (see
/// `ThumbnailLayout`), or the one named component filling the square, each drawn as the window
/// draws it. Components that draw nothing are left out. A file that cannot be read, is not a
/// library, holds nothing to draw, or lacks the named component gives no picture and an error
/// line; a file manager then shows the file type's icon instead.
ExitStatus runThumbnail(const ThumbnailOptions& options, const Console& console);
