#include "glyph_table.h"

#include "glyph_advance.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>

namespace {

bool hasStrokes(const Glyph& glyph) {
    for (const GlyphStroke& s : glyph.strokes) {
        if (!s.isEmpty()) return true;
    }
    return false;
}

TEST(GlyphTable, EveryPrintableCodeHasStrokesAndNoOtherDoes) {
    for (std::size_t code = 0; code < kGlyphCount; ++code) {
        const bool printable = code >= 33 && code <= 126;
        EXPECT_EQ(hasStrokes(kGlyphTable[code]), printable) << "code " << code;
    }
}

// Slots fill from the first on, every stroke has at least two points, and the unused points are
// zero, so a miscounted last index shows.
TEST(GlyphTable, StrokesAreWellFormed) {
    for (std::size_t code = 0; code < kGlyphCount; ++code) {
        bool ended = false;
        for (const GlyphStroke& s : kGlyphTable[code].strokes) {
            if (s.isEmpty()) {
                ended = true;
                EXPECT_LE(s.lastIndex, 0) << "code " << code;
                continue;
            }
            EXPECT_FALSE(ended) << "code " << code << " has a stroke after an empty slot";
            EXPECT_LT(s.lastIndex, static_cast<std::int32_t>(kMaxStrokePoints)) << code;
            for (std::size_t i = static_cast<std::size_t>(s.lastIndex) + 1; i < kMaxStrokePoints;
                 ++i) {
                EXPECT_EQ(s.points[i], (GlyphPoint{})) << "code " << code;
            }
        }
    }
}

// Every point lies on the font's grid and left of the advance, so no glyph runs into the next.
TEST(GlyphTable, PointsStayOnTheGridAndWithinTheAdvance) {
    for (std::size_t code = 33; code <= 126; ++code) {
        const std::int32_t advance = glyphAdvance(static_cast<std::uint8_t>(code));
        for (const GlyphStroke& s : kGlyphTable[code].strokes) {
            for (const GlyphPoint& p : s.drawn()) {
                EXPECT_GE(p.x, -1) << "code " << code;
                EXPECT_LT(p.x, advance) << "code " << code;
                EXPECT_GE(p.y, -2) << "code " << code;
                EXPECT_LE(p.y, 6) << "code " << code;
            }
        }
    }
}

TEST(GlyphTable, KeepsTheLongestStrokeWhole) {
    const Glyph& eight = kGlyphTable['8'];
    EXPECT_EQ(eight.strokes[0].lastIndex, 15);
    EXPECT_EQ(eight.strokes[0].points[15], (GlyphPoint{3, 3}));
    EXPECT_TRUE(eight.strokes[1].isEmpty());
}

TEST(GlyphTable, ReadsNegativeCoordinates) {
    EXPECT_EQ(kGlyphTable[','].strokes[0].points[0], (GlyphPoint{-1, -1}));
    EXPECT_EQ(kGlyphTable['_'].strokes[0].points[1], (GlyphPoint{4, -1}));
    EXPECT_EQ(kGlyphTable['g'].strokes[0].points[1], (GlyphPoint{1, -2}));
}

}  // namespace
