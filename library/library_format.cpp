#include "library_format.h"

#include <algorithm>

std::array<std::uint8_t, kHeaderSize> libraryHeader() {
    std::array<std::uint8_t, kHeaderSize> header{0x00, 0x00, 0x0D};
    std::copy(kSignature.begin(), kSignature.end(), header.begin() + 3);
    return header;
}

bool hasLibrarySignature(std::span<const std::uint8_t> header) {
    return header.size() >= kHeaderSize &&
           std::equal(kSignature.begin(), kSignature.end(), header.begin() + 3);
}
