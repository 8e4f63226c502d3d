#include "component.h"

#include "byte_reader.h"
#include "image_walk.h"

#include <algorithm>
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

void Component::addPrimitive(Primitive primitive) {
    const auto where = isDrawnAtTail(primitive) ? primitives_.end() : primitives_.begin();
    Primitive& placed = *primitives_.insert(where, primitive);
    placed.setReadOrder(primitiveCount_);
    bounds_.merge(placed.computeBounds());
    ++primitiveCount_;
    recordBytes_ += placed.recordLength();
}

void Component::readPrimitives(const ByteReader& file) {
    if (!pointsAtRecords(entry_)) return;
    // One pass over the records: each primitive is built where it is read. The list puts the
    // head primitives first in reverse read order, then those it already held, then the tail
    // ones in read order; heads are gathered at the end of the list and turned round once.
    const std::size_t held = primitives_.size();
    // The count can claim far more records than the file holds after the first.
    const std::size_t begin = kRecordSize * static_cast<std::size_t>(entry_.firstRecordIndex());
    const std::size_t fits = begin < file.size() ? (file.size() - begin) / kRecordSize : 0;
    primitives_.reserve(held + std::min(static_cast<std::size_t>(entry_.primitiveCount()), fits));
    // The tail primitives wait here; kept from one component to the next, so that loading a
    // library does not allocate for them again and again.
    thread_local std::vector<Primitive> tails;
    tails.clear();
    std::array<std::uint8_t, kRecordSize> cutShort{};
    walkRecords(file, entry_,
                [&](std::size_t position, std::span<const std::uint8_t, kRecordSize> first,
                    std::optional<PrimitiveType> kind) {
                    if (!kind) return;  // a type no component keeps is dropped
                    auto& list =
                        isDrawnAtTail(*kind, first[primitive_offset::kLayer]) ? tails : primitives_;
                    Primitive& primitive =
                        list.emplace_back(first, secondRecordAt(file, position, *kind, cutShort));
                    primitive.setReadOrder(primitiveCount_++);
                    bounds_.merge(primitive.computeBounds());
                    recordBytes_ += primitive.recordLength();
                });
    const auto heads = primitives_.begin() + static_cast<std::ptrdiff_t>(held);
    std::reverse(heads, primitives_.end());
    std::rotate(primitives_.begin(), heads, primitives_.end());
    primitives_.insert(primitives_.end(), tails.begin(), tails.end());
}

std::size_t Component::writeRecords(std::span<std::uint8_t> image, std::size_t position) const {
    for (const auto& primitive : primitives_) {
        position = primitive.writeTo(image, position);
    }
    return position;
}
