#include "component_viewer.h"

#include "library.h"
#include "library_file_builder.h"
#include "name_list.h"
#include "primitive_factory.h"
#include "recording_canvas.h"
#include "viewer_test_support.h"

#include <QImage>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <vector>

namespace {

using Ops = std::vector<CanvasOp>;

constexpr Rgb kBackground = 0xAAAAAA;
constexpr Rgb kMultiLayer = 0xAA0000;
constexpr Rgb kLayer7 = 0xFFFF55;

Ops paint(const ComponentViewer& viewer, int width = 380, int height = 372) {
    RecordingCanvas canvas;
    viewer.paint(canvas, width, height);
    return canvas.ops();
}

const Ops kBackgroundOnly{FillRectOp{{0, 0, 380, 372}, kBackground}};

TEST(ComponentViewer, PaintsTheBackgroundAloneWithoutAComponent) {
    const ComponentViewer viewer;
    EXPECT_EQ(paint(viewer), kBackgroundOnly);
}

TEST(ComponentViewer, PaintsTheBackgroundAloneForNothingToFit) {
    const auto empty = makeComponent({});
    // Track bounds grow by half the width only: a vertical track of width 1 has no width.
    const auto vertical = makeComponent({makeTrack(7, 10, 0, 10, 100, 1)});
    const auto horizontal = makeComponent({makeTrack(7, 0, 10, 100, 10, 0)});
    for (const Component* c : {empty.get(), vertical.get(), horizontal.get()}) {
        ComponentViewer viewer;
        viewer.setComponent(c);
        EXPECT_EQ(paint(viewer), kBackgroundOnly);
    }
}

// The worked examples end to end: a track corner to corner is fitted, centred and flipped.
TEST(ComponentViewer, FitsTheComponentIntoThePanel) {
    const auto reduced = makeComponent({makeTrack(7, -100, 0, 300, 200, 0)});
    const auto magnified = makeComponent({makeTrack(7, 0, 0, 50, 20, 0)});
    ComponentViewer viewer;
    viewer.setComponent(reduced.get());
    EXPECT_EQ(polylines(paint(viewer)),
              (std::vector<std::vector<PixelPoint>>{{{90, 236}, {290, 136}}}));
    viewer.setComponent(magnified.get());
    EXPECT_EQ(polylines(paint(viewer)),
              (std::vector<std::vector<PixelPoint>>{{{15, 256}, {365, 116}}}));
}

TEST(ComponentViewer, KeepsTheShownComponentWhenGivenNone) {
    const auto component = makeComponent({makeTrack(7, 0, 0, 100, 100, 2)});
    ComponentViewer viewer;
    EXPECT_TRUE(viewer.setComponent(component.get()));
    const Ops shown = paint(viewer);
    EXPECT_FALSE(viewer.setComponent(nullptr));
    EXPECT_EQ(viewer.shown(), component.get());
    EXPECT_EQ(paint(viewer), shown);
    EXPECT_TRUE(viewer.clearComponent());
    EXPECT_EQ(viewer.shown(), nullptr);
    EXPECT_EQ(paint(viewer), kBackgroundOnly);
}

// Primitives are drawn in list order; a load puts Vias and MultiLayer Pads last, so they lie
// over the tracks.
TEST(ComponentViewer, PaintsPrimitivesInListOrder) {
    const auto component =
        makeComponent({makeVia(1, 50, 50, 20, 10), makeTrack(7, 0, 0, 100, 100, 2)});
    ComponentViewer viewer;
    viewer.setComponent(component.get());
    const Ops ops = paint(viewer);
    ASSERT_GT(ops.size(), 3u);
    EXPECT_EQ(ops[1], CanvasOp(SelectPenOp{Pen::line(6, kLayer7)}));
    EXPECT_EQ(ops[5], CanvasOp(SelectPenOp{Pen::outline(kMultiLayer)}));
}

TEST(ComponentViewer, SkipsPrimitivesOnLayersBeyondThePalette) {
    const auto component =
        makeComponent({makeTrack(48, 0, 0, 100, 100, 2), makeTrack(7, 0, 0, 100, 100, 2)});
    ComponentViewer viewer;
    viewer.setComponent(component.get());
    EXPECT_EQ(polylines(paint(viewer)).size(), 1u);
}

TEST(ComponentViewerImage, FillsTheWholePanelWithTheBackground) {
    const ComponentViewer viewer;
    const QImage image =
        paintImage(517, 463, 0x000000, [&](Canvas& canvas) { viewer.paint(canvas, 517, 463); });
    EXPECT_EQ(countPixels(image, {0, 0, 517, 463}, kBackground), 517 * 463);
}

// The hole is painted last, over the track that runs under the via.
TEST(ComponentViewerImage, ShowsTheBackgroundThroughAViaHoleOverATrack) {
    const auto component =
        makeComponent({makeVia(1, 100, 100, 60, 30), makeTrack(7, 0, 100, 100, 100, 20)});
    ComponentViewer viewer;
    viewer.setComponent(component.get());
    // Bounds 0..130 x 70..130 magnify by 2 into 300 x 200; the via centre lands at (230, 100).
    const QImage image =
        paintImage(300, 200, 0x000000, [&](Canvas& canvas) { viewer.paint(canvas, 300, 200); });
    EXPECT_TRUE(pixelIs(image, 230, 100, kBackground, "via_hole"));
    EXPECT_TRUE(pixelIs(image, 205, 100, kBackground, "via_hole"));
    EXPECT_TRUE(pixelIs(image, 180, 100, kMultiLayer, "via_hole"));
    EXPECT_TRUE(pixelIs(image, 120, 100, kLayer7, "via_hole"));
}

// Every component of the samples and the shared libraries paints visibly inside the panel.
TEST(ComponentViewerImage, DrawsEveryComponentOfTheLibrariesAtHand) {
    int components = 0;
    for (const std::filesystem::path& file : libraryFilesAtHand()) {
        Library library;
        PlainNameList names;
        library.load(file.string(), names);
        for (const auto& component : library.components()) {
            ComponentViewer viewer;
            viewer.setComponent(component.get());
            const QImage image = paintImage(
                517, 463, kBackground, [&](Canvas& canvas) { viewer.paint(canvas, 517, 463); });
            const int drawn = 517 * 463 - countPixels(image, {0, 0, 517, 463}, kBackground);
            EXPECT_GT(drawn, 100) << component->displayName();
            ++components;
        }
    }
    EXPECT_GT(components, 40);
}

// Field values at the ends of their ranges (negative sizes and radii, the widest strokes, the
// tallest text) reach the canvas as computed and paint without a fault.
TEST(ComponentViewerImage, PaintsExtremeFieldValuesWithoutFault) {
    const auto component = makeComponent({
        makeArc(7, -32768, 32767, -32768, 255, 255),
        makeArc(7, 0, 0, 32767, 15, 255),
        makeFill(1, -32768, -32768, 32767, 32767),
        makePad(1, 32767, -32768, -32768, 32767, 3),
        makePad(1, 0, 0, 32767, -32768, 4),
        makeTrack(7, -32768, -32768, 32767, 32767, 255),
        makeString(7, 100, 100, 255, 255, 17, "W@&8%$#gjpqy~"),
        makeVia(200, 0, 0, 255, 255),
    });
    // A 1 x 1 box magnified 463 times; the String's stroke and the Via's hole lie outside it.
    const auto tiny =
        makeComponent({makeTrack(7, 0, 0, 1, 1, 0), makeString(7, 0, 0, 0, 255, 0, "AB"),
                       makeVia(1, 0, 0, 0, 255)});
    for (const Component* c : {component.get(), tiny.get()}) {
        ComponentViewer viewer;
        viewer.setComponent(c);
        const QImage image =
            paintImage(517, 463, 0x000000, [&](Canvas& canvas) { viewer.paint(canvas, 517, 463); });
        EXPECT_EQ(countPixels(image, {0, 0, 517, 463}, 0x000000), 0);
    }
}

}  // namespace
