#include "footprint_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

TEST(FootprintReader, ReadsEveryKindOfElement) {
    const FootprintReadResult r = readFootprint(R"(
(footprint "ALL" (version 20211014) (generator pcbnew) (layer "F.Cu")
  (descr "a \"quoted\" description") (attr through_hole exclude_from_bom)
  (fp_text reference "REF**" (at 0 -3 90) (layer "F.SilkS") hide
    (effects (font (size 1.2 1.1) (thickness 0.18)) (justify left bottom mirror)))
  (fp_line (start 0 0) (end 1 0) (layer "F.SilkS") (width 0.12))
  (fp_poly (pts (xy 0 0) (xy 1 0) (xy 1 1)) (layer "F.Cu") (width 0) (fill solid))
  (pad "A1" thru_hole oval (at 1 2 270) (size 2 1) (drill oval 1.2 0.6 (offset 0.1 0))
    (layers "*.Cu" "*.Mask"))
  (pad "2" smd roundrect (at 0 0) (size 1 1) (layers "B.Cu") (roundrect_rratio 0.25)
    (chamfer_ratio 0.2) (chamfer top_left bottom_right))
  (zone (net 0)) (model "x.wrl"))
)");
    ASSERT_TRUE(r) << r.error;
    const KicadFootprint& fp = *r.footprint;
    EXPECT_EQ(fp.name, "ALL");
    EXPECT_EQ(fp.description, "a \"quoted\" description");
    EXPECT_EQ(fp.attributes, (std::vector<std::string>{"through_hole", "exclude_from_bom"}));
    ASSERT_EQ(fp.texts.size(), 1u);
    const KicadText& t = fp.texts[0];
    EXPECT_EQ(t.kind, KicadText::Kind::Reference);
    EXPECT_TRUE(t.hidden);
    EXPECT_TRUE(t.mirrored);
    EXPECT_EQ(t.horizontal, -1);
    EXPECT_EQ(t.vertical, 1);
    EXPECT_DOUBLE_EQ(t.rotation, 90);
    EXPECT_DOUBLE_EQ(t.height, 1.2);  // KiCad writes the height first
    EXPECT_DOUBLE_EQ(t.thickness, 0.18);
    ASSERT_EQ(fp.graphics.size(), 2u);
    EXPECT_TRUE(fp.graphics[1].filled);
    EXPECT_EQ(fp.graphics[1].points.size(), 3u);
    ASSERT_EQ(fp.pads.size(), 2u);
    const KicadPad& a1 = fp.pads[0];
    EXPECT_EQ(a1.number, "A1");
    EXPECT_EQ(a1.type, KicadPadType::ThroughHole);
    EXPECT_EQ(a1.shape, KicadPadShape::Oval);
    EXPECT_DOUBLE_EQ(a1.rotation, 270);
    ASSERT_TRUE(a1.drill);
    EXPECT_DOUBLE_EQ(a1.drill->width, 1.2);
    EXPECT_DOUBLE_EQ(a1.drill->height, 0.6);
    EXPECT_DOUBLE_EQ(a1.drill->offset.x, 0.1);
    EXPECT_EQ(fp.pads[1].chamferCorners.size(), 2u);
    EXPECT_DOUBLE_EQ(fp.pads[1].roundrectRatio, 0.25);
    EXPECT_EQ(fp.unmodelled, (std::vector<std::string>{"zone", "model"}));
}

// KiCad 7 writes strokes and fills as lists and booleans as yes/no; KiCad 8 keeps the
// reference and value as properties.
TEST(FootprintReader, ReadsTheLaterForms) {
    const FootprintReadResult r = readFootprint(R"(
(footprint "NEW" (version 20240108) (generator "pcbnew") (layer "F.Cu")
  (property "Reference" "REF**" (at 0 -2 0) (layer "F.SilkS") (hide yes)
    (effects (font (size 1 1) (thickness 0.15))))
  (property "Datasheet" "" (at 0 0 0) (layer "F.Fab"))
  (fp_rect (start 0 0) (end 1 1) (stroke (width 0.1) (type solid)) (fill yes) (layer "F.SilkS"))
  (fp_circle (center 0 0) (end 1 0) (stroke (width 0.2) (type solid)) (fill no) (layer "B.SilkS")))
)");
    ASSERT_TRUE(r) << r.error;
    ASSERT_EQ(r.footprint->texts.size(), 1u);
    EXPECT_TRUE(r.footprint->texts[0].hidden);
    EXPECT_EQ(r.footprint->texts[0].kind, KicadText::Kind::Reference);
    ASSERT_EQ(r.footprint->graphics.size(), 2u);
    EXPECT_DOUBLE_EQ(r.footprint->graphics[0].width, 0.1);
    EXPECT_TRUE(r.footprint->graphics[0].filled);
    EXPECT_FALSE(r.footprint->graphics[1].filled);
}

