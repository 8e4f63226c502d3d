#include "view_transform.h"

#include "saturate.h"

#include <algorithm>
#include <cstdint>

std::optional<ViewTransform> ViewTransform::fit(const Bounds& bounds, std::int32_t width,
                                                std::int32_t height) {
    // Sums and differences of bounds stay within 32 bits: bounds come from 16-bit fields.
    const std::int32_t w = bounds.maxX - bounds.minX;
    const std::int32_t h = bounds.maxY - bounds.minY;
    if (w <= 0 || h <= 0 || width <= 0 || height <= 0) return std::nullopt;

    ViewTransform t;
    t.clientHeight = height;
    t.clientCentreX = width / 2;
    t.clientCentreY = height / 2;
    t.compCentreX = (bounds.minX + bounds.maxX) / 2;
    t.compCentreY = (bounds.minY + bounds.maxY) / 2;
    if (w < width && h < height) {
        t.magnify = true;
        t.scale = std::min(width / w, height / h);
    } else {
        // Always one more than the quotient, so an exact fit is still reduced to half.
        t.magnify = false;
        t.scale = std::max(w / width, h / height) + 1;
    }
    return t;
}

std::int32_t ViewTransform::scaled(std::int32_t v) const {
    return magnify ? saturateToInt32(std::int64_t{v} * scale) : v / scale;
}

std::int32_t ViewTransform::deviceX(std::int32_t x) const {
    return saturateToInt32(std::int64_t{clientCentreX} +
                           scaled(saturateToInt32(std::int64_t{x} - compCentreX)));
}

std::int32_t ViewTransform::deviceY(std::int32_t y) const {
    return saturateToInt32(std::int64_t{clientHeight} - clientCentreY -
                           scaled(saturateToInt32(std::int64_t{y} - compCentreY)));
}
