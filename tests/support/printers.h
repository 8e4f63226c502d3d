#pragma once

#include "bounds.h"

#include <ostream>

// How gtest shows library values in failure messages; found by argument-dependent lookup.
inline void PrintTo(const Bounds& b, std::ostream* os) {
    *os << "{minX " << b.minX << ", maxX " << b.maxX << ", minY " << b.minY << ", maxY " << b.maxY
        << "}";
}
