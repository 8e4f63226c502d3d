#pragma once

#include "canvas.h"

#include <QBrush>
#include <QPen>

#include <array>
#include <cstddef>

class QPainter;

/// Draws on a QPainter (a widget or a QImage) by the canvas's pixel rules: no antialiasing,
/// rectangles and ellipses without their right column and bottom row, round caps and joins on
/// line pens, a hairline for a line pen of width 0 or less.
class QPainterCanvas final : public Canvas {
public:
    /// Turns antialiasing off and selects the default pen and brush into `painter`, which must be
    /// active and outlive this canvas. While the canvas is in use, its pen and brush are the
    /// painter's: the canvas skips selecting a tool the painter already holds.
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
    /// The Qt objects of the last few pens and brushes: a paint uses only a handful, and building
    /// a QPen or QBrush allocates.
    template <typename Tool, typename QtTool, std::size_t N>
    struct ToolCache {
        std::array<Tool, N> tools{};
        std::array<QtTool, N> qtTools{};
        std::size_t filled = 0;
        std::size_t next = 0;
    };

    const QPen& qtPen(const Pen& pen);
    const QBrush& qtBrush(const Brush& brush);

    QPainter& painter_;
    ToolCache<Pen, QPen, 8> pens_;
    ToolCache<Brush, QBrush, 8> brushes_;
    Pen pen_;
    Brush brush_;
    PixelPoint position_;
};
