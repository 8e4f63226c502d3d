#include "recording_canvas.h"

#include <iomanip>
#include <ostream>
#include <utility>

namespace {

/// Prints a colour as #RRGGBB and leaves the stream's formatting as it was.
struct Colour {
    Rgb value;
};

std::ostream& operator<<(std::ostream& os, Colour c) {
    const auto flags = os.flags();
    const auto fill = os.fill();
    os << '#' << std::hex << std::uppercase << std::setw(6) << std::setfill('0') << c.value;
    os.flags(flags);
    os.fill(fill);
    return os;
}

}  // namespace

std::ostream& operator<<(std::ostream& os, const PixelPoint& p) {
    return os << '(' << p.x << ", " << p.y << ')';
}

std::ostream& operator<<(std::ostream& os, const PixelRect& r) {
    return os << '(' << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ')';
}

std::ostream& operator<<(std::ostream& os, const Pen& pen) {
    switch (pen.kind) {
        case PenKind::Outline:
            return os << "outline pen " << Colour{pen.colour};
        case PenKind::Line:
            return os << "line pen " << pen.width << " wide " << Colour{pen.colour};
    }
    return os << "pen of unknown kind";
}

std::ostream& operator<<(std::ostream& os, const Brush& brush) {
    return os << "brush " << Colour{brush.colour};
}

std::ostream& operator<<(std::ostream& os, const FillRectOp& op) {
    return os << "fillRect " << op.rect << ' ' << Colour{op.colour};
}

std::ostream& operator<<(std::ostream& os, const SelectPenOp& op) {
    return os << "selectPen " << op.pen;
}

std::ostream& operator<<(std::ostream& os, const SelectBrushOp& op) {
    return os << "selectBrush " << op.brush;
}

std::ostream& operator<<(std::ostream& os, const EllipseOp& op) {
    return os << "ellipse " << op.box;
}

std::ostream& operator<<(std::ostream& os, const PolygonOp& op) {
    os << "polygon";
    for (const PixelPoint& p : op.points) os << ' ' << p;
    return os;
}

std::ostream& operator<<(std::ostream& os, const ArcOp& op) {
    return os << "arc " << op.box << " from " << op.start << " to " << op.end;
}

std::ostream& operator<<(std::ostream& os, const MoveToOp& op) {
    return os << "moveTo " << op.point;
}

std::ostream& operator<<(std::ostream& os, const LineToOp& op) {
    return os << "lineTo " << op.point;
}

std::ostream& operator<<(std::ostream& os, const CanvasOp& op) {
    std::visit([&os](const auto& o) { os << o; }, op);
    return os;
}

void RecordingCanvas::fillRect(const PixelRect& rect, Rgb colour) {
    ops_.emplace_back(FillRectOp{rect, colour});
}

Pen RecordingCanvas::selectPen(const Pen& pen) {
    ops_.emplace_back(SelectPenOp{pen});
    return std::exchange(pen_, pen);
}

Brush RecordingCanvas::selectBrush(const Brush& brush) {
    ops_.emplace_back(SelectBrushOp{brush});
    return std::exchange(brush_, brush);
}

void RecordingCanvas::ellipse(const PixelRect& box) { ops_.emplace_back(EllipseOp{box}); }

void RecordingCanvas::polygon(std::span<const PixelPoint> points) {
    ops_.emplace_back(PolygonOp{{points.begin(), points.end()}});
}

void RecordingCanvas::arc(const PixelRect& box, PixelPoint start, PixelPoint end) {
    ops_.emplace_back(ArcOp{box, start, end});
}

void RecordingCanvas::moveTo(PixelPoint point) { ops_.emplace_back(MoveToOp{point}); }

void RecordingCanvas::lineTo(PixelPoint point) { ops_.emplace_back(LineToOp{point}); }
