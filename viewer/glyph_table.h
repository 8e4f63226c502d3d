#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

/// A point of a glyph in font units: x to the right, y up, the origin on the baseline at the
/// glyph's left. Capitals span y = 0 to 6; one unit is a sixth of the character height. The
/// coordinates are 16-bit numbers: an 8-bit type would be a character type, which arithmetic on
/// it should not have to second-guess.
struct GlyphPoint {
    std::int16_t x = 0;
    std::int16_t y = 0;

    friend bool operator==(const GlyphPoint&, const GlyphPoint&) = default;
};

inline constexpr std::size_t kGlyphSlots = 4;
inline constexpr std::size_t kMaxStrokePoints = 16;
inline constexpr std::size_t kGlyphCount = 128;

/// One open polyline of a glyph, stored as the index of its last point and its points. A slot
/// whose last index is 0 or less is empty and draws nothing, so a lone point is never drawn.
struct GlyphStroke {
    std::int32_t lastIndex = 0;
    std::array<GlyphPoint, kMaxStrokePoints> points{};

    constexpr bool isEmpty() const { return lastIndex <= 0; }
    constexpr std::span<const GlyphPoint> drawn() const {
        return isEmpty() ? std::span<const GlyphPoint>()
                         : std::span<const GlyphPoint>(points.data(),
                                                       static_cast<std::size_t>(lastIndex) + 1);
    }
};

/// The strokes of one character code, in the order they are drawn.
struct Glyph {
    std::array<GlyphStroke, kGlyphSlots> strokes{};
};

using GlyphTable = std::array<Glyph, kGlyphCount>;

namespace glyph_table_detail {

/// The strokes of one character as text: strokes separated by ';', points as "x,y" separated
/// by blanks, in drawing order.
struct GlyphSource {
    char code;
    std::string_view strokes;
};

// Malformed text throws, which stops the compilation since the table is built as a constant.
constexpr std::int16_t parseNumber(std::string_view text, std::size_t& at) {
    bool negative = false;
    if (at < text.size() && text[at] == '-') {
        negative = true;
        ++at;
    }
    if (at >= text.size() || text[at] < '0' || text[at] > '9') throw "digit expected";
    int value = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
        value = value * 10 + (text[at] - '0');
        ++at;
    }
    return static_cast<std::int16_t>(negative ? -value : value);
}

constexpr Glyph parseGlyph(std::string_view text) {
    Glyph glyph;
    std::size_t slot = 0;
    std::size_t count = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        if (text[at] == ' ') {
            ++at;
        } else if (text[at] == ';') {
            ++at;
            glyph.strokes[slot].lastIndex = static_cast<std::int32_t>(count) - 1;
            if (++slot == kGlyphSlots) throw "too many strokes";
            count = 0;
        } else {
            if (count == kMaxStrokePoints) throw "too many points";
            GlyphPoint& p = glyph.strokes[slot].points[count++];
            p.x = parseNumber(text, at);
            if (at >= text.size() || text[at] != ',') throw "comma expected";
            ++at;
            p.y = parseNumber(text, at);
        }
    }
    glyph.strokes[slot].lastIndex = static_cast<std::int32_t>(count) - 1;
    return glyph;
}

