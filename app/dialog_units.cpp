#include "dialog_units.h"

#include <QPoint>
#include <QString>

#include <cstdint>

namespace {

constexpr int kLetterCount = 52;

// value * numerator / denominator, rounded to the nearest integer with halves away from zero;
// the product is formed in 64 bits so large layouts cannot overflow.
int scaleRounded(int value, int numerator, int denominator) {
    const std::int64_t product = std::int64_t{value} * numerator;
    const std::int64_t half = denominator / 2;
    const std::int64_t rounded =
        product >= 0 ? (product + half) / denominator : (product - half) / denominator;
    return static_cast<int>(rounded);
}

}  // namespace

DialogUnits::DialogUnits(const QFontMetrics& metrics)
    : lettersWidth_(metrics.horizontalAdvance(
          QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"))),
      lineHeight_(metrics.height()) {}

int DialogUnits::x(int units) const { return scaleRounded(units, lettersWidth_, kLetterCount * 4); }

int DialogUnits::y(int units) const { return scaleRounded(units, lineHeight_, 8); }

QRect DialogUnits::rect(int left, int top, int width, int height) const {
    return QRect(QPoint(x(left), y(top)), QPoint(x(left + width) - 1, y(top + height) - 1));
}
