#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

// The fixed geometry of a library file: a 16-byte header, a directory of 200 slots of 32 bytes,
// then the record area, addressed in 16-byte records counted from the start of the file.

inline constexpr std::size_t kHeaderSize = 16;
inline constexpr std::size_t kSlotCount = 200;
inline constexpr std::size_t kSlotSize = 32;
inline constexpr std::size_t kRecordAreaOffset = kHeaderSize + kSlotCount * kSlotSize;  // 6416
inline constexpr std::size_t kRecordSize = 16;
inline constexpr std::size_t kPrimitiveSize = 2 * kRecordSize;

/// The offset of directory slot `slot`.
constexpr std::size_t slotOffset(std::size_t slot) { return kHeaderSize + kSlotSize * slot; }

/// The largest value the signed 16-bit `firstRecordIndex` of a directory entry can hold.
inline constexpr std::int32_t kMaxRecordIndex = 32767;

/// The largest primitive count the signed 16-bit `primitiveCount` of an entry can hold.
inline constexpr std::int32_t kMaxPrimitiveCount = 32767;

/// No byte past this offset can belong to any component: records start at index 32,767 at the
/// latest and a component holds at most 32,767 primitives of at most 32 bytes.
inline constexpr std::size_t kMaxUsefulFileSize =
    kRecordSize * kMaxRecordIndex + kPrimitiveSize * kMaxPrimitiveCount;

inline constexpr std::array<std::uint8_t, 13> kSignature = {'P', 'C', 'B', ' ', '4', ' ', 'L',
                                                            'I', 'B', 'R', 'A', 'R', 'Y'};

/// The 16 header bytes a save writes: 00 00 0D and the signature.
std::array<std::uint8_t, kHeaderSize> libraryHeader();

/// True when bytes 3 to 15 of `header` carry the signature exactly; bytes 0 to 2 are not looked
/// at. Fewer than 16 bytes never carry it.
bool hasLibrarySignature(std::span<const std::uint8_t> header);