inline constexpr GlyphSource kSources[] = {
    {'!', "0,0 0,1; 0,2 0,6"},
    {'"', "0,4 0,6; 1,4 1,6"},
    {'#', "1,0 1,6; 3,0 3,6; 0,2 4,2; 0,4 4,4"},
    {'$', "0,1 3,1 4,2 3,3 1,3 0,4 1,5 4,5; 2,0 2,6"},
    {'%', "0,0 0,1 4,5 4,6; 3,0 4,0 4,1 3,1 3,0; 0,5 1,5 1,6 0,6 0,5"},
    {'&', "4,0 0,4 0,5 1,6 2,5 2,4 0,2 0,1 1,0 2,0 4,2"},
    {'\'', "0,4 0,6"},
    {'(', "2,0 0,2 0,4 2,6"},
    {')', "0,0 2,2 2,4 0,6"},
    {'*', "0,1 4,5; 2,1 2,5; 4,1 0,5; 0,3 4,3"},
    {'+', "2,1 2,5; 0,3 4,3"},
    {',', "-1,-1 0,0 0,1"},
    {'-', "0,3 4,3"},
    {'.', "0,0 0,1"},
    {'/', "0,0 0,1 4,5 4,6"},
    {'0', "1,0 2,0 3,1 3,5 2,6 1,6 0,5 0,1 1,0"},
    {'1', "0,0 2,0; 1,0 1,6 0,5"},
    {'2', "4,0 0,0 0,2 1,3 3,3 4,4 4,5 3,6 1,6 0,5"},
    {'3', "0,1 1,0 3,0 4,1 4,2 3,3 4,4 4,5 3,6 1,6 0,5; 2,3 3,3"},
    {'4', "3,0 3,6 0,3 0,2 4,2"},
    {'5', "0,1 1,0 3,0 4,1 4,3 3,4 0,4 0,6 4,6"},
    {'6', "0,3 3,3 4,2 4,1 3,0 1,0 0,1 0,4 2,6 3,6"},
    {'7', "0,0 0,1 4,5 4,6 0,6"},
    {'8', "1,3 0,2 0,1 1,0 3,0 4,1 4,2 3,3 1,3 0,4 0,5 1,6 3,6 4,5 4,4 3,3"},
    {'9', "1,0 2,0 4,2 4,5 3,6 1,6 0,5 0,4 1,3 4,3"},
    {':', "0,1 0,2; 0,3 0,4"},
    {';', "-1,-1 0,0 0,2; 0,3 0,4"},
    {'<', "2,0 -1,3 2,6"},
    {'=', "0,2 4,2; 0,4 4,4"},
    {'>', "0,0 3,3 0,6"},
    {'?', "2,0 2,1; 2,2 2,3 3,4 3,5 2,6 1,6 0,5"},
    {'@', "2,1 2,2 1,3 0,2 0,1 1,0 3,0 4,1 4,5 3,6 1,6 0,5"},
    {'A', "0,0 0,2 2,6 4,2 4,0; 0,2 4,2"},
    {'B', "0,0 3,0 4,1 4,2 3,3 4,4 4,5 3,6 0,6; 1,0 1,6; 1,3 3,3"},
    {'C', "4,1 3,0 1,0 0,1 0,5 1,6 3,6 4,5"},
    {'D', "0,0 3,0 4,1 4,5 3,6 0,6; 1,0 1,6"},
    {'E', "4,0 0,0 0,6 4,6; 0,3 2,3"},
    {'F', "0,0 0,6 4,6; 0,3 2,3"},
    {'G', "3,3 4,3 4,0 1,0 0,1 0,5 1,6 4,6"},
    {'H', "0,0 0,6; 4,0 4,6; 0,3 4,3"},
    {'I', "0,0 2,0; 1,0 1,6; 0,6 2,6"},
    {'J', "0,1 1,0 3,0 4,1 4,6"},
    {'K', "0,0 0,6; 0,3 1,3; 4,0 1,3 4,6"},
    {'L', "4,0 0,0 0,6"},
    {'M', "0,0 0,6 2,2 4,6 4,0"},
    {'N', "0,0 0,6 4,2; 4,0 4,6"},
    {'O', "0,0 0,6 4,6 4,0 0,0"},
    {'P', "0,0 0,6 3,6 4,5 4,4 3,3 0,3"},
    {'Q', "0,1 0,5 1,6 3,6 4,5 4,2 2,0 1,0 0,1; 2,2 4,0"},
    {'R', "0,0 0,6 3,6 4,5 3,3 0,3 1,3; 1,3 4,0"},
    {'S', "0,1 1,0 3,0 4,1 0,5 1,6 3,6 4,5"},
    {'T', "2,0 2,6; 0,6 4,6"},
    {'U', "0,6 0,1 1,0 3,0 4,1 4,6"},
    {'V', "0,6 3,0 6,6"},
    {'W', "0,6 0,1 1,0 3,2 5,0 6,1 6,6; 3,2 3,3"},
    {'X', "0,0 0,1 4,5 4,6; 4,0 4,1 0,5 0,6"},
    {'Y', "0,6 0,5 2,3 4,5 4,6; 2,0 2,3"},
    {'Z', "4,0 0,0 0,1 4,5 4,6 0,6"},
    {'[', "2,0 0,0 0,6 2,6"},
    {'\\', "4,0 4,1 0,5 0,6"},
    {']', "0,0 2,0 2,6 0,6"},
    {'^', "2,0 2,6; 0,4 2,6 4,4"},
    {'_', "0,-1 4,-1"},
    {'`', "2,4 0,6"},
    {'a', "4,0 3,1 2,0 1,0 0,1 0,3 1,4 2,4 3,3 3,1"},
    {'b', "0,2 2,4 3,4 4,3 4,1 3,0 2,0 0,2; 0,0 0,6"},
    {'c', "4,0 1,0 0,1 0,3 1,4 4,4"},
    {'d', "4,2 2,0 1,0 0,1 0,3 1,4 2,4 4,2; 4,0 4,6"},
    {'e', "3,0 1,0 0,1 0,3 1,4 3,4 4,3 3,2 0,2"},
    {'f', "1,0 1,5 2,6 3,6 4,5; 0,3 3,3"},
    {'g', "0,-1 1,-2 3,-2 4,-1 4,3 3,4 1,4 0,3 0,1 1,0 4,0"},
    {'h', "4,0 4,3 3,4 2,4 0,2; 0,0 0,6"},
    {'i', "0,0 0,3; 0,4 0,5"},
    {'j', "0,-1 1,-2 2,-2 3,-1 3,3; 3,4 3,5"},
    {'k', "4,0 2,2 4,4; 0,2 2,2; 0,0 0,6"},
    {'l', "1,0 0,1 0,6"},
    {'m', "0,0 0,4; 0,3 1,4 2,3 2,2; 2,3 3,4 4,3 4,0"},
    {'n', "0,0 0,4; 0,3 1,4 2,4 3,3 3,0"},
    {'o', "1,0 3,0 4,1 4,3 3,4 1,4 0,3 0,1 1,0"},
    {'p', "0,-2 0,4; 0,0 3,0 4,1 4,3 3,4 1,4 0,3"},
    {'q', "4,-2 4,4; 4,0 1,0 0,1 0,3 1,4 3,4 4,3"},
    {'r', "0,0 0,4; 0,2 2,4 3,4 4,3"},
    {'s', "0,0 3,0 4,1 3,2 1,2 0,3 1,4 4,4"},
    {'t', "4,1 3,0 2,1 2,6; 0,4 4,4"},
    {'u', "0,4 0,1 1,0 2,0 4,2; 4,0 4,4"},
    {'v', "0,4 2,0 4,4"},
    {'w', "0,4 0,1 1,0 2,1 3,0 4,1 4,4; 2,1 2,2"},
    {'x', "0,0 4,4; 0,4 4,0"},
    {'y', "1,-2 3,-2 4,-1 4,4; 0,4 0,1 1,0 2,0 4,2"},
    {'z', "4,0 0,0 4,4 0,4"},
    {'{', "2,0 1,1 1,2 0,3 1,4 1,5 2,6"},
    {'|', "0,0 0,6"},
    {'}', "0,0 1,1 1,2 2,3 1,4 1,5 0,6"},
    {'~', "0,1 1,2 3,2 4,3"},
};

constexpr GlyphTable makeGlyphTable() {
    // Codes 0 to 32 and 127 keep no strokes.
    GlyphTable table{};
    for (const GlyphSource& source : kSources) {
        // Through unsigned char, so that a code above 127 could never turn into a huge index.
        table[static_cast<unsigned char>(source.code)] = parseGlyph(source.strokes);
    }
    return table;
}

}  // namespace glyph_table_detail

/// The built-in stroke font: up to four polylines per character code 0 to 127. Codes 0 to 32
/// and 127 have none. The advance widths are `glyphAdvance`'s, shared with the String box.
inline constexpr GlyphTable kGlyphTable = glyph_table_detail::makeGlyphTable();
