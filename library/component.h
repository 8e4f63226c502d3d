#pragma once

#include "bounds.h"
#include "directory_entry.h"
#include "primitive.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

class ByteReader;

/// One footprint: its directory entry, its primitives in drawing order and their joint box.
/// A component has identity (the viewer and the window refer to it), so it is never copied by
/// accident; `clone` is the one way to copy it.
class Component final {
public:
    explicit Component(const DirectoryEntry& entry);
    Component(const Component&) = delete;
    Component& operator=(const Component&) = delete;

    /// A new component with this one's entry, primitive count, bounds and primitives in the same
    /// order; the primitives' bounds are copied, not recomputed.
    std::unique_ptr<Component> clone() const;

    const DirectoryEntry& entry() const { return entry_; }

    /// The primitives in drawing order, head first.
    const std::vector<Primitive>& primitives() const { return primitives_; }

    /// The union of the primitives' boxes; `Bounds::initial()` while there are none.
    const Bounds& bounds() const { return bounds_; }

    std::int32_t primitiveCount() const { return primitiveCount_; }

    /// Takes a primitive of a kept type: computes its box, places it at the tail when it is a
    /// Via or a MultiLayer Pad and at the head otherwise, counts it and merges its box.
    void addPrimitive(Primitive primitive);

    /// Reads the records the entry points at from `file`: `primitiveCount` primitives from
    /// `firstRecordIndex` on, dropping records of unknown type and stopping early at the end of
    /// the file. A Pad or String whose second record is cut short keeps zeros for the missing
    /// bytes.
    void readPrimitives(const ByteReader& file);

    /// The name as listed, 8-bit codes unconverted (see `DirectoryEntry::displayName`).
    std::string displayName() const { return entry_.displayName(); }

    /// The bytes the primitives take in the record area, kept as primitives come in so that
    /// sizing a save does not walk them.
    std::size_t recordBytes() const { return recordBytes_; }

    /// Writes the records in list order from `position` on and returns the position after them.
    std::size_t writeRecords(std::span<std::uint8_t> image, std::size_t position) const;

private:
    DirectoryEntry entry_;
    std::vector<Primitive> primitives_;
    Bounds bounds_ = Bounds::initial();
    std::int32_t primitiveCount_ = 0;
    std::size_t recordBytes_ = 0;
};
