#pragma once

#include "field_codes.h"

#include <cstddef>
#include <cstdint>

// Where each interpreted field sits: offsets in bytes from the start of a 32-byte directory entry
// or of a primitive's record bytes (a second record, where there is one, begins at 16). Signed
// 16-bit fields take two bytes, little-endian; the others are single unsigned bytes. Every byte
// not named here is carried unchanged.

namespace entry_offset {
inline constexpr std::size_t kNameLength = 2;
inline constexpr std::size_t kName = 3;  // 13 bytes
inline constexpr std::size_t kPrimitiveCount = 18;
inline constexpr std::size_t kFirstRecordIndex = 20;
}  // namespace entry_offset

/// The two bytes every primitive begins with.
namespace primitive_offset {
inline constexpr std::size_t kLayer = 0;
inline constexpr std::size_t kType = 1;
}  // namespace primitive_offset

namespace arc_offset {
inline constexpr std::size_t kX = 2;
inline constexpr std::size_t kY = 4;
inline constexpr std::size_t kRadius = 6;
inline constexpr std::size_t kQuadrantFlags = 8;
inline constexpr std::size_t kLineWidth = 9;
}  // namespace arc_offset

namespace fill_offset {
inline constexpr std::size_t kX1 = 2;
inline constexpr std::size_t kY1 = 4;
inline constexpr std::size_t kX2 = 6;
inline constexpr std::size_t kY2 = 8;
}  // namespace fill_offset

namespace pad_offset {
inline constexpr std::size_t kX = 2;
inline constexpr std::size_t kY = 4;
inline constexpr std::size_t kXSize = 6;
inline constexpr std::size_t kYSize = 8;
inline constexpr std::size_t kShape = 12;
}  // namespace pad_offset

namespace track_offset {
inline constexpr std::size_t kX1 = 2;
inline constexpr std::size_t kY1 = 4;
inline constexpr std::size_t kX2 = 6;
inline constexpr std::size_t kY2 = 8;
inline constexpr std::size_t kWidth = 10;
}  // namespace track_offset

namespace string_offset {
inline constexpr std::size_t kX = 2;
inline constexpr std::size_t kY = 4;
inline constexpr std::size_t kHeight = 6;
inline constexpr std::size_t kLineWidth = 8;
inline constexpr std::size_t kOrientation = 9;
inline constexpr std::size_t kTextLength = 18;
inline constexpr std::size_t kText = 19;  // 13 bytes
}  // namespace string_offset

namespace via_offset {
inline constexpr std::size_t kX = 2;
inline constexpr std::size_t kY = 4;
inline constexpr std::size_t kDiameter = 6;
inline constexpr std::size_t kHoleDiameter = 7;
}  // namespace via_offset
