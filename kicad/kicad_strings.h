#pragma once

#include <string>
#include <string_view>

/// The 8-bit codes of a name as UTF-8, reading each byte as Latin-1 (ISO 8859-1): bytes below
/// 128 stay as they are and every byte from 128 to 255 becomes the two-byte UTF-8 form of the
/// code point of the same value, so no byte is lost and the text is valid UTF-8.
std::string latin1ToUtf8(std::string_view bytes);

/// `text` as a quoted KiCad s-expression string: `"` and `\` are escaped with a backslash,
/// newline and carriage return as `\n` and `\r`, every other control byte (and DEL) as a
/// three-digit octal escape, so that KiCad's reader gives back exactly `text`. A zero byte is
/// written as `\000` like any other control byte.
std::string quoteKicadString(std::string_view text);
