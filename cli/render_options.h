#pragma once

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

/// The picture size of a `--size` text, "WxH" with each side 1 to 16,384 pixels; none for any
/// other text.
std::optional<std::pair<int, int>> parseSize(const std::string& text);
