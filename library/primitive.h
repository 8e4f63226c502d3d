#pragma once

#include "bounds.h"
#include "library_format.h"
#include "record_layout.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>

/// The kinds of primitive a component keeps; the value is the record's `type` byte.
enum class PrimitiveType : std::uint8_t {
    Arc = 1,
    Fill = 2,
    Pad = 3,
    Track = 5,
    String = 6,
    Via = 8
};

/// The kind for a `type` byte, or none for a type no component keeps.
constexpr std::optional<PrimitiveType> primitiveType(std::uint8_t type) {
    switch (type) {
        case 1:
        case 2:
        case 3:
        case 5:
        case 6:
        case 8:
            return static_cast<PrimitiveType>(type);
        default:
            return std::nullopt;
    }
}

/// Whether a primitive of `kind` takes two consecutive records (32 bytes) in a file rather than
/// one; any type no component keeps takes one.
constexpr bool takesTwoRecords(PrimitiveType kind) {
    return kind == PrimitiveType::Pad || kind == PrimitiveType::String;
}

/// Whether a primitive of `kind` on `layer` goes to the tail of its component's list, so that it
/// is drawn after, and so over, everything else: every Via, and every Pad on the MultiLayer.
constexpr bool isDrawnAtTail(PrimitiveType kind, std::uint8_t layer) {
    return kind == PrimitiveType::Via || (kind == PrimitiveType::Pad && layer == kMultiLayer);
}

// The fields of each kind, decoded from the record bytes and widened to 32 bits: signed 16-bit
// fields with their sign, unsigned 8-bit fields as 0 to 255.

struct ArcFields {
    std::int32_t x, y, radius, quadrantFlags, lineWidth;
};

struct FillFields {
    std::int32_t x1, y1, x2, y2;
};

struct PadFields {
    std::int32_t x, y, xSize, ySize, shape;
};

struct TrackFields {
    std::int32_t x1, y1, x2, y2, width;
};

struct StringFields {
    std::int32_t x, y, height, lineWidth, orientation;
    /// The length byte as stored, 0 to 255; it may claim more than the record holds.
    std::int32_t textLength;
    /// The characters, bounded to the 13 the record holds: the first min(textLength, 13) bytes.
    std::span<const std::uint8_t> text;
};

struct ViaFields {
    std::int32_t x, y, diameter, holeDiameter;
};

/// One drawing element of a component: its 32 record bytes exactly as read, and its box.
/// For an Arc, Fill, Track or Via only bytes 0 to 15 belong to the record.
class Primitive final {
public:
    using Record = std::array<std::uint8_t, kRecordSize>;

    /// Builds a primitive from its first record and, for a Pad or String, its second.
    /// The bounds are not computed yet.
    Primitive(std::span<const std::uint8_t, kRecordSize> first,
              std::span<const std::uint8_t, kRecordSize> second) {
        std::memcpy(bytes_.data(), first.data(), kRecordSize);
        std::memcpy(bytes_.data() + kRecordSize, second.data(), kRecordSize);
    }

    const std::array<std::uint8_t, kPrimitiveSize>& bytes() const { return bytes_; }
    const Bounds& bounds() const { return bounds_; }

    std::uint8_t layer() const { return bytes_[primitive_offset::kLayer]; }
    std::uint8_t type() const { return bytes_[primitive_offset::kType]; }
    std::optional<PrimitiveType> kind() const { return primitiveType(type()); }

    /// 16 for an Arc, Fill, Track or Via, 32 for a Pad or String, 0 for any other type.
    std::size_t recordLength() const {
        const auto k = kind();
        if (!k) return 0;
        return takesTwoRecords(*k) ? kPrimitiveSize : kRecordSize;
    }

    /// Sets the bounds by the rule of the primitive's type and returns them; a type without a
    /// rule gets (0, 0, 0, 0).
    Bounds computeBounds();

    /// Copies the first `recordLength` bytes into `image` at `position` and returns the position
    /// after them. The caller sizes the image; a write past its end is a programming error.
    std::size_t writeTo(std::span<std::uint8_t> image, std::size_t position) const;

    ArcFields arc() const;
    FillFields fill() const;
    PadFields pad() const;
    TrackFields track() const;
    StringFields string() const;
    ViaFields via() const;

    /// Where the primitive stood among the kept records of its component when the component took
    /// it: 0 for the first record read (or added), 1 for the next, and so on. The list puts
    /// Vias and MultiLayer Pads at its tail, so this is the one record of the file order that
    /// survives loading; a copy keeps it. 0 until a component takes the primitive.
    std::int32_t readOrder() const { return readOrder_; }
    void setReadOrder(std::int32_t order) { readOrder_ = order; }

private:
    std::array<std::uint8_t, kPrimitiveSize> bytes_;
    Bounds bounds_;
    std::int32_t readOrder_ = 0;
};

/// `isDrawnAtTail` for a primitive of a kept kind; false for any other type.
inline bool isDrawnAtTail(const Primitive& primitive) {
    const auto kind = primitive.kind();
    return kind && isDrawnAtTail(*kind, primitive.layer());
}
