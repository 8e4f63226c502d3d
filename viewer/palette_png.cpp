#include "palette_png.h"

#include <QBuffer>
#include <QVector>

namespace {

/// `image` as palette pixels of exactly its colours, or a null image when it has more than 256.
QImage withPalette(const QImage& image) {
    const QImage pixels = image.convertToFormat(QImage::Format_ARGB32);
    QImage indexed(pixels.size(), QImage::Format_Indexed8);
    QVector<QRgb> table;
    // Neighbouring pixels mostly share their colour, so the last one found is tried first.
    QRgb last = 0;
    int lastIndex = -1;
    for (int y = 0; y < pixels.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        uchar* out = indexed.scanLine(y);
        for (int x = 0; x < pixels.width(); ++x) {
            if (lastIndex < 0 || in[x] != last) {
                last = in[x];
                lastIndex = static_cast<int>(table.indexOf(last));
                if (lastIndex < 0) {
                    if (table.size() == 256) return {};
                    lastIndex = static_cast<int>(table.size());
                    table.append(last);
                }
            }
            out[x] = static_cast<uchar>(lastIndex);
        }
    }
    indexed.setColorTable(table);
    return indexed;
}

}  // namespace

QByteArray encodePng(const QImage& image) {
    const QImage indexed = withPalette(image);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!(indexed.isNull() ? image : indexed).save(&buffer, "PNG")) return {};
    return png;
}
