#include "name_text.h"

#include <cstdint>

namespace {

bool isControl(unsigned char c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

void appendUtf8(std::string& out, unsigned char c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string nameForText(std::string_view name) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(name.size() * 2);
    for (const char ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\\') {
            out += "\\\\";
        } else if (isControl(c)) {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        } else {
            appendUtf8(out, c);
        }
    }
    return out;
}

std::optional<std::string> nameFromText(std::string_view text) {
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\\') {
            if (i + 1 < text.size() && text[i + 1] == '\\') {
                out += '\\';
                i += 2;
                continue;
            }
            if (i + 3 < text.size() && text[i + 1] == 'x') {
                const int high = hexValue(text[i + 2]);
                const int low = hexValue(text[i + 3]);
                if (high < 0 || low < 0) return std::nullopt;
                out += static_cast<char>(high * 16 + low);
                i += 4;
                continue;
            }
            return std::nullopt;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        // Two-byte UTF-8 of U+0080 to U+00FF: C2 or C3, then a continuation byte.
        if ((c == 0xC2 || c == 0xC3) && i + 1 < text.size()) {
            const auto next = static_cast<unsigned char>(text[i + 1]);
            if ((next & 0xC0) == 0x80) {
                out += static_cast<char>(((c & 0x03) << 6) | (next & 0x3F));
                i += 2;
                continue;
            }
        }
        return std::nullopt;
    }
    return out;
}
