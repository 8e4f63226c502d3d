#include "stroke_font.h"

#include "recording_canvas.h"
#include "viewer_test_support.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string_view>
#include <vector>

namespace {

using Points = std::vector<PixelPoint>;

constexpr Rgb kColour = 0xFFFF55;

std::vector<std::uint8_t> bytesOf(std::string_view text) { return {text.begin(), text.end()}; }

std::vector<CanvasOp> recordText(const std::vector<std::uint8_t>& text, int height, int orientation,
                                 int lineWidth = 3) {
    RecordingCanvas canvas;
    drawText(canvas, text, height, lineWidth, 100, 50, orientation, kColour);
    return canvas.ops();
}

struct OrientationCase {
    int orientation;
    Points aOutline;  // the first stroke of A
    Points aBar;      // its cross bar
    PixelPoint bStart;
};

void PrintTo(const OrientationCase& c, std::ostream* os) { *os << "orientation " << c.orientation; }

class TextOrientations : public testing::TestWithParam<OrientationCase> {};

// "AB" at height 12 (unit 2) from (100, 50). A's strokes show the turn and the reflection; B's
// origin, where its first stroke starts, shows the direction and size of A's advance.
TEST_P(TextOrientations, TurnAndReflectGlyphsAndMoveThePen) {
    const OrientationCase& c = GetParam();
    const auto lines = polylines(recordText(bytesOf("AB"), 12, c.orientation));
    ASSERT_EQ(lines.size(), 5u);  // A has two strokes, B three
    EXPECT_EQ(lines[0], c.aOutline);
    EXPECT_EQ(lines[1], c.aBar);
    EXPECT_EQ(lines[2].front(), c.bStart);
}

INSTANTIATE_TEST_SUITE_P(
    AllCodes, TextOrientations,
    testing::Values(OrientationCase{0,
                                    {{100, 50}, {100, 46}, {104, 38}, {108, 46}, {108, 50}},
                                    {{100, 46}, {108, 46}},
                                    {112, 50}},
                    OrientationCase{1,
                                    {{100, 50}, {96, 50}, {88, 46}, {96, 42}, {100, 42}},
                                    {{96, 50}, {96, 42}},
                                    {100, 38}},
                    OrientationCase{2,
                                    {{100, 50}, {100, 54}, {96, 62}, {92, 54}, {92, 50}},
                                    {{100, 54}, {92, 54}},
                                    {88, 50}},
                    OrientationCase{3,
                                    {{100, 50}, {104, 50}, {112, 54}, {104, 58}, {100, 58}},
                                    {{104, 50}, {104, 58}},
                                    {100, 62}},
                    OrientationCase{16,
                                    {{100, 50}, {100, 46}, {96, 38}, {92, 46}, {92, 50}},
                                    {{100, 46}, {92, 46}},
                                    {88, 50}},
                    OrientationCase{17,
                                    {{100, 50}, {104, 50}, {112, 46}, {104, 42}, {100, 42}},
                                    {{104, 50}, {104, 42}},
                                    {100, 38}},
                    OrientationCase{18,
                                    {{100, 50}, {100, 54}, {104, 62}, {108, 54}, {108, 50}},
                                    {{100, 54}, {108, 54}},
                                    {112, 50}},
                    OrientationCase{19,
                                    {{100, 50}, {96, 50}, {88, 54}, {96, 58}, {100, 58}},
                                    {{96, 50}, {96, 58}},
                                    {100, 62}},
                    // Codes outside the table draw upright and never move the pen.
                    OrientationCase{5,
                                    {{100, 50}, {100, 46}, {104, 38}, {108, 46}, {108, 50}},
                                    {{100, 46}, {108, 46}},
                                    {100, 50}},
                    OrientationCase{255,
                                    {{100, 50}, {100, 46}, {104, 38}, {108, 46}, {108, 50}},
                                    {{100, 46}, {108, 46}},
                                    {100, 50}}));

// The unit is truncated: 17 / 6 = 2, so the drawing is the one of height 12, not 2.83 per unit.
TEST(StrokeFont, TruncatesTheUnitOfAnUnevenHeight) {
    EXPECT_EQ(recordText(bytesOf("AB"), 17, 0), recordText(bytesOf("AB"), 12, 0));
}

// A negative unit turns the text half a turn about the start point and walks the pen left.
TEST(StrokeFont, NegativeHeightTurnsTheTextHalfATurn) {
    const auto lines = polylines(recordText(bytesOf("AB"), -12, 0));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], (Points{{100, 50}, {100, 54}, {96, 62}, {92, 54}, {92, 50}}));
    EXPECT_EQ(lines[2].front(), (PixelPoint{88, 50}));
}

TEST(StrokeFont, SmallHeightsDrawEveryPointOnTheStartPoint) {
    for (const int height : {-5, 0, 5}) {
        for (const auto& line : polylines(recordText(bytesOf("AB"), height, 0))) {
            for (const PixelPoint& p : line) EXPECT_EQ(p, (PixelPoint{100, 50})) << height;
        }
    }
}

TEST(StrokeFont, HighBytesDrawAndAdvanceAsTheCode128Lower) {
    EXPECT_EQ(recordText({0xC1, 0xC2}, 12, 0), recordText(bytesOf("AB"), 12, 0));
}

// A control byte, a zero byte or DEL neither draws nor moves the pen, nor ends the text.
TEST(StrokeFont, BytesWithoutGlyphsLeaveThePenWhereItIs) {
    EXPECT_EQ(recordText({'A', 0x00, 0x07, 0x1F, 0x7F, 0x80, 'B'}, 12, 0),
              recordText(bytesOf("AB"), 12, 0));
}

// One pen for the whole text, selected first and put back last, even for no characters; the
// width is passed on unchanged, 0 and negative included.
TEST(StrokeFont, SelectsOnePenPerTextAndPutsTheOldOneBack) {
    for (const int lineWidth : {-2, 0, 7}) {
        const auto ops = recordText(bytesOf("ABC"), 12, 0, lineWidth);
        ASSERT_GE(ops.size(), 2u);
        EXPECT_EQ(ops.front(), CanvasOp(SelectPenOp{Pen::line(lineWidth, kColour)}));
        EXPECT_EQ(ops.back(), CanvasOp(SelectPenOp{Pen{}}));
        for (std::size_t i = 1; i + 1 < ops.size(); ++i) {
            EXPECT_FALSE(std::holds_alternative<SelectPenOp>(ops[i])) << i;
        }
    }
    EXPECT_EQ(recordText({}, 12, 0),
              (std::vector<CanvasOp>{SelectPenOp{Pen::line(3, kColour)}, SelectPenOp{Pen{}}}));
}

TEST(StrokeFont, DrawsEachStrokeAsOneMoveAndALineToEveryFurtherPoint) {
    RecordingCanvas canvas;
    drawGlyph(canvas, 'R', 6, false, GlyphTurn::None, 0, 10);
    // R: the bowl of seven points ends back at (1,3), where the leg starts.
    EXPECT_EQ(canvas.ops(), (std::vector<CanvasOp>{
                                MoveToOp{{0, 10}},
                                LineToOp{{0, 4}},
                                LineToOp{{3, 4}},
                                LineToOp{{4, 5}},
                                LineToOp{{3, 7}},
                                LineToOp{{0, 7}},
                                LineToOp{{1, 7}},
                                MoveToOp{{1, 7}},
                                LineToOp{{4, 10}},
                            }));
}

}  // namespace
