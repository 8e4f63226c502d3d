#include "component.h"

#include "byte_reader.h"

#include <array>

Component::Component(const DirectoryEntry& entry) : entry_(entry) {}

std::unique_ptr<Component> Component::clone() const {
    auto copy = std::make_unique<Component>(entry_);
    copy->primitives_ = primitives_;
    copy->bounds_ = bounds_;
    copy->primitiveCount_ = primitiveCount_;
    return copy;
}

namespace {

bool placedAtTail(const Primitive& primitive) {
    const auto kind = primitive.kind();
    return kind == PrimitiveType::Via ||
           (kind == PrimitiveType::Pad && primitive.layer() == kMultiLayer);
}

}  // namespace

void Component::addPrimitive(Primitive primitive) {
    bounds_.merge(primitive.computeBounds());
    if (placedAtTail(primitive)) {
        primitives_.push_back(primitive);
    } else {
        primitives_.push_front(primitive);
    }
    ++primitiveCount_;
}

void Component::readPrimitives(const ByteReader& file) {
    const std::int32_t count = entry_.primitiveCount();
    const std::int32_t firstIndex = entry_.firstRecordIndex();
    if (count <= 0 || firstIndex <= 0) return;

    std::size_t position = kRecordSize * static_cast<std::size_t>(firstIndex);
    for (std::int32_t read = 0; read < count; ++read) {
        std::array<std::uint8_t, kRecordSize> first{};
        std::array<std::uint8_t, kRecordSize> second{};
        if (file.copy(position, first) < kRecordSize) return;
        position += kRecordSize;
        const auto kind = primitiveType(first[1]);
        if (kind == PrimitiveType::Pad || kind == PrimitiveType::String) {
            file.copy(position, second);
            position += kRecordSize;
        }
        if (kind) {
            addPrimitive(Primitive(first, second));
        }
    }
}

std::size_t Component::recordBytes() const {
    std::size_t sum = 0;
    for (const auto& primitive : primitives_) {
        sum += primitive.recordLength();
    }
    return sum;
}

std::size_t Component::writeRecords(std::span<std::uint8_t> image, std::size_t position) const {
    for (const auto& primitive : primitives_) {
        position = primitive.writeTo(image, position);
    }
    return position;
}
