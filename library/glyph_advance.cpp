#include "glyph_advance.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <string_view>

namespace {

/// Every printable code advances 6 sixths of the height, except these narrower and wider ones.
constexpr std::array<std::uint8_t, 128> makeAdvanceTable() {
    std::array<std::uint8_t, 128> table{};
    for (std::size_t code = 32; code <= 126; ++code) table[code] = 6;
    const struct {
        std::uint8_t advance;
        std::string_view characters;
    } exceptions[] = {{2, "!',.:;i|"}, {3, "\"l"}, {4, "()1<I[]`{}"},
                      {5, "0>?jn"},    {7, "&"},   {8, "VW"}};
    for (const auto& [advance, characters] : exceptions) {
        for (const char c : characters) table[static_cast<unsigned char>(c)] = advance;
    }
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