// KiCad 5 gives an arc by its centre, its start point and the angle it sweeps.
TEST(FootprintReader, ReadsKicadFiveModules) {
    const FootprintReadResult r = readFootprint(R"(
(module R_0603 (layer F.Cu) (tedit 5B301BBD)
  (fp_arc (start 0 0) (end 1 0) (angle 90) (layer F.SilkS) (width 0.12))
  (pad 1 smd rect (at -0.8 0) (size 0.8 0.9) (layers F.Cu F.Paste F.Mask)))
)");
    ASSERT_TRUE(r) << r.error;
    EXPECT_TRUE(r.footprint->legacy);
    EXPECT_EQ(r.footprint->name, "R_0603");
    ASSERT_EQ(r.footprint->pads.size(), 1u);
    EXPECT_EQ(r.footprint->pads[0].number, "1");
    ASSERT_EQ(r.footprint->graphics.size(), 1u);
    const auto& pts = r.footprint->graphics[0].points;
    ASSERT_EQ(pts.size(), 3u);
    EXPECT_DOUBLE_EQ(pts[0].x, 1.0);
    EXPECT_NEAR(std::hypot(pts[1].x, pts[1].y), 1.0, 1e-9);
    EXPECT_NEAR(std::fabs(pts[2].y), 1.0, 1e-9);
}

struct WrongCase {
    const char* body;
    const char* message;
};

class WrongType : public testing::TestWithParam<WrongCase> {};

TEST_P(WrongType, IsAClearError) {
    const FootprintReadResult r =
        readFootprint(std::string("(footprint \"X\" ") + GetParam().body + ")");
    EXPECT_FALSE(r);
    EXPECT_NE(r.error.find(GetParam().message), std::string::npos) << r.error;
    EXPECT_EQ(r.error.rfind("line ", 0), 0u) << r.error;
}

INSTANTIATE_TEST_SUITE_P(
    Elements, WrongType,
    testing::Values(
        WrongCase{R"((pad "1" smd rect (at 0 0) (size 1 "wide") (layers "F.Cu")))",
                  "(size) needs a number for a y value, not the text \"wide\""},
        WrongCase{R"((pad "1" smd rect (at 0) (size 1 1) (layers "F.Cu")))", "(at) lacks a y"},
        WrongCase{R"((pad "1" hole rect (at 0 0) (size 1 1) (layers "F.Cu")))", "unknown pad type"},
        WrongCase{R"((pad "1" smd rect (at 0 0) (size -1 1) (layers "F.Cu")))", "negative size"},
        WrongCase{R"((pad "1" smd rect (at 0 0) (size 1 1)))", "has no (layers)"},
        WrongCase{R"((pad (x) smd rect (at 0 0) (size 1 1) (layers "F.Cu")))", "not a list"},
        WrongCase{R"((fp_line (start 0 0) (end 1 1) (width 0.1)))", "has no (layer)"},
        WrongCase{R"((fp_line (start 0 0) (end 1 1) (layer "F.SilkS") (width thin)))",
                  "the line width"},
        WrongCase{R"((fp_poly (pts (xy 0 0) (at 1 1)) (layer "F.SilkS")))", "where (xy x y)"},
        WrongCase{R"((fp_text user "t" (at 0 0) (layer "F.SilkS") (hide maybe)))", "yes or no"},
        WrongCase{R"((fp_circle (center 0 0) (end 2e6 0) (layer "F.SilkS")))", "too large"}));

}  // namespace
