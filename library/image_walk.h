#pragma once

#include "byte_reader.h"
#include "directory_entry.h"
#include "library_format.h"
#include "primitive.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>

// How a file image is read: the directory slot by slot, then the records each entry points at.
// Every read is bounds-checked and nothing is built here; the loader builds its components on
// this walk, and the check looks at the same bytes in the same way, so the two cannot disagree
// about what a file holds.

/// Calls `onSlot(slot, entry)` for every directory slot that lies whole in the file, empty or
/// not, in slot order, and returns the first slot the file cuts short: `kSlotCount` when it cuts
/// none. That slot, and every slot after it, is taken as empty.
template <typename OnSlot>
std::size_t walkDirectory(const ByteReader& file, OnSlot&& onSlot) {
    for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
        const auto bytes = file.view<kSlotSize>(slotOffset(slot));
        if (!bytes) return slot;
        DirectoryEntry entry;
        std::memcpy(entry.bytes.data(), bytes->data(), kSlotSize);
        onSlot(slot, static_cast<const DirectoryEntry&>(entry));
    }
    return kSlotCount;
}

/// Whether `entry` points at records at all: a count and a first index both above 0. Any other
/// entry stands for a component without primitives.
inline bool pointsAtRecords(const DirectoryEntry& entry) {
    return entry.primitiveCount() > 0 && entry.firstRecordIndex() > 0;
}

/// Where the records of one entry lie, as `walkRecords` read them.
struct RecordRun {
    /// The offset of the first record.
    std::size_t begin = 0;
    /// The offset after the last record read. Past the end of the file when the last is a Pad
    /// or String whose second record the file cuts short.
    std::size_t end = 0;
    /// Records read, of kept types or not: fewer than the entry counts when the file ends first.
    std::int32_t read = 0;
};

/// Walks the records `entry` points at: `primitiveCount` of them from `firstRecordIndex` on,
/// stopping early where a first record would not lie whole in the file. Calls
/// `onRecord(position, first, kind)` for each, with its first 16 bytes and its kind, none for a
/// type no component keeps. A kept Pad or String takes two records, even when the file cuts the
/// second short; every other record, of a kept type or not, takes one. An entry that does not
/// point at records gives an empty run.
template <typename OnRecord>
RecordRun walkRecords(const ByteReader& file, const DirectoryEntry& entry, OnRecord&& onRecord) {
    RecordRun run;
    if (!pointsAtRecords(entry)) return run;
    const std::int32_t count = entry.primitiveCount();
    run.begin = kRecordSize * static_cast<std::size_t>(entry.firstRecordIndex());
    std::size_t position = run.begin;
    for (; run.read < count; ++run.read) {
        const auto first = file.view<kRecordSize>(position);
        if (!first) break;
        const std::optional<PrimitiveType> kind = primitiveType((*first)[primitive_offset::kType]);
        onRecord(position, *first, kind);
        position += kind && takesTwoRecords(*kind) ? kPrimitiveSize : kRecordSize;
    }
    run.end = position;
    return run;
}

/// The second record of the primitive of `kind` whose first record lies whole at `position`: the
/// file's bytes when they lie whole in it; for a Pad or String whose second record the file cuts
/// short, `buffer` filled with what there is and zeros for the rest; zeros for the other kinds,
/// which have no second record.
inline std::span<const std::uint8_t, kRecordSize> secondRecordAt(
    const ByteReader& file, std::size_t position, PrimitiveType kind,
    std::array<std::uint8_t, kRecordSize>& buffer) {
    static constexpr std::array<std::uint8_t, kRecordSize> kNoRecord{};
    if (!takesTwoRecords(kind)) return kNoRecord;
    if (const auto whole = file.view<kRecordSize>(position + kRecordSize)) return *whole;
    buffer.fill(0);
    file.copy(position + kRecordSize, buffer);
    return buffer;
}
