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
    // The count can claim far more records than the file holds after the first.
    const std::size_t begin = kRecordSize * static_cast<std::size_t>(entry_.firstRecordIndex());
    const std::size_t fits = begin < file.size() ? (file.size() - begin) / kRecordSize : 0;
    const std::size_t most = std::min(static_cast<std::size_t>(entry_.primitiveCount()), fits);
    const std::size_t held = primitives_.size();

    // One pass over the records, each primitive built where the list will hold it: the list puts
    // every new head primitive before all others and every new tail one after them, so in a
    // scratch list with room for all the records on either side of those already held, heads
    // go down from the middle and tails up from it. The filled range is then the list, copied
    // once. The scratch list is kept from one component to the next, so that loading a library
    // does not allocate it again and again; a very large one is given back afterwards.
    thread_local std::vector<Primitive> scratch;
    const std::size_t room = 2 * most + held;
    if (scratch.size() < room) {
        static constexpr std::array<std::uint8_t, kRecordSize> kZeros{};
        scratch.resize(room, Primitive(kZeros, kZeros));
    }
    Primitive* const middle = scratch.data() + most;
    std::copy(primitives_.begin(), primitives_.end(), middle);
    Primitive* front = middle;
    Primitive* back = middle + held;
    std::int32_t order = primitiveCount_;
    std::size_t bytes = recordBytes_;
    Bounds box = bounds_;
    std::array<std::uint8_t, kRecordSize> cutShort{};
    walkRecords(file, entry_,
                [&](std::size_t position, std::span<const std::uint8_t, kRecordSize> first,
                    std::optional<PrimitiveType> kind) {
                    if (!kind) return;  // a type no component keeps is dropped
                    Primitive primitive(first, secondRecordAt(file, position, *kind, cutShort));
                    primitive.setReadOrder(order++);
                    box.merge(primitive.computeBounds());
                    bytes += takesTwoRecords(*kind) ? kPrimitiveSize : kRecordSize;
                    *(isDrawnAtTail(*kind, first[primitive_offset::kLayer]) ? back++ : --front) =
                        primitive;
                });
    primitives_.assign(front, back);
    primitiveCount_ = order;
    recordBytes_ = bytes;
    bounds_ = box;
    static constexpr std::size_t kScratchKept = 4096;
    if (scratch.size() > kScratchKept) {
        scratch.clear();
        scratch.shrink_to_fit();
    }
}

std::size_t Component::writeRecords(std::span<std::uint8_t> image, std::size_t position) const {
    for (const auto& primitive : primitives_) {
        position = primitive.writeTo(image, position);
    }
    return position;
}
