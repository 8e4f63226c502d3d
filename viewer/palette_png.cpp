#include "palette_png.h"

#include <QBuffer>
#include <QVector>

namespace {

/// `image` as palette pixels of exactly its colours, or a null image when it has more than 256.
QImage withPalette(const QImage& image) {
    // A picture is drawn as RGB32, whose pixels read as ARGB32 once their alpha is made opaque
    // (as the conversion does), so that one is read where it is rather than copied first.
    const bool opaque = image.format() == QImage::Format_RGB32;
    const QImage pixels = opaque ? image : image.convertToFormat(QImage::Format_ARGB32);
    const QRgb alpha = opaque ? 0xff000000U : 0U;
    const int width = pixels.width();
    const int height = pixels.height();
    QImage indexed(pixels.size(), QImage::Format_Indexed8);
    QVector<QRgb> table;
    // Neighbouring pixels mostly share their colour, so the last one found is tried first.
    QRgb last = 0;
    int lastIndex = -1;
    for (int y = 0; y < height; ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        uchar* out = indexed.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const QRgb pixel = in[x] | alpha;
            if (lastIndex < 0 || pixel != last) {
                last = pixel;
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
