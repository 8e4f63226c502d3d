#include "primitive_painters.h"

#include "layer_palette.h"
#include "primitive_factory.h"
#include "recording_canvas.h"
#include "stroke_font.h"
#include "viewer_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Ops = std::vector<CanvasOp>;

constexpr Rgb kLayer1 = 0xFF5555;
constexpr Rgb kMultiLayer = 0xAA0000;
constexpr Rgb kBackground = 0xAAAAAA;

const LayerPalette kPalette;

Ops record(const Primitive& primitive, const ViewTransform& transform) {
    RecordingCanvas canvas;
    paintPrimitive(canvas, primitive, transform, kPalette);
    return canvas.ops();
}

/// A filled figure: outline pen and brush of one colour selected, drawn, and put back.
Ops figure(Rgb colour, const CanvasOp& drawing) {
    return {SelectPenOp{Pen::outline(colour)}, SelectBrushOp{Brush{colour}}, drawing,
            SelectBrushOp{Brush{}}, SelectPenOp{Pen{}}};
}

Ops line(int width, Rgb colour, PixelPoint from, PixelPoint to) {
    return {SelectPenOp{Pen::line(width, colour)}, MoveToOp{from}, LineToOp{to},
            SelectPenOp{Pen{}}};
}

struct PadCase {
    int shape;
    int xSize;
    int ySize;
    Ops expected;
};

void PrintTo(const PadCase& c, std::ostream* os) {
    *os << "shape " << c.shape << ", " << c.xSize << " x " << c.ySize;
}

class PadShapes : public testing::TestWithParam<PadCase> {};

TEST_P(PadShapes, DrawAtThePanelCentre) {
    const PadCase& c = GetParam();
    EXPECT_EQ(record(makePad(1, 0, 0, c.xSize, c.ySize, c.shape), transformAt(true, 1)),
              c.expected);
}

INSTANTIATE_TEST_SUITE_P(WorkedExamples, PadShapes,
                         testing::Values(
                             // The octagon's vertices run from the right edge below the centre
                             // around clockwise on the panel.
                             PadCase{3, 50, 30,
                                     figure(kLayer1, PolygonOp{{{125, 106},
                                                                {110, 115},
                                                                {90, 115},
                                                                {75, 106},
                                                                {75, 94},
                                                                {90, 85},
                                                                {110, 85},
                                                                {125, 94}}})},
                             PadCase{4, 60, 20, line(20, kLayer1, {80, 100}, {120, 100})},
                             PadCase{4, 20, 60, line(20, kLayer1, {100, 80}, {100, 120})},
                             // The halves are truncated before they are subtracted: 2 - 3 = -1.
                             PadCase{4, 7, 4, line(4, kLayer1, {99, 100}, {101, 100})},
                             PadCase{4, 40, 40, figure(kLayer1, EllipseOp{{80, 80, 120, 120}})},
                             // A round pad ignores its y size.
                             PadCase{1, 40, 80, figure(kLayer1, EllipseOp{{80, 80, 120, 120}})},
                             PadCase{2, 40, 80, Ops{FillRectOp{{80, 60, 120, 140}, kLayer1}}},
                             PadCase{0, 40, 80, Ops{}}, PadCase{5, 40, 40, Ops{}},
                             PadCase{255, 40, 40, Ops{}}));

// A Pad scales its size and then halves it; a Via halves its diameter and then scales it.
TEST(PadPainter, ScalesBeforeHalving) {
    EXPECT_EQ(record(makePad(1, 0, 0, 25, 25, 2), transformAt(true, 3)),
              (Ops{FillRectOp{{63, 63, 137, 137}, kLayer1}}));
}

TEST(PadPainter, OctagonFifthsAreTakenOfTheScaledSize) {
    // 40 x 40 reduced by 3 is 13 x 13: halves 6, fifths 2.
    const Ops ops = record(makePad(1, 0, 0, 40, 40, 3), transformAt(false, 3));
    ASSERT_EQ(ops.size(), 5u);
    EXPECT_EQ(ops[2], CanvasOp(PolygonOp{{{106, 102},
                                          {102, 106},
                                          {98, 106},
                                          {94, 102},
                                          {94, 98},
                                          {98, 94},
                                          {102, 94},
                                          {106, 98}}}));
}

