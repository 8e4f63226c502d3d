#pragma once

#include "canvas.h"

#include <cstdint>
#include <string>

/// Writes every drawing operation as one SVG element, in the panel's pixel coordinates, so a
/// paint becomes a vector picture that matches the one QPainterCanvas rasterises: rectangle
/// fills and ellipses cover the same columns and rows (right and bottom excluded), filled figures
/// carry the selected pen as their outline, line pens have round caps and joins, a line pen of
/// width 0 or less is a 1-pixel hairline, and arcs run counter-clockwise as seen on the panel.
/// Selecting a tool and moving the position write nothing. Numbers are written without regard
/// to the locale, so the same paint always gives the same bytes.
class SvgCanvas final : public Canvas {
public:
    /// A picture of `width` x `height` pixels (negative sizes are taken as 0).
    SvgCanvas(int width, int height);

    void fillRect(const PixelRect& rect, Rgb colour) override;
    Pen selectPen(const Pen& pen) override;
    Brush selectBrush(const Brush& brush) override;
    void ellipse(const PixelRect& box) override;
    void polygon(std::span<const PixelPoint> points) override;
    void arc(const PixelRect& box, PixelPoint start, PixelPoint end) override;
    void moveTo(PixelPoint point) override;
    void lineTo(PixelPoint point) override;

    /// The whole document: the XML declaration, the svg element with its size and view box, and
    /// one element per drawing operation so far, in order.
    std::string document() const;

private:
    void appendStroke(std::string& out) const;
    /// The selected pen's width in pixels, 1 for a hairline.
    std::int32_t strokeWidth() const;
    /// How far a stroke's points lie right of and below their integer pixel coordinates.
    double strokeOffset() const;

    int width_;
    int height_;
    std::string body_;
    Pen pen_;
    Brush brush_;
    PixelPoint position_;
};
