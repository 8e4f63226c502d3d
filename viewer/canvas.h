#pragma once

#include <cstdint>
#include <span>

/// A point on the panel in pixels, x to the right and y downward.
struct PixelPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;

    friend bool operator==(const PixelPoint&, const PixelPoint&) = default;
};

/// A rectangle on the panel in pixels; left and top are inside, right and bottom outside.
struct PixelRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

/// A 24-bit colour, 0xRRGGBB.
using Rgb = std::uint32_t;

enum class PenKind : std::uint8_t {
    /// A solid pen exactly 1 pixel wide, for the border of filled figures.
    Outline,
    /// A solid pen of any width with round end caps and round joins, for lines and arcs.
    Line,
};

/// A pen as selected into a canvas. A default pen is the surface's own: a black outline pen.
struct Pen {
    PenKind kind = PenKind::Outline;
    /// In pixels; always 1 for an outline pen. A line pen of width 0 or less draws a hairline.
    std::int32_t width = 1;
    Rgb colour = 0x000000;

    static constexpr Pen outline(Rgb colour) { return {PenKind::Outline, 1, colour}; }
    static constexpr Pen line(std::int32_t width, Rgb colour) {
        return {PenKind::Line, width, colour};
    }

    friend bool operator==(const Pen&, const Pen&) = default;
};

/// A solid brush as selected into a canvas. A default brush is the surface's own: white.
struct Brush {
    Rgb colour = 0xFFFFFF;

    friend bool operator==(const Brush&, const Brush&) = default;
};

/// The drawing operations the viewer needs, in panel pixels. A canvas has a selected pen, a
/// selected brush and a current position, like a platform drawing surface; figures use the
/// selected tools. The box of an ellipse or an arc with right < left or bottom < top is taken with
/// those sides swapped.
class Canvas {
public:
    virtual ~Canvas() = default;

    /// Fills the rectangle with `colour` without selecting a brush and without an outline:
    /// left and top edges included, right and bottom edges excluded; nothing when right <= left
    /// or bottom <= top.
    virtual void fillRect(const PixelRect& rect, Rgb colour) = 0;

    /// Makes `pen` the selected pen and returns the one it replaces.
    virtual Pen selectPen(const Pen& pen) = 0;
    /// Makes `brush` the selected brush and returns the one it replaces.
    virtual Brush selectBrush(const Brush& brush) = 0;

    /// A filled ellipse inscribed in `box`, outlined with the pen and filled with the brush. Like a
    /// rectangle fill it covers the columns left to right - 1 and the rows top to bottom - 1, and
    /// nothing when the box has no width or no height.
    virtual void ellipse(const PixelRect& box) = 0;

    /// A closed polygon through `points` in order, outlined with the pen and filled with the brush.
    virtual void polygon(std::span<const PixelPoint> points) = 0;

    /// The arc of the ellipse inscribed in `box` (corner to corner, not shrunk like `ellipse`),
    /// drawn with the pen counter-clockwise as seen on the panel from the ray through `start` to
    /// the ray through `end`, both rays from the centre of the box. Equal rays draw the whole
    /// ellipse.
    virtual void arc(const PixelRect& box, PixelPoint start, PixelPoint end) = 0;

    /// Sets the current position without drawing.
    virtual void moveTo(PixelPoint point) = 0;
    /// Draws a line with the pen from the current position to `point`, which becomes the current
    /// position. A line of zero length draws the pen's dot.
    virtual void lineTo(PixelPoint point) = 0;
};
