#include "component.h"

#include "byte_reader.h"

#include <array>

Component::Component(const DirectoryEntry& entry) : entry_(entry) {}

std::unique_ptr<Component> Component::clone() const {
    auto copy = std::make_unique<Component>(entry_);
    copy->primitives_ = primitives_;
    copy->bounds_ = bounds_;
    copy->primitiveCount_ = primitiveCount_;
    copy->recordBytes_ = recordBytes_;
    return copy;
}

namespace {

/// The primitive whose first record lies whole at `position`. A Pad or String whose second record
/// the file cuts short keeps what there is, with zeros for the rest.
Primitive readPrimitive(const ByteReader& file, std::size_t position) {
    static constexpr std::array<std::uint8_t, kRecordSize> kNoSecondRecord{};
    const auto first = *file.view<kRecordSize>(position);
    const auto kind = primitiveType(first[primitive_offset::kType]);
    if (!kind || !takesTwoRecords(*kind)) {
        return Primitive(first, kNoSecondRecord);
    }
    if (const auto second = file.view<kRecordSize>(position + kRecordSize)) {
        return Primitive(first, *second);
    }
    std::array<std::uint8_t, kRecordSize> partial{};
    file.copy(position + kRecordSize, partial);
    return Primitive(first, partial);
}

}  // namespace

void Component::addPrimitive(Primitive primitive) {
    const auto where = isDrawnAtTail(primitive) ? primitives_.end() : primitives_.begin();
    Primitive& placed = *primitives_.insert(where, primitive);
    placed.setReadOrder(primitiveCount_);
    bounds_.merge(placed.computeBounds());
    ++primitiveCount_;
    recordBytes_ += placed.recordLength();
}

void Component::readPrimitives(const ByteReader& file) {
    const std::int32_t count = entry_.primitiveCount();
    const std::int32_t firstIndex = entry_.firstRecordIndex();
    if (count <= 0 || firstIndex <= 0) return;

    // First find the records to keep, then build the list in one go: the same order repeated
    // head and tail insertions give, without moving any primitive twice.
    struct Found {
        std::size_t position;
        bool tail;
    };
    std::vector<Found> found;
    found.reserve(static_cast<std::size_t>(count));
    std::size_t position = kRecordSize * static_cast<std::size_t>(firstIndex);
    for (std::int32_t read = 0; read < count; ++read) {
        const auto first = file.view<kRecordSize>(position);
        if (!first) break;
        const std::uint8_t layer = (*first)[primitive_offset::kLayer];
        const auto kind = primitiveType((*first)[primitive_offset::kType]);
        // An unknown type takes one record and is dropped.
        const std::size_t length = kind && takesTwoRecords(*kind) ? kPrimitiveSize : kRecordSize;
        if (kind) {
            found.push_back({position, isDrawnAtTail(*kind, layer)});
            recordBytes_ += length;
        }
        position += length;
    }

    std::vector<Primitive> placed;
    placed.reserve(primitives_.size() + found.size());
    auto take = [&](const Found& f) {
        Primitive& p = placed.emplace_back(readPrimitive(file, f.position));
        bounds_.merge(p.computeBounds());
        p.setReadOrder(primitiveCount_ + static_cast<std::int32_t>(&f - found.data()));
    };
    for (auto f = found.rbegin(); f != found.rend(); ++f) {
        if (!f->tail) take(*f);
    }
    placed.insert(placed.end(), primitives_.begin(), primitives_.end());
    for (const Found& f : found) {
        if (f.tail) take(f);
    }
    primitives_ = std::move(placed);
    primitiveCount_ += static_cast<std::int32_t>(found.size());
}

std::size_t Component::writeRecords(std::span<std::uint8_t> image, std::size_t position) const {
    for (const auto& primitive : primitives_) {
        position = primitive.writeTo(image, position);
    }
    return position;
}
