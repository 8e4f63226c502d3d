#pragma once

#include "bounds.h"

#include <cstdint>
#include <optional>

/// The one mapping from library units (y up) to panel pixels (y down) for one paint: the
/// component's centre goes to the panel's centre, and lengths are multiplied or divided by a
/// whole-number scale. Divisions truncate toward zero; results beyond 32 bits are clamped.
struct ViewTransform {
    /// True: lengths are multiplied by `scale`; false: divided by it.
    bool magnify = true;
    /// At least 1 when magnifying, at least 2 when reducing.
    std::int32_t scale = 1;
    std::int32_t clientHeight = 0;
    std::int32_t compCentreX = 0;
    std::int32_t compCentreY = 0;
    std::int32_t clientCentreX = 0;
    std::int32_t clientCentreY = 0;

    /// The largest whole-number magnification at which a component of `bounds` fits strictly
    /// inside a panel of `width` x `height` pixels, or else the smallest reduction by a divisor
    /// of at least 2 that is more than enough. None when the bounds have no width or height or
    /// the panel is empty: nothing is drawn then.
    static std::optional<ViewTransform> fit(const Bounds& bounds, std::int32_t width,
                                            std::int32_t height);

    /// A length or coordinate difference in library units, in pixels.
    std::int32_t scaled(std::int32_t v) const;
    /// The panel column of library x: the difference from the centre is scaled, then placed.
    std::int32_t deviceX(std::int32_t x) const;
    /// The panel row of library y, flipped so that library y grows up the panel.
    std::int32_t deviceY(std::int32_t y) const;
};
