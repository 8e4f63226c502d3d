#include "stroke_font.h"

#include "field_codes.h"
#include "glyph_advance.h"
#include "saturate.h"
#include "tool_selection.h"

#include <algorithm>

TextOrientation decodeOrientation(std::int32_t code) {
    // Any other code draws every character upright at the start point.
    const auto orientation = stringOrientation(code);
    if (!orientation) return {false, GlyphTurn::None, 0, 0};
    switch (*orientation) {
        case StringOrientation::Turn0:
            return {false, GlyphTurn::None, 1, 0};
        case StringOrientation::Turn90:
            return {false, GlyphTurn::Quarter, 0, -1};
        case StringOrientation::Turn180:
            return {false, GlyphTurn::Half, -1, 0};
        case StringOrientation::Turn270:
            return {false, GlyphTurn::ThreeQuarters, 0, 1};
        // Mirrored drawings keep the font's y pointing down the panel; with these turns that
        // reflects the drawing of the unmirrored code about the vertical through the start point.
        case StringOrientation::Mirrored0:
            return {true, GlyphTurn::Half, -1, 0};
        case StringOrientation::Mirrored90:
            return {true, GlyphTurn::Quarter, 0, -1};
        case StringOrientation::Mirrored180:
            return {true, GlyphTurn::None, 1, 0};
        case StringOrientation::Mirrored270:
            return {true, GlyphTurn::ThreeQuarters, 0, 1};
    }
    return {false, GlyphTurn::None, 0, 0};
}

PixelPoint mapGlyphPoint(GlyphPoint point, bool mirrored, GlyphTurn turn, std::int32_t height,
                         std::int32_t x, std::int32_t y) {
    const std::int64_t gx = point.x;
    const std::int64_t gy = mirrored ? point.y : -point.y;
    std::int64_t tx = gx;
    std::int64_t ty = gy;
    switch (turn) {
        case GlyphTurn::None:
            break;
        case GlyphTurn::Quarter:
            tx = gy;
            ty = -gx;
            break;
        case GlyphTurn::Half:
            tx = -gx;
            ty = -gy;
            break;
        case GlyphTurn::ThreeQuarters:
            tx = -gy;
            ty = gx;
            break;
    }
    const std::int64_t unit = height / 6;
    return {saturateToInt32(x + tx * unit), saturateToInt32(y + ty * unit)};
}

void drawGlyph(Canvas& canvas, std::uint8_t code, std::int32_t height, bool mirrored,
               GlyphTurn turn, std::int32_t x, std::int32_t y) {
    for (const GlyphStroke& stroke : kGlyphTable[code & 0x7F].strokes) {
        const std::span<const GlyphPoint> points = stroke.drawn();
        if (points.empty()) continue;
        canvas.moveTo(mapGlyphPoint(points.front(), mirrored, turn, height, x, y));
        for (const GlyphPoint& point : points.subspan(1)) {
            canvas.lineTo(mapGlyphPoint(point, mirrored, turn, height, x, y));
        }
    }
}

void drawText(Canvas& canvas, std::span<const std::uint8_t> text, std::int32_t height,
              std::int32_t lineWidth, std::int32_t x, std::int32_t y, std::int32_t orientation,
              Rgb colour) {
    const TextOrientation o = decodeOrientation(orientation);
    const PenSelection pen(canvas, Pen::line(lineWidth, colour));
    const std::int64_t unit = height / 6;
    std::int64_t px = x;
    std::int64_t py = y;
    for (const std::uint8_t byte : text) {
        const auto code = static_cast<std::uint8_t>(byte & 0x7F);
        drawGlyph(canvas, code, height, o.mirrored, o.turn, saturateToInt32(px),
                  saturateToInt32(py));
        const std::int64_t step = glyphAdvance(code) * unit;
        px += step * o.dx;
        py += step * o.dy;
    }
}
