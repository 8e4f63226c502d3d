#pragma once

#include "console.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

enum class PictureFormat { Png, Svg };

/// `cobble render LIB [NAME...] --format png|svg [--size WxH] --out DIR`.
struct RenderOptions {
    std::string library;
    std::vector<std::string> names;
    PictureFormat format = PictureFormat::Png;
    /// The window's viewer panel, in pixels.
    int width = 517;
    int height = 463;
    std::string outDirectory;
};

/// Draws each component (or each named one) as the window's viewer draws it, one file per
/// component in the output folder (created when missing), each written whole or not at all.
ExitStatus runRender(const RenderOptions& options, const Console& console);

/// The picture size of a `--size` text, "WxH" with each side 1 to 16,384 pixels; none for any
/// other text.
std::optional<std::pair<int, int>> parseSize(const std::string& text);
