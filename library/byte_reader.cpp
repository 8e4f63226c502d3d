#include "byte_reader.h"

#include <algorithm>

std::size_t ByteReader::copy(std::size_t offset, std::span<std::uint8_t> out) const {
    if (offset >= data_.size()) return 0;
    const std::size_t n = std::min(out.size(), data_.size() - offset);
    std::copy_n(data_.begin() + static_cast<std::ptrdiff_t>(offset), n, out.begin());
    return n;
}
