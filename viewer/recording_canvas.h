#pragma once

#include "canvas.h"

#include <iosfwd>
#include <variant>
#include <vector>

// One struct per canvas operation, holding the values it was given. They compare by value and
// print themselves, so a test that compares recordings shows the operation that differs.

struct FillRectOp {
    PixelRect rect;
    Rgb colour = 0;
    friend bool operator==(const FillRectOp&, const FillRectOp&) = default;
};

struct SelectPenOp {
    Pen pen;
    friend bool operator==(const SelectPenOp&, const SelectPenOp&) = default;
};

struct SelectBrushOp {
    Brush brush;
    friend bool operator==(const SelectBrushOp&, const SelectBrushOp&) = default;
};

struct EllipseOp {
    PixelRect box;
    friend bool operator==(const EllipseOp&, const EllipseOp&) = default;
};

struct PolygonOp {
    std::vector<PixelPoint> points;
    friend bool operator==(const PolygonOp&, const PolygonOp&) = default;
};

struct ArcOp {
    PixelRect box;
    PixelPoint start;
    PixelPoint end;
    friend bool operator==(const ArcOp&, const ArcOp&) = default;
};

struct MoveToOp {
    PixelPoint point;
    friend bool operator==(const MoveToOp&, const MoveToOp&) = default;
};

struct LineToOp {
    PixelPoint point;
    friend bool operator==(const LineToOp&, const LineToOp&) = default;
};

using CanvasOp = std::variant<FillRectOp, SelectPenOp, SelectBrushOp, EllipseOp, PolygonOp, ArcOp,
                              MoveToOp, LineToOp>;

std::ostream& operator<<(std::ostream& os, const PixelPoint& p);
std::ostream& operator<<(std::ostream& os, const PixelRect& r);
std::ostream& operator<<(std::ostream& os, const Pen& pen);
std::ostream& operator<<(std::ostream& os, const Brush& brush);
std::ostream& operator<<(std::ostream& os, const FillRectOp& op);
std::ostream& operator<<(std::ostream& os, const SelectPenOp& op);
std::ostream& operator<<(std::ostream& os, const SelectBrushOp& op);
std::ostream& operator<<(std::ostream& os, const EllipseOp& op);
std::ostream& operator<<(std::ostream& os, const PolygonOp& op);
std::ostream& operator<<(std::ostream& os, const ArcOp& op);
std::ostream& operator<<(std::ostream& os, const MoveToOp& op);
std::ostream& operator<<(std::ostream& os, const LineToOp& op);
std::ostream& operator<<(std::ostream& os, const CanvasOp& op);

/// A canvas that draws nothing and keeps every call with its values, in order, for tests and for
/// replaying a paint elsewhere. It tracks the selected pen and brush as a drawing surface does.
class RecordingCanvas final : public Canvas {
public:
    void fillRect(const PixelRect& rect, Rgb colour) override;
    Pen selectPen(const Pen& pen) override;
    Brush selectBrush(const Brush& brush) override;
    void ellipse(const PixelRect& box) override;
    void polygon(std::span<const PixelPoint> points) override;
    void arc(const PixelRect& box, PixelPoint start, PixelPoint end) override;
    void moveTo(PixelPoint point) override;
    void lineTo(PixelPoint point) override;

    const std::vector<CanvasOp>& ops() const { return ops_; }
    const Pen& pen() const { return pen_; }
    const Brush& brush() const { return brush_; }
    void clear() { ops_.clear(); }

private:
    std::vector<CanvasOp> ops_;
    Pen pen_;
    Brush brush_;
};
