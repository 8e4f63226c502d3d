#pragma once

#include <cstdint>
#include <span>

/// The advance width, in sixths of the character height, of `code` AND 0x7F. Codes without a
/// glyph (0 to 31 and 127) advance 0. The stroke font and the String box share this table.
std::int32_t glyphAdvance(std::uint8_t code);

/// The sum of `glyphAdvance` over the first `count` characters of `text`; a count beyond the
/// text's size stops at its end, and a count of 0 or less gives 0.
std::int32_t advanceSum(std::span<const std::uint8_t> text, std::int32_t count);
