#include "qpainter_canvas.h"

#include <QColor>
#include <QPainter>

QPainterCanvas::QPainterCanvas(QPainter& painter) : painter_(painter) {
    painter_.setRenderHint(QPainter::Antialiasing, false);
}

void QPainterCanvas::fillRect(const PixelRect& rect, Rgb colour) {
    if (rect.right <= rect.left || rect.bottom <= rect.top) return;
    painter_.fillRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                      QColor::fromRgb(colour));
}
