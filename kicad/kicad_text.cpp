#include "kicad_text.h"

std::optional<TextDirection> textDirection(std::int32_t orientation) {
    switch (orientation) {
        case 0:
            return TextDirection{1, 0, 0, 1, 0, false};
        case 1:
            return TextDirection{0, -1, 1, 0, 90, false};
        case 2:
            return TextDirection{-1, 0, 0, -1, 180, false};
        case 3:
            return TextDirection{0, 1, -1, 0, 270, false};
        // KiCad mirrors a text left to right about its position and then turns it; the viewer
        // turns first, so the mirrored codes take the opposite angle.
        case 16:
            return TextDirection{-1, 0, 0, 1, 0, true};
        case 17:
            return TextDirection{0, 1, 1, 0, 270, true};
        case 18:
            return TextDirection{1, 0, 0, -1, 180, true};
        case 19:
            return TextDirection{0, -1, -1, 0, 90, true};
        default:
            return std::nullopt;
    }
}

std::int32_t orientationForKicad(int quarters, bool mirrored) {
    const int q = ((quarters % 4) + 4) % 4;
    return mirrored ? 16 + (4 - q) % 4 : q;
}
