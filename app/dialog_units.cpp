#include "dialog_units.h"

#include <QString>

#include <cstdint>

namespace {

// value * numerator / denominator, rounded to the nearest integer with halves away from zero;
// the product is formed in 64 bits so large layouts cannot overflow.
int scaleRounded(int value, int numerator, int denominator) {
    const std::int64_t product = std::int64_t{value} * numerator;
    const std::int64_t half = denominator / 2;
    const std::int64_t rounded =
        product >= 0 ? (product + half) / denominator : (product - half) / denominator;
    return static_cast<int>(rounded);
}

int horizontalPixels(const QFontMetrics& metrics, int units) {
    return scaleRounded(units, dialogAverageCharWidth(metrics), 4);
}

int verticalPixels(const QFontMetrics& metrics, int units) {
    return scaleRounded(units, metrics.height(), 8);
}

}  // namespace

QRect dialogUnitsToPixels(const QFontMetrics& metrics, int x, int y, int width, int height) {
    return {horizontalPixels(metrics, x), verticalPixels(metrics, y),
            horizontalPixels(metrics, width), verticalPixels(metrics, height)};
}

QSize dialogUnitsToPixels(const QFontMetrics& metrics, int width, int height) {
    return {horizontalPixels(metrics, width), verticalPixels(metrics, height)};
}

int dialogAverageCharWidth(const QFontMetrics& metrics) {
    static const QString kLetters =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return scaleRounded(metrics.horizontalAdvance(kLetters), 1, 52);
}
