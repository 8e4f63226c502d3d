#include "qpainter_canvas.h"

#include "tool_selection.h"
#include "viewer_test_support.h"

#include <QImage>

#include <gtest/gtest.h>

#include <array>

namespace {

constexpr Rgb kPaper = 0x123456;
constexpr Rgb kInk = 0xFF55FF;

QImage draw(const std::function<void(Canvas&)>& fn) { return paintImage(100, 100, kPaper, fn); }

TEST(QPainterCanvas, FillRectExcludesTheRightAndBottomEdges) {
    const QImage image = draw([](Canvas& c) { c.fillRect({10, 20, 15, 23}, kInk); });
    EXPECT_EQ(countPixels(image, {0, 0, 100, 100}, kInk), 5 * 3);
    EXPECT_EQ(countPixels(image, {10, 20, 15, 23}, kInk), 5 * 3);
}

TEST(QPainterCanvas, FillRectOfNoOrNegativeSizePaintsNothing) {
    const QImage image = draw([](Canvas& c) {
        c.fillRect({10, 10, 10, 20}, kInk);
        c.fillRect({10, 10, 20, 10}, kInk);
        c.fillRect({20, 20, 10, 10}, kInk);
    });
    EXPECT_EQ(countPixels(image, {0, 0, 100, 100}, kInk), 0);
}

// Like a rectangle fill, an ellipse covers its box without the right column and bottom row.
TEST(QPainterCanvas, EllipseFillsItsBoxWithoutTheLastColumnAndRow) {
    const QImage image = draw([](Canvas& c) {
        const FigureTools tools(c, kInk);
        c.ellipse({10, 10, 30, 30});
    });
    EXPECT_TRUE(pixelIs(image, 10, 20, kInk, "ellipse"));
    EXPECT_TRUE(pixelIs(image, 29, 20, kInk, "ellipse"));
    EXPECT_TRUE(pixelIs(image, 20, 10, kInk, "ellipse"));
    EXPECT_TRUE(pixelIs(image, 20, 29, kInk, "ellipse"));
    EXPECT_TRUE(pixelIs(image, 30, 20, kPaper, "ellipse"));
    EXPECT_TRUE(pixelIs(image, 20, 30, kPaper, "ellipse"));
    EXPECT_TRUE(pixelIs(image, 9, 20, kPaper, "ellipse"));
    EXPECT_TRUE(pixelIs(image, 11, 11, kPaper, "ellipse"));
    // An inverted box is the same box.
    const QImage inverted = draw([](Canvas& c) {
        const FigureTools tools(c, kInk);
        c.ellipse({30, 30, 10, 10});
    });
    EXPECT_EQ(inverted, image);
}

struct ArcCase {
    PixelPoint start;
    PixelPoint end;
    PixelRect inked;  // a region the arc must reach
    PixelRect blank;  // a region it must leave alone
};

void PrintTo(const ArcCase& a, std::ostream* os) {
    *os << "from (" << a.start.x << ", " << a.start.y << ") to (" << a.end.x << ", " << a.end.y
        << ")";
}

class ArcDirection : public testing::TestWithParam<ArcCase> {};

// Arcs run counter-clockwise on the panel from the start ray to the end ray.
TEST_P(ArcDirection, RunsCounterClockwiseFromStartToEnd) {
    const ArcCase& a = GetParam();
    const QImage image = draw([&](Canvas& c) {
        const PenSelection pen(c, Pen::line(1, kInk));
        c.arc({20, 20, 80, 80}, a.start, a.end);
    });
    EXPECT_GT(countPixels(image, a.inked, kInk), 5);
    EXPECT_EQ(countPixels(image, a.blank, kInk), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Quarters, ArcDirection,
    testing::Values(
        // Right to top: the upper right quarter only.
        ArcCase{{80, 50}, {50, 20}, {55, 18, 82, 45}, {0, 52, 100, 100}},
        // Top to right, the long way round: everything but the upper right quarter.
        ArcCase{{50, 20}, {80, 50}, {18, 55, 45, 82}, {55, 0, 100, 45}},
        // The rays count, not the points: from 45 degrees to straight down.
        ArcCase{{51, 49}, {50, 79}, {18, 18, 45, 45}, {52, 52, 100, 100}},
        // Equal rays: the whole circle.
        ArcCase{{80, 50}, {80, 50}, {18, 55, 45, 82}, {0, 0, 18, 18}}));

TEST(QPainterCanvas, LinePenOfNoWidthDrawsAHairline) {
    for (const int width : {0, -3}) {
        const QImage image = draw([&](Canvas& c) {
            const PenSelection pen(c, Pen::line(width, kInk));
            c.moveTo({10, 50});
            c.lineTo({60, 50});
        });
        EXPECT_EQ(countPixels(image, {0, 0, 100, 100}, kInk), 51) << width;
        EXPECT_EQ(countPixels(image, {10, 50, 61, 51}, kInk), 51) << width;
    }
}

TEST(QPainterCanvas, LineOfNoLengthLeavesARoundDot) {
    const QImage image = draw([](Canvas& c) {
        const PenSelection pen(c, Pen::line(9, kInk));
        c.moveTo({50, 50});
        c.lineTo({50, 50});
    });
    EXPECT_TRUE(pixelIs(image, 50, 50, kInk, "dot"));
    EXPECT_TRUE(pixelIs(image, 46, 50, kInk, "dot"));
    EXPECT_TRUE(pixelIs(image, 46, 46, kPaper, "dot"));
}

// Without antialiasing a thick slanted line and a circle leave only exact colours.
TEST(QPainterCanvas, DrawsWithoutAntialiasing) {
    const QImage image = draw([](Canvas& c) {
        {
            const PenSelection pen(c, Pen::line(7, kInk));
            c.moveTo({10, 15});
            c.lineTo({90, 60});
            c.arc({20, 20, 80, 80}, {80, 50}, {80, 50});
        }
        const FigureTools tools(c, kInk);
        c.ellipse({30, 50, 77, 95});
    });
    const int inked = countPixels(image, {0, 0, 100, 100}, kInk);
    EXPECT_GT(inked, 500);
    EXPECT_EQ(inked + countPixels(image, {0, 0, 100, 100}, kPaper), 100 * 100);
}

}  // namespace
