#include "glyph_advance.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace {

constexpr std::array<std::uint8_t, 128> makeAdvanceTable() {
    std::array<std::uint8_t, 128> table{};
    for (std::size_t code = 32; code <= 126; ++code) {
        table[code] = 6;
    }
    for (char c : {'!', '\'', ',', '.', ':', ';', 'i', '|'}) table[static_cast<std::size_t>(c)] = 2;
    for (char c : {'"', 'l'}) table[static_cast<std::size_t>(c)] = 3;
    for (char c : {'(', ')', '1', '<', 'I', '[', ']', '`', '{', '}'}) {
        table[static_cast<std::size_t>(c)] = 4;
    }
    for (char c : {'0', '>', '?', 'j', 'n'}) table[static_cast<std::size_t>(c)] = 5;
    table[static_cast<std::size_t>('&')] = 7;
    for (char c : {'V', 'W'}) table[static_cast<std::size_t>(c)] = 8;
    return table;
}

constexpr auto kAdvance = makeAdvanceTable();

}  // namespace

std::int32_t glyphAdvance(std::uint8_t code) { return kAdvance[code & 0x7F]; }

std::int32_t advanceSum(std::span<const std::uint8_t> text, std::int32_t count) {
    std::int32_t sum = 0;
    const std::size_t n =
        count > 0 ? std::min<std::size_t>(static_cast<std::size_t>(count), text.size()) : 0;
    for (std::size_t i = 0; i < n; ++i) {
        sum += glyphAdvance(text[i]);
    }
    return sum;
}
