#include "kicad_strings.h"

std::string latin1ToUtf8(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size() * 2);
    for (char c : bytes) {
        const auto code = static_cast<unsigned char>(c);
        if (code < 0x80) {
            text += c;
        } else {
            text += static_cast<char>(0xC0 | (code >> 6));
            text += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return text;
}

std::string quoteKicadString(std::string_view text) {
    std::string quoted;
    quoted.reserve(text.size() + 2);
    quoted += '"';
    for (char c : text) {
        const auto code = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (c == '\n') {
            quoted += "\\n";
        } else if (c == '\r') {
            quoted += "\\r";
        } else if (code < 0x20 || code == 0x7F) {
            quoted += '\\';
            quoted += static_cast<char>('0' + (code >> 6));
            quoted += static_cast<char>('0' + ((code >> 3) & 7));
            quoted += static_cast<char>('0' + (code & 7));
        } else {
            quoted += c;
        }
    }
    quoted += '"';
    return quoted;
}
