#include "qpainter_canvas.h"

#include <QBrush>
#include <QColor>
#include <QLine>
#include <QPainter>
#include <QPoint>
#include <QPolygon>
#include <QRect>
#include <QRectF>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

namespace {

QColor toQColor(Rgb colour) { return QColor::fromRgb(colour & 0xFFFFFF); }

QPen toQPen(const Pen& pen) {
    switch (pen.kind) {
        case PenKind::Outline:
            return QPen(toQColor(pen.colour), 1);
        case PenKind::Line:
            // Qt draws width 0 as a 1-pixel cosmetic line; a negative width is taken as 0.
            return QPen(QBrush(toQColor(pen.colour)), std::max(pen.width, 0), Qt::SolidLine,
                        Qt::RoundCap, Qt::RoundJoin);
    }
    return QPen(toQColor(pen.colour), 1);
}

/// The cached Qt object of `tool`, made by `make` and stored over the oldest entry when missing.
template <typename Cache, typename Tool, typename Make>
const auto& cached(Cache& cache, const Tool& tool, Make make) {
    for (std::size_t i = 0; i < cache.filled; ++i) {
        if (cache.tools[i] == tool) return cache.qtTools[i];
    }
    const std::size_t slot = cache.next;
    cache.next = (cache.next + 1) % cache.tools.size();
    if (cache.filled < cache.tools.size()) ++cache.filled;
    cache.tools[slot] = tool;
    cache.qtTools[slot] = make(tool);
    return cache.qtTools[slot];
}

PixelRect normalised(const PixelRect& box) {
    PixelRect r = box;
    if (r.right < r.left) std::swap(r.left, r.right);
    if (r.bottom < r.top) std::swap(r.top, r.bottom);
    return r;
}

/// The direction of the ray from (cx, cy) through `p` in degrees counter-clockwise from the
/// positive x axis, as seen on the panel (whose y grows downward).
double rayAngle(double cx, double cy, PixelPoint p) {
    return std::atan2(cy - p.y, p.x - cx) * 180.0 / std::numbers::pi;
}

}  // namespace

QPainterCanvas::QPainterCanvas(QPainter& painter) : painter_(painter) {
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setPen(qtPen(pen_));
    painter_.setBrush(qtBrush(brush_));
}

const QPen& QPainterCanvas::qtPen(const Pen& pen) { return cached(pens_, pen, toQPen); }

const QBrush& QPainterCanvas::qtBrush(const Brush& brush) {
    return cached(brushes_, brush, [](const Brush& b) { return QBrush(toQColor(b.colour)); });
}

void QPainterCanvas::fillRect(const PixelRect& rect, Rgb colour) {
    if (rect.right <= rect.left || rect.bottom <= rect.top) return;
    painter_.fillRect(QRect(QPoint(rect.left, rect.top), QPoint(rect.right - 1, rect.bottom - 1)),
                      toQColor(colour));
}

Pen QPainterCanvas::selectPen(const Pen& pen) {
    Pen previous = std::exchange(pen_, pen);
    if (!(previous == pen)) painter_.setPen(qtPen(pen));
    return previous;
}

Brush QPainterCanvas::selectBrush(const Brush& brush) {
    Brush previous = std::exchange(brush_, brush);
    if (!(previous == brush)) painter_.setBrush(qtBrush(brush));
    return previous;
}

void QPainterCanvas::ellipse(const PixelRect& box) {
    const PixelRect r = normalised(box);
    if (r.right == r.left || r.bottom == r.top) return;
    // With a 1-pixel pen and no antialiasing Qt covers the rectangle's last column and row too,
    // so the rectangle ends one pixel short of the box.
    painter_.drawEllipse(QRect(QPoint(r.left, r.top), QPoint(r.right - 2, r.bottom - 2)));
}

void QPainterCanvas::polygon(std::span<const PixelPoint> points) {
    QPolygon polygon(static_cast<int>(points.size()));
    for (std::size_t i = 0; i < points.size(); ++i) {
        polygon.setPoint(static_cast<int>(i), points[i].x, points[i].y);
    }
    painter_.drawPolygon(polygon);
}

void QPainterCanvas::arc(const PixelRect& box, PixelPoint start, PixelPoint end) {
    const PixelRect r = normalised(box);
    if (r.right == r.left || r.bottom == r.top) return;
    const double cx = (static_cast<double>(r.left) + r.right) / 2;
    const double cy = (static_cast<double>(r.top) + r.bottom) / 2;
    const double from = rayAngle(cx, cy, start);
    double span = rayAngle(cx, cy, end) - from;
    while (span <= 0) span += 360;
    // QPainter angles are counter-clockwise on screen, in sixteenths of a degree.
    painter_.drawArc(QRectF(r.left, r.top, r.right - r.left, r.bottom - r.top),
                     static_cast<int>(std::lround(from * 16)),
                     static_cast<int>(std::lround(span * 16)));
}

void QPainterCanvas::moveTo(PixelPoint point) { position_ = point; }

void QPainterCanvas::lineTo(PixelPoint point) {
    // Qt draws nothing for a line of zero length, where a round pen leaves its dot.
    if (point == position_) {
        painter_.drawPoint(point.x, point.y);
    } else {
        painter_.drawLine(position_.x, position_.y, point.x, point.y);
    }
    position_ = point;
}
