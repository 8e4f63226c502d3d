#include "name_order.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

/// The simple case folding of a Latin-1 character, as a Unicode code point: the capitals of
/// A to Z and of the accented range fold to their small letters, and the micro sign folds to the
/// Greek small mu, which places it after every Latin-1 letter.
std::uint32_t foldLatin1(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return c + 0x20u;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20u;
    if (c == 0xB5) return 0x03BCu;
    return c;
}

}  // namespace

int compareNamesIgnoringCase(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const std::uint32_t x = foldLatin1(static_cast<unsigned char>(a[i]));
        const std::uint32_t y = foldLatin1(static_cast<unsigned char>(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}
