#pragma once

#include "library_format.h"

#include <array>
#include <cstdint>
#include <string>

/// The 32-byte directory record of one component, kept byte for byte. Only the name, the
/// primitive count and the first record index are interpreted; every other byte is carried.
struct DirectoryEntry {
    std::array<std::uint8_t, kSlotSize> bytes{};

    /// The entry that marks an unused slot: zeros, with count and index both -1.
    static DirectoryEntry emptySlot();

    std::int32_t nameLength() const;
    std::int32_t primitiveCount() const;
    std::int32_t firstRecordIndex() const;
    void setPrimitiveCount(std::int32_t count);
    void setFirstRecordIndex(std::int32_t index);

    /// A slot is empty when and only when its first record index is -1.
    bool isEmpty() const { return firstRecordIndex() == -1; }

    /// The name as listed: the first `nameLength` bytes of the name field, at most 13, ending
    /// early at a zero byte. The bytes are 8-bit codes, returned unconverted.
    std::string displayName() const;

    /// True when the stored name is exactly `text`, byte for byte. Texts of length 0 or above 13
    /// never match, so a name whose `nameLength` is above 13 can never be found.
    bool nameEquals(std::string_view text) const;

    /// Whether finding by the listed name reaches this entry: a `nameLength` of 1 to 13 and no
    /// zero byte within it. Any other name is listed but can never be found.
    bool isFindableByName() const { return nameEquals(displayName()); }

    friend bool operator==(const DirectoryEntry&, const DirectoryEntry&) = default;
};
