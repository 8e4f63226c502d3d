#pragma once

#include "command.h"
#include "console.h"

#include <string>
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

void addRenderCommand(CLI::App& parent, CommandRun& chosen);
