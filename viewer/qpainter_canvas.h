#pragma once

#include "canvas.h"

#include <QPen>

class QPainter;

/// Draws on a QPainter (a widget or a QImage) by the canvas's pixel rules: no antialiasing,
/// rectangles and ellipses without their right column and bottom row, round caps and joins on
/// line pens, a hairline for a line pen of width 0 or less.
class QPainterCanvas final : public Canvas {
public:
    /// Turns antialiasing off and selects the default pen and brush into `painter`, which must be
    /// active and outlive this canvas.
    explicit QPainterCanvas(QPainter& painter);

    void fillRect(const PixelRect& rect, Rgb colour) override;
    Pen selectPen(const Pen& pen) override;
    Brush selectBrush(const Brush& brush) override;
    void ellipse(const PixelRect& box) override;
    void polygon(std::span<const PixelPoint> points) override;
    void arc(const PixelRect& box, PixelPoint start, PixelPoint end) override;
    void moveTo(PixelPoint point) override;
    void lineTo(PixelPoint point) override;

private:
    QPainter& painter_;
    Pen pen_;
    Brush brush_;
    PixelPoint position_;
};
