#include "kicad_units.h"

#include <cctype>
#include <cstdlib>
#include <limits>

namespace {

constexpr std::int64_t kNanometresPerMillimetre = 1'000'000;
constexpr int kDecimals = 6;

// Divides rounding half away from zero; `divisor` is positive.
std::int64_t divideRounded(std::int64_t value, std::int64_t divisor) {
    std::int64_t quotient = value / divisor;
    std::int64_t remainder = value % divisor;
    if (remainder < 0) remainder = -remainder;
    if (2 * remainder >= divisor) quotient += value < 0 ? -1 : 1;
    return quotient;
}

bool isDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

}  // namespace

std::string formatMillimetres(std::int64_t nanometres) {
    // The magnitude as unsigned, so that the most negative value does not overflow.
    std::uint64_t magnitude = nanometres < 0 ? 0 - static_cast<std::uint64_t>(nanometres)
                                             : static_cast<std::uint64_t>(nanometres);
    std::string text = nanometres < 0 ? "-" : "";
    text += std::to_string(magnitude / kNanometresPerMillimetre);
    std::uint64_t fraction = magnitude % kNanometresPerMillimetre;
    if (fraction != 0) {
        std::string digits = std::to_string(fraction);
        digits.insert(0, static_cast<std::size_t>(kDecimals) - digits.size(), '0');
        while (digits.back() == '0') digits.pop_back();
        text += '.';
        text += digits;
    }
    return text;
}

std::string formatUnits(std::int64_t units, KicadUnit unit) {
    return formatMillimetres(toNanometres(units, unit));
}

std::optional<std::int64_t> parseMillimetres(std::string_view text) {
    std::size_t at = 0;
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';

    // Collect the significant digits and where the decimal point falls among them.
    std::string digits;
    std::int64_t pointShift = 0;  // the power of ten the digit string is to be multiplied by
    bool anyDigit = false;
    bool seenPoint = false;
    for (; at < text.size(); ++at) {
        char c = text[at];
        if (isDigit(c)) {
            anyDigit = true;
            if (digits.empty() && c == '0') {
                if (seenPoint) --pointShift;
                continue;
            }
            if (digits.size() >= 19) {
                // Digits beyond what a 64-bit value holds only matter before the point.
                if (!seenPoint) ++pointShift;
                continue;
            }
            digits += c;
            if (seenPoint) --pointShift;
        } else if (c == '.' && !seenPoint) {
            seenPoint = true;
        } else {
            break;
        }
    }
    if (!anyDigit) return std::nullopt;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        ++at;
        bool negativeExponent = false;
        if (at < text.size() && (text[at] == '-' || text[at] == '+')) {
            negativeExponent = text[at++] == '-';
        }
        if (at == text.size()) return std::nullopt;
        std::int64_t exponent = 0;
        for (; at < text.size() && isDigit(text[at]); ++at) {
            if (exponent < 100'000) exponent = exponent * 10 + (text[at] - '0');
        }
        pointShift += negativeExponent ? -exponent : exponent;
    }
    if (at != text.size()) return std::nullopt;
    if (digits.empty()) return std::int64_t{0};

    // value = digits x 10^(pointShift + 6) nanometres.
    std::int64_t shift = pointShift + kDecimals;
    std::int64_t magnitude = 0;
    if (shift >= 0) {
        if (shift + static_cast<std::int64_t>(digits.size()) > 18) return std::nullopt;
        for (char c : digits) magnitude = magnitude * 10 + (c - '0');
        for (std::int64_t i = 0; i < shift; ++i) {
            if (magnitude > std::numeric_limits<std::int64_t>::max() / 10) return std::nullopt;
            magnitude *= 10;
        }
    } else {
        std::int64_t kept = static_cast<std::int64_t>(digits.size()) + shift;
        if (kept < 0) return std::int64_t{0};  // below half a nanometre
        for (std::int64_t i = 0; i < kept; ++i) magnitude = magnitude * 10 + (digits[i] - '0');
        if (kept < static_cast<std::int64_t>(digits.size()) && digits[kept] >= '5') ++magnitude;
    }
    return negative ? -magnitude : magnitude;
}

std::optional<KicadUnit> parseUnit(std::string_view millimetres) {
    auto nanometres = parseMillimetres(millimetres);
    if (!nanometres || *nanometres < 1 || *nanometres > KicadUnit::kMaxNanometres) {
        return std::nullopt;
    }
    return KicadUnit{*nanometres};
}

std::optional<std::int32_t> toLibraryUnits(std::int64_t nanometres, KicadUnit unit) {
    if (unit.nanometres <= 0) return std::nullopt;
    std::int64_t units = divideRounded(nanometres, unit.nanometres);
    if (units < std::numeric_limits<std::int16_t>::min() ||
        units > std::numeric_limits<std::int16_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(units);
}
