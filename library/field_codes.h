#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

// What the coded fields of a record mean: layer numbers, Pad shapes, Arc quarters and String
// orientations, and how many characters a text field holds. The loader, the check, the viewer
// and the KiCad exchange all name these codes from here. A byte outside the codes named here is
// carried unchanged; each user says what it does with one.

/// The bytes a component name or a String text field holds, whatever its length byte says: the
/// one limit on the length of a name.
inline constexpr std::size_t kTextCapacity = 13;

// Layer numbers, the `layer` byte of every primitive. A well-formed library uses 1 to 13; the
// viewer's palette has colours for 0 to 47.
inline constexpr std::uint8_t kTopLayer = 1;  ///< top copper
inline constexpr std::uint8_t kFirstInnerLayer = 2;
inline constexpr std::uint8_t kLastInnerLayer = 5;
inline constexpr std::uint8_t kBottomLayer = 6;    ///< bottom copper
inline constexpr std::uint8_t kTopOverlay = 7;     ///< top silkscreen
inline constexpr std::uint8_t kBottomOverlay = 8;  ///< bottom silkscreen
inline constexpr std::uint8_t kGroundPlane = 9;    ///< no meaning in a footprint
inline constexpr std::uint8_t kPowerPlane = 10;    ///< no meaning in a footprint
inline constexpr std::uint8_t kBoardLayer = 11;    ///< the board's outline
inline constexpr std::uint8_t kKeepOutLayer = 12;  ///< where nothing may be routed
/// A Pad on it goes through every copper layer and is drawn after everything else, and every
/// Via takes its colour whatever its own layer byte says.
inline constexpr std::uint8_t kMultiLayer = 13;

/// Whether `layer` is one of the 13 layers of a board.
constexpr bool isBoardLayer(std::uint8_t layer) {
    return layer >= kTopLayer && layer <= kMultiLayer;
}

/// Whether `layer` carries copper: the top, inner and bottom layers and the MultiLayer.
constexpr bool isCopperLayer(std::uint8_t layer) {
    return (layer >= kTopLayer && layer <= kBottomLayer) || layer == kMultiLayer;
}

/// A Pad's `shape` byte.
enum class PadShape : std::uint8_t {
    Round = 1,      ///< a circle of diameter xSize; ySize plays no part
    Rectangle = 2,  ///< xSize by ySize
    Octagon = 3,    ///< a rectangle with its corners cut at a fifth of each side
    Rounded = 4,    ///< an oblong with round ends along its longer side; a circle when square
};

/// The shape of a `shape` byte, or none for a code that is not drawn.
constexpr std::optional<PadShape> padShape(std::int32_t code) {
    if (code < 1 || code > 4) return std::nullopt;
    return static_cast<PadShape>(code);
}

/// The bits of an Arc's `quadrantFlags`, one per quarter of its circle, y pointing up. The bit
/// `1 << q` is the quarter from 90q to 90(q + 1) degrees counter-clockwise from the positive x
/// axis; the upper four bits of the byte mean nothing.
namespace arc_quarter {
inline constexpr std::int32_t kUpperRight = 1;
inline constexpr std::int32_t kUpperLeft = 2;
inline constexpr std::int32_t kLowerLeft = 4;
inline constexpr std::int32_t kLowerRight = 8;
/// All four quarters: the whole circle. Also the mask of the bits that mean something.
inline constexpr std::int32_t kAll = 15;

/// The bit of quarter `q`, 0 to 3 counter-clockwise from the upper right.
constexpr std::int32_t bit(int q) { return 1 << q; }
}  // namespace arc_quarter

/// A String's `orientation` byte: 0 to 3 turn the text counter-clockwise by quarters, and 16 to
/// 19 are those four mirrored about the vertical through the start point, so that each reads
/// the other way.
enum class StringOrientation : std::uint8_t {
    Turn0 = 0,         ///< upright, reading to the right
    Turn90 = 1,        ///< a quarter turn, reading upward
    Turn180 = 2,       ///< upside down, reading to the left
    Turn270 = 3,       ///< three quarters, reading downward
    Mirrored0 = 16,    ///< Turn0 mirrored: reading to the left
    Mirrored90 = 17,   ///< Turn90 mirrored: reading upward
    Mirrored180 = 18,  ///< Turn180 mirrored: reading to the right
    Mirrored270 = 19,  ///< Turn270 mirrored: reading downward
};

/// The bit that marks a mirrored orientation code.
inline constexpr std::int32_t kMirroredOrientation = 16;

/// The orientation of an `orientation` byte, or none for a code outside the eight.
constexpr std::optional<StringOrientation> stringOrientation(std::int32_t code) {
    if ((code >= 0 && code <= 3) || (code >= 16 && code <= 19)) {
        return static_cast<StringOrientation>(code);
    }
    return std::nullopt;
}

/// The code of the orientation turned by `quarterTurns` (taken modulo 4) quarters
/// counter-clockwise, mirrored or not.
constexpr std::int32_t orientationCode(int quarterTurns, bool mirrored) {
    return (mirrored ? kMirroredOrientation : 0) + (((quarterTurns % 4) + 4) % 4);
}
