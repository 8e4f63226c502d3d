#pragma once

#include "console.h"
#include "render_options.h"

/// Draws each component (or each named one) as the window's viewer draws it, one file per
/// component in the output folder (created when missing), each written whole or not at all.
ExitStatus runRender(const RenderOptions& options, const Console& console);
