#include "primitive_factory.h"

#include "byte_order.h"

#include <algorithm>
#include <array>

namespace {

using Bytes = std::array<std::uint8_t, kPrimitiveSize>;

Bytes start(std::uint8_t layer, PrimitiveType type) {
    Bytes bytes{};
    bytes[primitive_offset::kLayer] = layer;
    bytes[primitive_offset::kType] = static_cast<std::uint8_t>(type);
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
    put16(b, arc_offset::kX, x);
    put16(b, arc_offset::kY, y);
    put16(b, arc_offset::kRadius, radius);
    put8(b, arc_offset::kQuadrantFlags, quadrantFlags);
    put8(b, arc_offset::kLineWidth, lineWidth);
    return build(b);
}

Primitive makeFill(std::uint8_t layer, int x1, int y1, int x2, int y2) {
    Bytes b = start(layer, PrimitiveType::Fill);
    put16(b, fill_offset::kX1, x1);
    put16(b, fill_offset::kY1, y1);
    put16(b, fill_offset::kX2, x2);
    put16(b, fill_offset::kY2, y2);
    return build(b);
}

Primitive makePad(std::uint8_t layer, int x, int y, int xSize, int ySize, int shape) {
    Bytes b = start(layer, PrimitiveType::Pad);
    put16(b, pad_offset::kX, x);
    put16(b, pad_offset::kY, y);
    put16(b, pad_offset::kXSize, xSize);
    put16(b, pad_offset::kYSize, ySize);
    put8(b, pad_offset::kShape, shape);
    return build(b);
}

Primitive makeTrack(std::uint8_t layer, int x1, int y1, int x2, int y2, int width) {
    Bytes b = start(layer, PrimitiveType::Track);
    put16(b, track_offset::kX1, x1);
    put16(b, track_offset::kY1, y1);
    put16(b, track_offset::kX2, x2);
    put16(b, track_offset::kY2, y2);
    put8(b, track_offset::kWidth, width);
    return build(b);
}

Primitive makeString(std::uint8_t layer, int x, int y, int height, int lineWidth, int orientation,
                     std::string_view text) {
    Bytes b = start(layer, PrimitiveType::String);
    put16(b, string_offset::kX, x);
    put16(b, string_offset::kY, y);
    put16(b, string_offset::kHeight, height);
    put8(b, string_offset::kLineWidth, lineWidth);
    put8(b, string_offset::kOrientation, orientation);
    const std::size_t length = std::min(text.size(), kTextCapacity);
    put8(b, string_offset::kTextLength, static_cast<int>(length));
    std::copy_n(text.begin(), length, b.begin() + string_offset::kText);
    return build(b);
}

Primitive makeVia(std::uint8_t layer, int x, int y, int diameter, int holeDiameter) {
    Bytes b = start(layer, PrimitiveType::Via);
    put16(b, via_offset::kX, x);
    put16(b, via_offset::kY, y);
    put8(b, via_offset::kDiameter, diameter);
    put8(b, via_offset::kHoleDiameter, holeDiameter);
    return build(b);
}

DirectoryEntry makeEntry(std::string_view name, int primitiveCount, int firstRecordIndex) {
    DirectoryEntry entry;
    const std::size_t length = std::min(name.size(), kTextCapacity);
    entry.bytes[entry_offset::kNameLength] = static_cast<std::uint8_t>(length);
    std::copy_n(name.begin(), length, entry.bytes.begin() + entry_offset::kName);
    entry.setPrimitiveCount(primitiveCount);
    entry.setFirstRecordIndex(firstRecordIndex);
    return entry;
}
