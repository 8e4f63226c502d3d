#pragma once

#include <algorithm>
#include <cstdint>

/// An axis-aligned box in library units, y growing upward. Values are never clamped.
struct Bounds {
    std::int32_t minX = 0;
    std::int32_t maxX = 0;
    std::int32_t minY = 0;
    std::int32_t maxY = 0;

    /// The box a component starts with: inverted, so that the first merge replaces every side.
    static constexpr Bounds initial() { return {32767, -32768, 32767, -32768}; }

    /// Grows this box to also cover `other`.
    void merge(const Bounds& other) {
        minX = std::min(minX, other.minX);
        maxX = std::max(maxX, other.maxX);
        minY = std::min(minY, other.minY);
        maxY = std::max(maxY, other.maxY);
    }

    friend bool operator==(const Bounds&, const Bounds&) = default;
};
