#pragma once

#include "console.h"
#include "render_options.h"
#include "thumbnail_command.h"

/// The commands that draw (`render` and `thumbnail`) need Qt Gui, whose start costs every other
/// command several milliseconds and a search for D-Bus. They live in a module of their own,
/// `cobble-pictures.so`, which `cobble` loads only when one of them runs: beside the program in
/// a build folder, in `libexec/cobble/` beside the program's `bin/` once installed. These run
/// the command in that module; when it cannot be loaded, an error line says why and the status
/// is Trouble.
ExitStatus renderThroughModule(const RenderOptions& options, const Console& console);
ExitStatus thumbnailThroughModule(const ThumbnailOptions& options, const Console& console);

/// The names the module gives its commands, unmangled so that they can be looked up.
inline constexpr const char* kRenderEntry = "cobbleRender";
inline constexpr const char* kThumbnailEntry = "cobbleThumbnail";