struct ViaCase {
    bool magnify;
    int scale;
    int diameter;
    int holeDiameter;
    int outerRadius;
    int holeRadius;
};

void PrintTo(const ViaCase& c, std::ostream* os) {
    *os << (c.magnify ? "x" : "/") << c.scale << " diameter " << c.diameter << " hole "
        << c.holeDiameter;
}

class ViaRadii : public testing::TestWithParam<ViaCase> {};

// The disc is always the MultiLayer's colour and the hole the background's, whatever the layer.
TEST_P(ViaRadii, HalveTheDiameterBeforeScaling) {
    const ViaCase& c = GetParam();
    const int r1 = c.outerRadius;
    const int r2 = c.holeRadius;
    Ops expected = figure(kMultiLayer, EllipseOp{{100 - r1, 100 - r1, 100 + r1, 100 + r1}});
    const Ops hole = figure(kBackground, EllipseOp{{100 - r2, 100 - r2, 100 + r2, 100 + r2}});
    expected.insert(expected.end(), hole.begin(), hole.end());
    EXPECT_EQ(record(makeVia(1, 0, 0, c.diameter, c.holeDiameter), transformAt(c.magnify, c.scale)),
              expected);
}

INSTANTIATE_TEST_SUITE_P(Scales, ViaRadii,
                         testing::Values(ViaCase{true, 3, 25, 1, 36, 0},
                                         ViaCase{false, 2, 25, 1, 6, 0},
                                         ViaCase{true, 1, 40, 20, 20, 10},
                                         // A hole wider than the via covers it completely.
                                         ViaCase{true, 2, 10, 30, 10, 30}));

TEST(ViaPainter, DrawsWhateverItsLayerByte) {
    EXPECT_EQ(record(makeVia(200, 0, 0, 20, 10), transformAt(true, 1)),
              record(makeVia(1, 0, 0, 20, 10), transformAt(true, 1)));
}

TEST(ArcPainter, DrawsQuartersInTheOrderLowerLeftUpperLeftUpperRightLowerRight) {
    const Ops ops = record(makeArc(1, 0, 0, 30, 0xFF, 2), transformAt(true, 1));
    const PixelRect box{70, 70, 130, 130};
    EXPECT_EQ(ops, (Ops{SelectPenOp{Pen::line(2, kLayer1)}, ArcOp{box, {70, 100}, {100, 130}},
                        ArcOp{box, {100, 70}, {70, 100}}, ArcOp{box, {130, 100}, {100, 70}},
                        ArcOp{box, {100, 130}, {130, 100}}, SelectPenOp{Pen{}}}));
}

TEST(ArcPainter, DrawsOnlyTheQuartersOfTheLowFourBits) {
    const PixelRect box{70, 70, 130, 130};
    EXPECT_EQ(record(makeArc(1, 0, 0, 30, 0x11, 1), transformAt(true, 1)),
              (Ops{SelectPenOp{Pen::line(1, kLayer1)}, ArcOp{box, {130, 100}, {100, 70}},
                   SelectPenOp{Pen{}}}));
    EXPECT_EQ(record(makeArc(1, 0, 0, 30, 0xF0, 1), transformAt(true, 1)),
              (Ops{SelectPenOp{Pen::line(1, kLayer1)}, SelectPenOp{Pen{}}}));
}

enum class Kind { Arc, Track, String };

struct WidthCase {
    Kind kind;
    int width;
    bool magnify;
    int scale;
    int penWidth;
};

void PrintTo(const WidthCase& c, std::ostream* os) {
    const char* names[] = {"Arc", "Track", "String"};
    *os << names[static_cast<int>(c.kind)] << " width " << c.width << (c.magnify ? " x" : " /")
        << c.scale;
}

class LineWidths : public testing::TestWithParam<WidthCase> {};

