#include "thumbnail_command.h"

#include "component.h"
#include "file_io.h"
#include "library_input.h"
#include "library_thumbnail.h"
#include "palette_png.h"

#include <QImage>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

/// The components to draw, or an empty list after the error line that says why there are none.
std::vector<const Component*> componentsToDraw(const LoadedLibrary& loaded,
                                               const ThumbnailOptions& options,
                                               const Console& console) {
    std::vector<const Component*> drawn;
    if (options.component) {
        const ComponentChoice picked = chooseComponents(loaded, {*options.component});
        if (!picked.problems.empty()) {
            console.error(options.library, picked.problems.front());
            return {};
        }
        // Of two components with that name (or a pattern's), the first in list order, as the
        // window shows it.
        drawn.push_back(picked.components.front());
    } else {
        drawn = componentsInListOrder(loaded);
    }
    std::erase_if(drawn, [](const Component* component) { return !drawsSomething(*component); });
    if (drawn.empty()) {
        console.error(options.library,
                      options.component ? "the component draws nothing" : "no component to draw");
    }
    return drawn;
}

}  // namespace

ExitStatus runThumbnail(const ThumbnailOptions& options, const Console& console) {
    const LibraryRead read = readLibraryOrReport(options.library, console);
    if (!read.loaded) return read.failure.status;
    const std::vector<const Component*> drawn = componentsToDraw(*read.loaded, options, console);
    if (drawn.empty()) return ExitStatus::Failure;

    // No Qt application: the painters draw only lines and shapes, which need no platform, and a
    // file manager starts one process per file, so Qt's start would be most of its cost.
    const QImage image = renderThumbnail(drawn, options.size);
    const QByteArray png = encodePng(image);
    if (png.isEmpty()) {
        console.error(options.output, "the picture could not be encoded as PNG");
        return ExitStatus::Failure;
    }
    const SaveResult saved =
        writeFileAtomically(options.output, std::vector<std::uint8_t>(png.begin(), png.end()));
    if (!saved) {
        console.error(options.output, saved.reason);
        return ExitStatus::Failure;
    }
    return ExitStatus::Success;
}
