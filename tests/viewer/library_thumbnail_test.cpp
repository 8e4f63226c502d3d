#include "library_thumbnail.h"

#include "component_viewer.h"
#include "library.h"
#include "library_file_builder.h"
#include "primitive_factory.h"
#include "viewer_test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <vector>

namespace {

struct LayoutCase {
    std::size_t count;
    int side;
    ThumbnailLayout expected;
};

class ThumbnailLayoutTest : public testing::TestWithParam<LayoutCase> {};

TEST_P(ThumbnailLayoutTest, UsesTheSmallestLegibleGrid) {
    const LayoutCase& c = GetParam();
    const ThumbnailLayout layout = ThumbnailLayout::forCount(c.count, c.side);
    EXPECT_EQ(layout.columns, c.expected.columns);
    EXPECT_EQ(layout.cellSide, c.expected.cellSide);
    EXPECT_EQ(layout.shown, c.expected.shown);
    EXPECT_EQ(layout.top, c.expected.top);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ThumbnailLayoutTest,
    testing::Values(LayoutCase{0, 128, {1, 1, 0, 0}}, LayoutCase{1, 128, {1, 128, 1, 0}},
                    // One row of two, centred.
                    LayoutCase{2, 128, {2, 64, 2, 32}}, LayoutCase{4, 128, {2, 64, 4, 0}},
                    LayoutCase{5, 128, {3, 42, 5, 22}},
                    // 40-pixel cells at the least: 3 x 3 at 128.
                    LayoutCase{10, 128, {3, 42, 9, 1}}, LayoutCase{10, 256, {4, 64, 10, 32}},
                    // Never more than 4 x 4.
                    LayoutCase{200, 1024, {4, 256, 16, 0}}, LayoutCase{9, 79, {1, 79, 1, 0}},
                    LayoutCase{3, -5, {1, 1, 1, 0}}));

/// A component of one Fill on `layer`, 100 x 100 units.
std::unique_ptr<Component> square(std::uint8_t layer) {
    return makeComponent({makeFill(layer, 0, 0, 100, 100)});
}

bool transparent(const QImage& image, int x, int y) { return qAlpha(image.pixel(x, y)) == 0; }

TEST(LibraryThumbnail, DrawsEachComponentInItsCellOnATransparentSquare) {
    const auto red = square(1);   // 0xFF5555
    const auto blue = square(2);  // 0x0000AA
    const auto empty = makeComponent({});
    const std::vector<const Component*> both = {red.get(), blue.get()};
    const QImage image = renderThumbnail(both, 128);

    ASSERT_EQ(image.size(), QSize(128, 128));
    ASSERT_TRUE(image.hasAlphaChannel());
    // Two cells of 64 in one row, centred: rows 32 to 95 are used.
    EXPECT_TRUE(transparent(image, 0, 0));
    EXPECT_TRUE(transparent(image, 32, 20)) << "above the row";
    EXPECT_TRUE(transparent(image, 64, 64)) << "the margin between the cells";
    EXPECT_TRUE(pixelIs(image, 32, 64, 0xFF5555, "thumbnail_cells"));
    EXPECT_TRUE(pixelIs(image, 96, 64, 0x0000AA, "thumbnail_cells"));
    EXPECT_EQ(qAlpha(image.pixel(96, 64)), 255);

    EXPECT_FALSE(drawsSomething(*empty));
    EXPECT_FALSE(drawsSomething(*makeComponent({makeTrack(7, 5, 5, 5, 5, 0)}))) << "no extent";
}

// A lone component is the viewer's own picture of it inside the margin: a shift, a clip or a
// different fit would show here.
TEST(LibraryThumbnail, ALoneComponentIsTheViewersPictureWithoutItsBackground) {
    const ComponentViewer viewer;
    const Rgb background = viewer.palette().background();
    int compared = 0;
    for (const std::filesystem::path& file : libraryFilesAtHand()) {
        Library library;
        PlainNameList names;
        library.load(file.string(), names);
        for (std::size_t i = 0; i < library.size(); i += 3) {
            const Component& component = *library.components()[i];
            if (!drawsSomething(component)) continue;
            const Component* const one[] = {&component};
            const QImage thumbnail = renderThumbnail(one, 128);
            constexpr int kMargin = 8;
            constexpr int kInner = 128 - 2 * kMargin;
            ComponentViewer panel;
            panel.setComponent(&component);
            const QImage expected = paintImage(kInner, kInner, background, [&](Canvas& canvas) {
                panel.paint(canvas, kInner, kInner);
            });
            int differing = 0;
            for (int y = 0; y < 128; ++y) {
                for (int x = 0; x < 128; ++x) {
                    const bool inside = x >= kMargin && y >= kMargin && x < kMargin + kInner &&
                                        y < kMargin + kInner;
                    const QRgb shown = thumbnail.pixel(x, y);
                    const Rgb wanted =
                        inside ? expected.pixel(x - kMargin, y - kMargin) & 0xFFFFFF : background;
                    if (qAlpha(shown) == 0 ? wanted != background
                                           : (shown & 0xFFFFFF) != wanted || !inside) {
                        ++differing;
                    }
                }
            }
            EXPECT_EQ(differing, 0) << file.filename() << " " << component.displayName();
            ++compared;
        }
    }
    EXPECT_GT(compared, 10);
}

}  // namespace
