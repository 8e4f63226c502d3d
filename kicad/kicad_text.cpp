#include "kicad_text.h"

#include "field_codes.h"

std::optional<TextDirection> textDirection(std::int32_t orientation) {
    const auto code = stringOrientation(orientation);
    if (!code) return std::nullopt;
    switch (*code) {
        case StringOrientation::Turn0:
            return TextDirection{1, 0, 0, 1, 0, false};
        case StringOrientation::Turn90:
            return TextDirection{0, -1, 1, 0, 90, false};
        case StringOrientation::Turn180:
            return TextDirection{-1, 0, 0, -1, 180, false};
        case StringOrientation::Turn270:
            return TextDirection{0, 1, -1, 0, 270, false};
        // KiCad mirrors a text left to right about its position and then turns it; the viewer
        // turns first, so the mirrored codes take the opposite angle.
        case StringOrientation::Mirrored0:
            return TextDirection{-1, 0, 0, 1, 0, true};
        case StringOrientation::Mirrored90:
            return TextDirection{0, 1, 1, 0, 270, true};
        case StringOrientation::Mirrored180:
            return TextDirection{1, 0, 0, -1, 180, true};
        case StringOrientation::Mirrored270:
            return TextDirection{0, -1, -1, 0, 90, true};
    }
    return std::nullopt;
}

std::int32_t orientationForKicad(int quarters, bool mirrored) {
    // Mirroring before the turn, as KiCad does, reverses the sense of the turn.
    return orientationCode(mirrored ? -quarters : quarters, mirrored);
}