// Arcs and Tracks are at least 1 pixel wide; a String's stroke width goes on as scaled.
TEST_P(LineWidths, ScaleWithTheirOwnMinimum) {
    const WidthCase& c = GetParam();
    const ViewTransform t = transformAt(c.magnify, c.scale);
    Ops ops;
    switch (c.kind) {
        case Kind::Arc:
            ops = record(makeArc(1, 0, 0, 30, 1, c.width), t);
            break;
        case Kind::Track:
            ops = record(makeTrack(1, 0, 0, 30, 0, c.width), t);
            break;
        case Kind::String:
            ops = record(makeString(1, 0, 0, 60, c.width, 0, "A"), t);
            break;
    }
    ASSERT_FALSE(ops.empty());
    EXPECT_EQ(ops.front(), CanvasOp(SelectPenOp{Pen::line(c.penWidth, kLayer1)}));
}

INSTANTIATE_TEST_SUITE_P(Scales, LineWidths,
                         testing::Values(WidthCase{Kind::Arc, 1, false, 2, 1},
                                         WidthCase{Kind::Arc, 0, true, 4, 1},
                                         WidthCase{Kind::Arc, 9, false, 2, 4},
                                         WidthCase{Kind::Track, 1, false, 2, 1},
                                         WidthCase{Kind::Track, 100, true, 3, 300},
                                         WidthCase{Kind::String, 1, false, 2, 0},
                                         WidthCase{Kind::String, 6, true, 2, 12}));

TEST(StringPainter, HandsTheScaledTextToTheFont) {
    const ViewTransform t = transformAt(true, 2);
    const std::string text = "U1";
    RecordingCanvas expected;
    drawText(expected, std::vector<std::uint8_t>(text.begin(), text.end()), 60, 12, 120, 60, 17,
             kLayer1);
    EXPECT_EQ(record(makeString(1, 10, 20, 30, 6, 17, text), t), expected.ops());
}

// The record holds 13 characters; a length byte claiming more must not read past them.
TEST(StringPainter, DrawsTheThirteenCharactersOfAnOverlongText) {
    const Primitive full = makeString(1, 0, 0, 60, 6, 0, "ABCDEFGHIJKLM");
    auto bytes = full.bytes();
    bytes[18] = 200;  // the length byte
    const Primitive overlong(std::span<const std::uint8_t, 16>(bytes.data(), 16),
                             std::span<const std::uint8_t, 16>(bytes.data() + 16, 16));
    ASSERT_EQ(overlong.string().textLength, 200);
    EXPECT_EQ(record(overlong, transformAt(true, 1)), record(full, transformAt(true, 1)));
}

TEST(FillPainter, NormalisesItsCorners) {
    const Ops expected{FillRectOp{{90, 80, 130, 110}, kLayer1}};
    EXPECT_EQ(record(makeFill(1, -10, -10, 30, 20), transformAt(true, 1)), expected);
    EXPECT_EQ(record(makeFill(1, 30, 20, -10, -10), transformAt(true, 1)), expected);
    EXPECT_EQ(record(makeFill(1, -10, 20, 30, -10), transformAt(true, 1)), expected);
}

class LayersBeyondThePalette : public testing::TestWithParam<int> {};

TEST_P(LayersBeyondThePalette, AreNotDrawn) {
    const auto layer = static_cast<std::uint8_t>(GetParam());
    const ViewTransform t = transformAt(true, 1);
    for (const Primitive& p : {makeArc(layer, 0, 0, 10, 15, 2), makeFill(layer, 0, 0, 10, 10),
                               makePad(layer, 0, 0, 10, 10, 1), makeTrack(layer, 0, 0, 10, 10, 2),
                               makeString(layer, 0, 0, 60, 6, 0, "A")}) {
        EXPECT_EQ(record(p, t), Ops{}) << "type " << int{p.type()};
    }
}

INSTANTIATE_TEST_SUITE_P(Bytes, LayersBeyondThePalette, testing::Values(48, 100, 255));

