#include "save_layout.h"

#include "byte_reader.h"
#include "image_walk.h"
#include "library_format.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

DirectoryEntry savedEntry(const DirectoryEntry& entry, std::int32_t primitiveCount,
                          std::size_t recordPosition) {
    DirectoryEntry saved = entry;
    saved.setPrimitiveCount(primitiveCount);
    saved.setFirstRecordIndex(static_cast<std::int32_t>(recordPosition / kRecordSize));
    return saved;
}

SaveResult checkSlotCount(std::size_t componentCount) {
    if (componentCount <= kSlotCount) return SaveResult::success();
    return SaveResult::failure("the library holds " + std::to_string(componentCount) +
                               " components; a library file has room for 200");
}

SaveResult checkPlacement(std::string_view name, std::int32_t primitiveCount,
                          std::size_t recordPosition) {
    if (recordPosition / kRecordSize > static_cast<std::size_t>(kMaxRecordIndex)) {
        return SaveResult::failure(
            "the library is too large for a library file: the records of \"" + std::string(name) +
            "\" would start beyond record 32,767");
    }
    if (primitiveCount > kMaxPrimitiveCount) {
        return SaveResult::failure("the component \"" + std::string(name) +
                                   "\" has more than 32,767 primitives");
    }
    return SaveResult::success();
}

namespace {

/// Compares a save's bytes with the image one piece after another, in the order the save writes
/// them, and remembers where the first piece differs.
class SaveComparison {
public:
    explicit SaveComparison(std::span<const std::uint8_t> image) : image_(image), file_(image) {}

    /// Whether the entry written in the next slot is the image's.
    bool sameEntry(const DirectoryEntry& entry) {
        const std::size_t offset = slotOffset(slot_++);
        return file_.has(offset, kSlotSize) &&
               std::memcmp(image_.data() + offset, entry.bytes.data(), kSlotSize) == 0;
    }

    /// Whether the record written at byte `at` is the image's. A record written where the
    /// image holds it is the image's, unless the image cuts it short.
    bool sameRecord(const ImageRecord& record, std::size_t at) const {
        if (!file_.has(at, record.length)) return false;
        if (at == record.position) return true;
        const auto first = *file_.view<kRecordSize>(record.position);
        const auto kind = *primitiveType(first[primitive_offset::kType]);
        std::array<std::uint8_t, kRecordSize> cutShort{};
        const Primitive written(first, secondRecordAt(file_, record.position, kind, cutShort));
        return std::memcmp(image_.data() + at, written.bytes().data(), record.length) == 0;
    }

    std::size_t slot() const { return slot_; }

private:
    std::span<const std::uint8_t> image_;
    ByteReader file_;
    std::size_t slot_ = 0;
};

std::int32_t keptCount(const ImageComponent& component) {
    return static_cast<std::int32_t>(component.records.size());
}

}  // namespace

SaveResult SavePrediction::checkWritable() const {
    if (auto fits = checkSlotCount(components_.size()); !fits) return fits;
    // The list holds the components in reverse slot order.
    std::size_t position = kRecordAreaOffset;
    for (auto c = components_.rbegin(); c != components_.rend(); ++c) {
        if (auto placed = checkPlacement(c->entry.displayName(), keptCount(*c), position);
            !placed) {
            return placed;
        }
        position += c->recordBytes;
    }
    return SaveResult::success();
}

std::optional<std::size_t> SavePrediction::firstSaveDifference() const {
    return difference(Order::Reversed);
}

std::optional<std::size_t> SavePrediction::secondSaveDifference() const {
    return difference(Order::AsFiled);
}

std::optional<std::size_t> SavePrediction::difference(Order order) const {
    const auto header = libraryHeader();
    if (image_.size() < kHeaderSize ||
        std::memcmp(image_.data(), header.data(), kHeaderSize) != 0) {
        return 0;
    }
    SaveComparison comparison(image_);
    std::size_t position = kRecordAreaOffset;
    // Each component's entry, then its records in the order the save writes them; the first
    // piece that differs is where the save first differs.
    auto compare = [&](const ImageComponent& c) -> std::optional<std::size_t> {
        const std::size_t slot = comparison.slot();
        if (!comparison.sameEntry(savedEntry(c.entry, keptCount(c), position))) {
            return slotOffset(slot);
        }
        auto write = [&](const ImageRecord& record) {
            const bool same = comparison.sameRecord(record, position);
            const std::size_t at = position;
            position += record.length;
            return same ? std::nullopt : std::optional<std::size_t>(at);
        };
        if (order == Order::Reversed) {
            for (auto r = c.records.rbegin(); r != c.records.rend(); ++r) {
                if (r->tail) continue;
                if (auto at = write(*r)) return at;
            }
        } else {
            for (const ImageRecord& r : c.records) {
                if (r.tail) continue;
                if (auto at = write(r)) return at;
            }
        }
        for (const ImageRecord& r : c.records) {
            if (!r.tail) continue;
            if (auto at = write(r)) return at;
        }
        return std::nullopt;
    };
    if (order == Order::Reversed) {
        for (auto c = components_.rbegin(); c != components_.rend(); ++c) {
            if (auto at = compare(*c)) return at;
        }
    } else {
        for (const ImageComponent& c : components_) {
            if (auto at = compare(c)) return at;
        }
    }
    const DirectoryEntry empty = DirectoryEntry::emptySlot();
    while (comparison.slot() < kSlotCount) {
        const std::size_t slot = comparison.slot();
        if (!comparison.sameEntry(empty)) return slotOffset(slot);
    }
    if (image_.size() != position) return std::min(image_.size(), position);
    return std::nullopt;
}
