#pragma once

#include "canvas.h"
#include "glyph_table.h"

#include <cstdint>
#include <span>

/// How far every glyph point is turned counter-clockwise on the panel.
enum class GlyphTurn : std::uint8_t { None, Quarter, Half, ThreeQuarters };

/// What a String's orientation code means for its drawing: whether the glyphs are reflected,
/// how they are turned, and the direction (dx, dy) in which the pen moves after each character,
/// in panel pixels (dy = -1 is up the panel).
struct TextOrientation {
    bool mirrored = false;
    GlyphTurn turn = GlyphTurn::None;
    std::int32_t dx = 0;
    std::int32_t dy = 0;

    friend bool operator==(const TextOrientation&, const TextOrientation&) = default;
};

/// Codes 0 to 3 read right, up, left and down; 16 to 19 are their mirror images about the
/// vertical through the start point. Any other code draws every character upright at the start
/// point.
TextOrientation decodeOrientation(std::int32_t code);

/// Draws `text` with the stroke font, every byte in order (a zero byte does not end it), with
/// one line pen of `lineWidth` pixels and `colour`, selected for the whole text and then put
/// back. `height` is the character height in pixels; a font unit is height / 6, truncated, so
/// a height from -5 to 5 draws every point on the start point. (x, y) is where the first glyph's
/// origin is placed. Bytes 128 to 255 draw as the code 128 lower; codes 0 to 31 and 127 draw
/// nothing and do not move the pen.
void drawText(Canvas& canvas, std::span<const std::uint8_t> text, std::int32_t height,
              std::int32_t lineWidth, std::int32_t x, std::int32_t y, std::int32_t orientation,
              Rgb colour);

/// Draws the strokes of `code` AND 0x7F with the selected pen, the glyph's origin at (x, y).
void drawGlyph(Canvas& canvas, std::uint8_t code, std::int32_t height, bool mirrored,
               GlyphTurn turn, std::int32_t x, std::int32_t y);

/// The panel point of glyph point `point` for a glyph whose origin is at (x, y): y flipped unless
/// mirrored, then turned, then multiplied by the unit height / 6, then moved to (x, y).
PixelPoint mapGlyphPoint(GlyphPoint point, bool mirrored, GlyphTurn turn, std::int32_t height,
                         std::int32_t x, std::int32_t y);
