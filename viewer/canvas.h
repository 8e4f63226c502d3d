#pragma once

#include <cstdint>

/// A point on the panel in pixels, x to the right and y downward.
struct PixelPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

/// A rectangle on the panel in pixels; left and top are inside, right and bottom outside.
struct PixelRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

/// A 24-bit colour, 0xRRGGBB.
using Rgb = std::uint32_t;

/// The drawing operations the viewer needs. (Placeholder; the viewer fills it in.)
class Canvas {
public:
    virtual ~Canvas() = default;
    /// Fills left/top inclusive, right/bottom exclusive; nothing when empty.
    virtual void fillRect(const PixelRect& rect, Rgb colour) = 0;
};
