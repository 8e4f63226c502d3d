#include "primitive_factory.h"

#include "byte_order.h"

#include <algorithm>
#include <array>

namespace {

using Bytes = std::array<std::uint8_t, kPrimitiveSize>;

Bytes start(std::uint8_t layer, PrimitiveType type) {
    Bytes bytes{};
    bytes[0] = layer;
    bytes[1] = static_cast<std::uint8_t>(type);
    return bytes;
}

void put8(Bytes& bytes, std::size_t offset, int value) {
    bytes[offset] = static_cast<std::uint8_t>(value & 0xFF);
}

void put16(Bytes& bytes, std::size_t offset, int value) { putSigned16(bytes, offset, value); }

Primitive build(const Bytes& bytes) {
    return Primitive(
        std::span<const std::uint8_t, kRecordSize>(bytes.data(), kRecordSize),
        std::span<const std::uint8_t, kRecordSize>(bytes.data() + kRecordSize, kRecordSize));
}

}  // namespace

Primitive makeArc(std::uint8_t layer, int x, int y, int radius, int quadrantFlags, int lineWidth) {
    Bytes b = start(layer, PrimitiveType::Arc);
    put16(b, 2, x);
    put16(b, 4, y);
    put16(b, 6, radius);
    put8(b, 8, quadrantFlags);
    put8(b, 9, lineWidth);
    return build(b);
}

Primitive makeFill(std::uint8_t layer, int x1, int y1, int x2, int y2) {
    Bytes b = start(layer, PrimitiveType::Fill);
    put16(b, 2, x1);
    put16(b, 4, y1);
    put16(b, 6, x2);
    put16(b, 8, y2);
    return build(b);
}

Primitive makePad(std::uint8_t layer, int x, int y, int xSize, int ySize, int shape) {
    Bytes b = start(layer, PrimitiveType::Pad);
    put16(b, 2, x);
    put16(b, 4, y);
    put16(b, 6, xSize);
    put16(b, 8, ySize);
    put8(b, 12, shape);
    return build(b);
}

Primitive makeTrack(std::uint8_t layer, int x1, int y1, int x2, int y2, int width) {
    Bytes b = start(layer, PrimitiveType::Track);
    put16(b, 2, x1);
    put16(b, 4, y1);
    put16(b, 6, x2);
    put16(b, 8, y2);
    put8(b, 10, width);
    return build(b);
}

Primitive makeString(std::uint8_t layer, int x, int y, int height, int lineWidth, int orientation,
                     std::string_view text) {
    Bytes b = start(layer, PrimitiveType::String);
    put16(b, 2, x);
    put16(b, 4, y);
    put16(b, 6, height);
    put8(b, 8, lineWidth);
    put8(b, 9, orientation);
    const std::size_t length = std::min<std::size_t>(text.size(), 13);
    put8(b, 18, static_cast<int>(length));
    std::copy_n(text.begin(), length, b.begin() + 19);
    return build(b);
}

Primitive makeVia(std::uint8_t layer, int x, int y, int diameter, int holeDiameter) {
    Bytes b = start(layer, PrimitiveType::Via);
    put16(b, 2, x);
    put16(b, 4, y);
    put8(b, 6, diameter);
    put8(b, 7, holeDiameter);
    return build(b);
}

DirectoryEntry makeEntry(std::string_view name, int primitiveCount, int firstRecordIndex) {
    DirectoryEntry entry;
    const std::size_t length = std::min<std::size_t>(name.size(), 13);
    entry.bytes[2] = static_cast<std::uint8_t>(length);
    std::copy_n(name.begin(), length, entry.bytes.begin() + 3);
    entry.setPrimitiveCount(primitiveCount);
    entry.setFirstRecordIndex(firstRecordIndex);
    return entry;
}
