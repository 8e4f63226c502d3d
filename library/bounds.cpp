#include "bounds.h"

#include <algorithm>

void Bounds::merge(const Bounds& other) {
    minX = std::min(minX, other.minX);
    maxX = std::max(maxX, other.maxX);
    minY = std::min(minY, other.minY);
    maxY = std::max(maxY, other.maxY);
}
