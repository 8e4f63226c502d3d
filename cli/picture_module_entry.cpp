// The entry points of the drawing module that `cobble` loads for `render` and `thumbnail`; see
// picture_module.h.

#include "render_command.h"
#include "thumbnail_command.h"

extern "C" __attribute__((visibility("default"))) int cobbleRender(const RenderOptions* options,
                                                                   const Console* console) {
    return static_cast<int>(runRender(*options, *console));
}

extern "C" __attribute__((visibility("default"))) int cobbleThumbnail(
    const ThumbnailOptions* options, const Console* console) {
    return static_cast<int>(runThumbnail(*options, *console));
}
