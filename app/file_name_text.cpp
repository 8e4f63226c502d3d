#include "file_name_text.h"

#include <cstddef>

namespace {

/// The length of the valid UTF-8 sequence at the start of `bytes`, or 0 when it starts with a
/// byte no such sequence does: a stray continuation byte, a truncated or overlong sequence, a
/// surrogate or a code point above U+10FFFF.
std::size_t utf8SequenceLength(std::string_view bytes) {
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = at(0);
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;   // overlong below U+0800
        if (lead == 0xED) high = 0x9F;  // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;   // overlong below U+10000
        if (lead == 0xF4) high = 0x8F;  // above U+10FFFF
    } else {
        return 0;
    }
    if (bytes.size() < length) return 0;
    if (at(1) < low || at(1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (at(i) < 0x80 || at(i) > 0xBF) return 0;
    }
    return length;
}

}  // namespace

QString fileNameText(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    std::size_t i = 0;
    while (i < bytes.size()) {
        const std::size_t length = utf8SequenceLength(bytes.substr(i));
        if (length == 0) {
            const auto byte = static_cast<unsigned char>(bytes[i]);
            text += QStringLiteral("\\x");
            text += QLatin1Char(kHex[byte >> 4]);
            text += QLatin1Char(kHex[byte & 0x0F]);
            ++i;
        } else if (bytes[i] == '\\') {
            text += QStringLiteral("\\\\");
            ++i;
        } else {
            text += QString::fromUtf8(bytes.data() + i, static_cast<qsizetype>(length));
            i += length;
        }
    }
    return text;
}
