#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>

/// `value` limited to the range of a signed 32-bit integer, so that sums and products formed in
/// 64 bits from extreme field values come back to 32 bits without wrapping.
constexpr std::int32_t saturateToInt32(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}
