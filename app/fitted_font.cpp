#include "fitted_font.h"

#include <QFontInfo>
#include <QFontMetrics>

#include <algorithm>

namespace {

constexpr int kSmallestPixelSize = 6;

int widestText(const QFont& font, const QStringList& texts) {
    const QFontMetrics metrics(font);
    int widest = 0;
    for (const QString& text : texts) widest = std::max(widest, metrics.horizontalAdvance(text));
    return widest;
}

bool wrapsWithin(const QFont& font, const QString& text, QSize room) {
    const QRect wrapped = QFontMetrics(font).boundingRect(
        QRect(QPoint(0, 0), room), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text);
    return wrapped.width() <= room.width() && wrapped.height() <= room.height();
}

// The largest pixel size below `font`'s at which `fits` holds, or the smallest size shown.
template <typename Fits>
QFont steppedDown(const QFont& font, Fits fits) {
    if (fits(font)) return font;
    QFont fitted = font;
    // Point sizes scale with the screen's resolution; pixel sizes step through every size the
    // screen can show.
    int pixelSize = QFontInfo(font).pixelSize();
    while (pixelSize > kSmallestPixelSize) {
        fitted.setPixelSize(--pixelSize);
        if (fits(fitted)) break;
    }
    return fitted;
}

}  // namespace

QFont fontFittingWidth(const QFont& font, const QStringList& texts, int width) {
    return steppedDown(
        font, [&](const QFont& candidate) { return widestText(candidate, texts) <= width; });
}

QFont fontFittingBox(const QFont& font, const QString& text, QSize room) {
    return steppedDown(font,
                       [&](const QFont& candidate) { return wrapsWithin(candidate, text, room); });
}
