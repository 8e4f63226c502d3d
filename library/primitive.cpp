#include "primitive.h"

#include "byte_order.h"
#include "glyph_advance.h"

#include <algorithm>
#include <cassert>
#include <cstring>

ArcFields Primitive::arc() const {
    using namespace arc_offset;
    return {signed16At(bytes_, kX), signed16At(bytes_, kY), signed16At(bytes_, kRadius),
            unsigned8At(bytes_, kQuadrantFlags), unsigned8At(bytes_, kLineWidth)};
}

FillFields Primitive::fill() const {
    using namespace fill_offset;
    return {signed16At(bytes_, kX1), signed16At(bytes_, kY1), signed16At(bytes_, kX2),
            signed16At(bytes_, kY2)};
}

PadFields Primitive::pad() const {
    using namespace pad_offset;
    return {signed16At(bytes_, kX), signed16At(bytes_, kY), signed16At(bytes_, kXSize),
            signed16At(bytes_, kYSize), unsigned8At(bytes_, kShape)};
}

TrackFields Primitive::track() const {
    using namespace track_offset;
    return {signed16At(bytes_, kX1), signed16At(bytes_, kY1), signed16At(bytes_, kX2),
            signed16At(bytes_, kY2), unsigned8At(bytes_, kWidth)};
}

StringFields Primitive::string() const {
    using namespace string_offset;
    const std::int32_t textLength = unsigned8At(bytes_, kTextLength);
    const auto count = std::min(static_cast<std::size_t>(textLength), kTextCapacity);
    return {signed16At(bytes_, kX),
            signed16At(bytes_, kY),
            signed16At(bytes_, kHeight),
            unsigned8At(bytes_, kLineWidth),
            unsigned8At(bytes_, kOrientation),
            textLength,
            std::span<const std::uint8_t>(bytes_).subspan(kText, count)};
}

ViaFields Primitive::via() const {
    using namespace via_offset;
    return {signed16At(bytes_, kX), signed16At(bytes_, kY), unsigned8At(bytes_, kDiameter),
            unsigned8At(bytes_, kHoleDiameter)};
}

namespace {

Bounds arcBounds(const ArcFields& a) {
    const std::int32_t w = a.lineWidth >> 1;
    const std::int32_t r = a.radius;
    Bounds b;
    if (a.quadrantFlags & arc_quarter::kLowerLeft) {
        b.minX = a.x - w - r;
        b.minY = a.y - w - r;
    }
    if (a.quadrantFlags & arc_quarter::kUpperLeft) {
        b.minX = a.x - w - r;
        b.maxY = a.y + w + r;
    }
    if (a.quadrantFlags & arc_quarter::kUpperRight) {
        b.maxX = a.x + w + r;
        b.maxY = a.y + w + r;
    }
    if (a.quadrantFlags & arc_quarter::kLowerRight) {
        b.maxX = a.x + w + r;
        b.minY = a.y - w - r;
    }
    // A side still at 0, whether never set or set to exactly 0, takes the centre's half width.
    if (b.minX == 0) b.minX = a.x - w;
    if (b.maxX == 0) b.maxX = a.x + w;
    if (b.minY == 0) b.minY = a.y - w;
    if (b.maxY == 0) b.maxY = a.y + w;
    return b;
}

Bounds stringBounds(const StringFields& s) {
    const std::int32_t h = s.height;
    const std::int32_t width = advanceSum(s.text, s.textLength) * (h / 6);
    const std::int32_t x = s.x;
    const std::int32_t y = s.y;
    // An orientation outside the eight piles the characters at the start point: no box.
    const auto orientation = stringOrientation(s.orientation);
    if (!orientation) return {};
    switch (*orientation) {
        case StringOrientation::Turn0:
            return {x, x + width, y, y + h};
        case StringOrientation::Turn90:
            return {x - h, x, y, y + width};
        case StringOrientation::Turn180:
            return {x - width, x, y - h, y};
        case StringOrientation::Turn270:
            return {x, x + h, y - width, y};
        case StringOrientation::Mirrored0:
            return {x - width, x, y, y + h};
        case StringOrientation::Mirrored90:
            return {x, x + h, y, y + width};
        case StringOrientation::Mirrored180:
            return {x, x + width, y - h, y};
        case StringOrientation::Mirrored270:
            return {x - h, x, y - width, y};
    }
    return {};
}

}  // namespace

Bounds Primitive::computeBounds() {
    bounds_ = Bounds{};
    const auto k = kind();
    if (!k) return bounds_;
    switch (*k) {
        case PrimitiveType::Arc:
            bounds_ = arcBounds(arc());
            break;
        case PrimitiveType::Fill: {
            const auto f = fill();
            bounds_ = {std::min(f.x1, f.x2), std::max(f.x1, f.x2), std::min(f.y1, f.y2),
                       std::max(f.y1, f.y2)};
            break;
        }
        case PrimitiveType::Pad: {
            const auto p = pad();
            const std::int32_t hx = p.xSize / 2;
            const std::int32_t hy = p.ySize / 2;
            bounds_ = {p.x - hx, p.x + hx, p.y - hy, p.y + hy};
            break;
        }
        case PrimitiveType::Track: {
            const auto t = track();
            const std::int32_t hw = t.width >> 1;
            bounds_ = {std::min(t.x1, t.x2) - hw, std::max(t.x1, t.x2) + hw,
                       std::min(t.y1, t.y2) - hw, std::max(t.y1, t.y2) + hw};
            break;
        }
        case PrimitiveType::String:
            bounds_ = stringBounds(string());
            break;
        case PrimitiveType::Via: {
            const auto v = via();
            const std::int32_t d = v.diameter >> 1;
            bounds_ = {v.x - d, v.x + d, v.y - d, v.y + d};
            break;
        }
    }
    return bounds_;
}

std::size_t Primitive::writeTo(std::span<std::uint8_t> image, std::size_t position) const {
    const std::size_t length = recordLength();
    assert(position <= image.size() && length <= image.size() - position);
    std::memcpy(image.data() + position, bytes_.data(), length);
    return position + length;
}
