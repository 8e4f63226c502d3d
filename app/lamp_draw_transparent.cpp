#include "lamp_draw_transparent.h"

bool drawTransparent(QPainter& painter, int x, int y, const QImage& image,
                     const QColor& keyColour) {
    if (image.isNull()) return true;

    QImage work = image.convertToFormat(QImage::Format_RGB32);
    const QRgb key = keyColour.rgb();
    const QRgb background = painter.background().color().rgb();
    for (int row = 0; row < work.height(); ++row) {
        auto* pixels = reinterpret_cast<QRgb*>(work.scanLine(row));
        for (int column = 0; column < work.width(); ++column) {
            if (pixels[column] == key) pixels[column] = background;
        }
    }

    // Source copy, not blending: the work image holds the final colour of every pixel.
    const QPainter::CompositionMode mode = painter.compositionMode();
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(x, y, work);
    painter.setCompositionMode(mode);
    return true;
}
