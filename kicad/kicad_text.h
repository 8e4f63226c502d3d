#pragma once

#include <cstdint>
#include <optional>

// How the viewer's Strings and KiCad's texts stand to one another, shared by the export and the
// import so that each is the other's inverse.

/// KiCad centres a text's capitals this share of the text size above the point it is given.
inline constexpr double kKicadCapCentreRise = 1.0 / 21.0;

/// A linear map from glyph space (x along the reading direction, y up the glyph) to library
/// space, as the viewer's stroke font applies it for one orientation code, with the angle and
/// mirroring KiCad gives the same text.
struct TextDirection {
    int xx, xy, yx, yy;
    int kicadAngle;
    bool mirrored;
};

/// The direction of orientation code 0 to 3 or 16 to 19; none for any other code.
std::optional<TextDirection> textDirection(std::int32_t orientation);

/// The orientation code of a KiCad text turned by `quarters` quarter turns counterclockwise (0
/// to 3), mirrored or not: the inverse of `textDirection`'s angle.
std::int32_t orientationForKicad(int quarters, bool mirrored);