TEST(LayerPalette, ColoursTheLastEntriesAndTheBackgroundLayer) {
    EXPECT_EQ(record(makeFill(47, 0, 0, 10, 10), transformAt(true, 1)),
              (Ops{FillRectOp{{100, 90, 110, 100}, 0xFFFFFF}}));
    EXPECT_EQ(record(makeFill(32, 0, 0, 10, 10), transformAt(true, 1)),
              (Ops{FillRectOp{{100, 90, 110, 100}, 0x000000}}));
    EXPECT_EQ(record(makeFill(0, 0, 0, 10, 10), transformAt(true, 1)),
              (Ops{FillRectOp{{100, 90, 110, 100}, kBackground}}));
}

QImage paintAt(const Primitive& primitive, const ViewTransform& transform) {
    return paintImage(200, 200, kBackground, [&](Canvas& canvas) {
        paintPrimitive(canvas, primitive, transform, kPalette);
    });
}

TEST(PainterImage, FillLeavesItsRightColumnAndBottomRowUnpainted) {
    // Panel corners (90, 80) and (130, 110).
    const QImage image = paintAt(makeFill(1, -10, -10, 30, 20), transformAt(true, 1));
    EXPECT_TRUE(pixelIs(image, 90, 80, kLayer1, "fill"));
    EXPECT_TRUE(pixelIs(image, 129, 109, kLayer1, "fill"));
    EXPECT_TRUE(pixelIs(image, 130, 95, kBackground, "fill"));
    EXPECT_TRUE(pixelIs(image, 110, 110, kBackground, "fill"));
    EXPECT_TRUE(pixelIs(image, 89, 95, kBackground, "fill"));
    EXPECT_TRUE(pixelIs(image, 110, 79, kBackground, "fill"));
    EXPECT_EQ(countPixels(image, {0, 0, 200, 200}, kLayer1), 40 * 30);
}

TEST(PainterImage, FillOfNoWidthPaintsNothing) {
    const QImage image = paintAt(makeFill(1, 10, -10, 10, 20), transformAt(true, 1));
    EXPECT_EQ(countPixels(image, {0, 0, 200, 200}, kBackground), 200 * 200);
}

// Round caps reach about half the width past each end, along the track and nowhere square.
TEST(PainterImage, TrackRoundCapsReachBeyondItsEnds) {
    // From (70, 100) to (130, 100), 20 pixels wide.
    const QImage image = paintAt(makeTrack(1, -30, 0, 30, 0, 20), transformAt(true, 1));
    EXPECT_TRUE(pixelIs(image, 62, 100, kLayer1, "track"));
    EXPECT_TRUE(pixelIs(image, 137, 100, kLayer1, "track"));
    EXPECT_TRUE(pixelIs(image, 100, 91, kLayer1, "track"));
    EXPECT_TRUE(pixelIs(image, 57, 100, kBackground, "track"));
    EXPECT_TRUE(pixelIs(image, 143, 100, kBackground, "track"));
    EXPECT_TRUE(pixelIs(image, 61, 91, kBackground, "track"));  // a square cap would cover it
}

TEST(PainterImage, ArcQuarterOneLiesUpAndRightOfItsCentre) {
    const QImage image = paintAt(makeArc(1, 0, 0, 30, 1, 1), transformAt(true, 1));
    EXPECT_GT(countPixels(image, {101, 69, 132, 100}, kLayer1), 30);
    EXPECT_EQ(countPixels(image, {0, 0, 99, 200}, kLayer1), 0);
    EXPECT_EQ(countPixels(image, {0, 102, 200, 200}, kLayer1), 0);
    EXPECT_TRUE(pixelIs(image, 121, 79, kLayer1, "arc") || pixelIs(image, 121, 78, kLayer1) ||
                pixelIs(image, 122, 79, kLayer1));
}

TEST(PainterImage, PadOfAnUnknownShapePaintsNothing) {
    for (const int shape : {0, 5}) {
        const QImage image = paintAt(makePad(1, 0, 0, 60, 40, shape), transformAt(true, 1));
        EXPECT_EQ(countPixels(image, {0, 0, 200, 200}, kBackground), 200 * 200) << shape;
    }
}

}  // namespace
