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

}  // namespace

QFont fontFittingWidth(const QFont& font, const QStringList& texts, int width) {
    if (widestText(font, texts) <= width) return font;
    QFont fitted = font;
    // Point sizes scale with the screen's resolution; pixel sizes step through every size the
    // screen can show.
    int pixelSize = QFontInfo(font).pixelSize();
    while (pixelSize > kSmallestPixelSize) {
        fitted.setPixelSize(--pixelSize);
        if (widestText(fitted, texts) <= width) break;
    }
    return fitted;
}
