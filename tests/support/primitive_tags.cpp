#include "primitive_tags.h"

#include <cstdint>
#include <span>

namespace {
constexpr std::size_t kTagOffset = 15;
}  // namespace

Primitive tagged(Primitive p, char tag) {
    auto bytes = p.bytes();
    bytes[kTagOffset] = static_cast<std::uint8_t>(tag);
    return Primitive(
        std::span<const std::uint8_t, kRecordSize>(bytes.data(), kRecordSize),
        std::span<const std::uint8_t, kRecordSize>(bytes.data() + kRecordSize, kRecordSize));
}

std::string tags(const Component& c) {
    std::string result;
    for (const auto& p : c.primitives()) result += static_cast<char>(p.bytes()[kTagOffset]);
    return result;
}
