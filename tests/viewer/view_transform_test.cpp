#include "view_transform.h"

#include "printers.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

struct ScaleCase {
    Bounds bounds;
    int width;
    int height;
    bool magnify;
    int scale;
};

void PrintTo(const ScaleCase& c, std::ostream* os) {
    *os << c.bounds.maxX - c.bounds.minX << " x " << c.bounds.maxY - c.bounds.minY << " in "
        << c.width << " x " << c.height;
}

class ScaleChoice : public testing::TestWithParam<ScaleCase> {};

TEST_P(ScaleChoice, MagnifiesOnlyWhatFitsStrictlyAndReducesWithOneToSpare) {
    const ScaleCase& c = GetParam();
    const std::optional<ViewTransform> t = ViewTransform::fit(c.bounds, c.width, c.height);
    ASSERT_TRUE(t.has_value());
    EXPECT_EQ(t->magnify, c.magnify);
    EXPECT_EQ(t->scale, c.scale);
}

INSTANTIATE_TEST_SUITE_P(Extents, ScaleChoice,
                         testing::Values(
                             // The worked examples: 400 / 380 = 1, 200 / 372 = 0, max + 1.
                             ScaleCase{{-100, 300, 0, 200}, 380, 372, false, 2},
                             ScaleCase{{0, 50, 0, 20}, 380, 372, true, 7},
                             // One unit short of the width is drawn at one pixel per unit; the
                             // exact width is already reduced, and twice it by three.
                             ScaleCase{{0, 379, 0, 100}, 380, 372, true, 1},
                             ScaleCase{{0, 380, 0, 100}, 380, 372, false, 2},
                             ScaleCase{{0, 760, 0, 100}, 380, 372, false, 3},
                             ScaleCase{{0, 100, 0, 372}, 380, 372, false, 2},
                             // The smaller quotient wins when magnifying, the larger when
                             // reducing.
                             ScaleCase{{0, 10, 0, 100}, 380, 372, true, 3},
                             ScaleCase{{0, 1000, 0, 3000}, 380, 372, false, 9}));

struct MapCase {
    Bounds bounds;
    int libraryX;
    int libraryY;
    int panelX;
    int panelY;
};

void PrintTo(const MapCase& c, std::ostream* os) {
    *os << "(" << c.libraryX << ", " << c.libraryY << ") in bounds x " << c.bounds.minX << ".."
        << c.bounds.maxX << " y " << c.bounds.minY << ".." << c.bounds.maxY;
}

class PointMapping : public testing::TestWithParam<MapCase> {};

TEST_P(PointMapping, CentresTheComponentAndFlipsY) {
    const MapCase& c = GetParam();
    const std::optional<ViewTransform> t = ViewTransform::fit(c.bounds, 380, 372);
    ASSERT_TRUE(t.has_value());
    EXPECT_EQ(t->deviceX(c.libraryX), c.panelX);
    EXPECT_EQ(t->deviceY(c.libraryY), c.panelY);
}

INSTANTIATE_TEST_SUITE_P(WorkedExamples, PointMapping,
                         testing::Values(MapCase{{-100, 300, 0, 200}, 300, 200, 290, 136},
                                         MapCase{{-100, 300, 0, 200}, -100, 0, 90, 236},
                                         MapCase{{0, 50, 0, 20}, 50, 20, 365, 116},
                                         MapCase{{0, 50, 0, 20}, 0, 0, 15, 256},
                                         // The centre (-101 + 0) / 2 truncates to -50, not -51;
                                         // at scale 3, x = 0 lands 150 right of the centre.
                                         MapCase{{-101, 0, 0, 100}, 0, 50, 340, 186},
                                         // Differences of -7 and 7 at scale 2 truncate alike.
                                         MapCase{{-200, 200, -200, 200}, -7, 7, 187, 183},
                                         MapCase{{-200, 200, -200, 200}, 7, -7, 193, 189}));

TEST(ViewTransform, PlacesTheCentreOfAnOddHeightOneRowBelowHalf) {
    const std::optional<ViewTransform> t = ViewTransform::fit({0, 10, 0, 10}, 381, 373);
    ASSERT_TRUE(t.has_value());
    EXPECT_EQ(t->deviceX(5), 190);
    EXPECT_EQ(t->deviceY(5), 187);
}

TEST(ViewTransform, FitsNothingWithoutExtentOrPanel) {
    EXPECT_FALSE(ViewTransform::fit({5, 5, 0, 100}, 380, 372));
    EXPECT_FALSE(ViewTransform::fit({0, 100, 7, 7}, 380, 372));
    EXPECT_FALSE(ViewTransform::fit(Bounds::initial(), 380, 372));
    EXPECT_FALSE(ViewTransform::fit({0, 100, 0, 100}, 0, 372));
    EXPECT_FALSE(ViewTransform::fit({0, 100, 0, 100}, 380, -1));
}

// Saturating instead of wrapping keeps a huge panel from folding coordinates back into view.
TEST(ViewTransform, ClampsResultsBeyond32Bits) {
    const std::optional<ViewTransform> t = ViewTransform::fit({0, 1, 0, 1}, 2000000000, 2000000000);
    ASSERT_TRUE(t.has_value());
    EXPECT_EQ(t->scaled(30000), 2147483647);
    EXPECT_EQ(t->deviceX(30000), 2147483647);
    EXPECT_EQ(t->deviceY(30000), 1000000000 - 2147483647);
}

}  // namespace
