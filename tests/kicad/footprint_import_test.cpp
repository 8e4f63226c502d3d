#include "footprint_import.h"

#include "footprint_reader.h"
#include "printers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

KicadFootprint footprintOf(const std::string& body) {
    const FootprintReadResult r =
        readFootprint("(footprint \"T\" (version 20211014) (layer \"F.Cu\")\n" + body + ")");
    EXPECT_TRUE(r) << r.error;
    return r ? *r.footprint : KicadFootprint{};
}

FootprintImport importBody(const std::string& body, FootprintImportOptions options = {}) {
    return importFootprint(footprintOf(body), "T", options);
}

std::vector<const Primitive*> ofKind(const Component& c, PrimitiveType kind) {
    std::vector<const Primitive*> found;
    for (const Primitive& p : c.primitives()) {
        if (p.kind() == kind) found.push_back(&p);
    }
    return found;
}

bool hasNote(const FootprintImport& r, const std::string& part) {
    for (const auto& [text, count] : r.notes) {
        if (text.find(part) != std::string::npos) return true;
    }
    return false;
}

struct PadCase {
    const char* name;
    const char* pad;
    int layer, x, y, xSize, ySize, shape;
    const char* note;  // part of a summary line, or empty
};

void PrintTo(const PadCase& c, std::ostream* os) { *os << c.name; }

class PadImport : public testing::TestWithParam<PadCase> {};

TEST_P(PadImport, BecomesThePadOfItsShape) {
    const FootprintImport r = importBody(GetParam().pad);
    ASSERT_TRUE(r) << r.error;
    const auto pads = ofKind(*r.component, PrimitiveType::Pad);
    ASSERT_EQ(pads.size(), 1u);
    const PadFields f = pads[0]->pad();
    EXPECT_EQ(pads[0]->layer(), GetParam().layer);
    EXPECT_EQ(f.x, GetParam().x);
    EXPECT_EQ(f.y, GetParam().y);
    EXPECT_EQ(f.xSize, GetParam().xSize);
    EXPECT_EQ(f.ySize, GetParam().ySize);
    EXPECT_EQ(f.shape, GetParam().shape);
    if (*GetParam().note != '\0') {
        EXPECT_TRUE(hasNote(r, GetParam().note)) << testing::PrintToString(r.summary());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, PadImport,
    testing::Values(
        // 2.54 mm is exactly 100 mil; KiCad's y points down, the library's up.
        PadCase{"circle, through-hole",
                R"((pad "1" thru_hole circle (at 2.54 -1.27) (size 1.7 1.7) (drill 1)
                   (layers "*.Cu" "*.Mask")))",
                13, 100, 50, 67, 67, 1, "drill sizes not kept"},
        PadCase{"rectangle, top", R"((pad "1" smd rect (at 0 0) (size 1.27 0.635)
                   (layers "F.Cu" "F.Paste" "F.Mask")))",
                1, 0, 0, 50, 25, 2, ""},
        PadCase{"rectangle, bottom", R"((pad "1" smd rect (at 0 2.54) (size 1 1)
                   (layers "B.Cu" "B.Mask")))",
                6, 0, -100, 39, 39, 2, ""},
        PadCase{"oval", R"((pad "1" thru_hole oval (at 0 0) (size 2.54 1.27) (drill 0.8)
                   (layers "*.Cu" "*.Mask")))",
                13, 0, 0, 100, 50, 4, ""},
        PadCase{"round-rect", R"((pad "1" smd roundrect (at 0 0) (size 1.27 2.54)
                   (layers "F.Cu") (roundrect_rratio 0.25)))",
                1, 0, 0, 50, 100, 2, "round-rect pad drawn as a rectangle"},
        PadCase{"trapezoid", R"((pad "1" smd trapezoid (at 0 0) (size 1.27 1.27)
                   (rect_delta 0 0.3) (layers "F.Cu")))",
                1, 0, 0, 50, 50, 2, "trapezoid"},
        PadCase{"octagon", R"((pad "1" thru_hole roundrect (at 0 0) (size 2.54 2.54) (drill 1)
                   (layers "*.Cu") (roundrect_rratio 0) (chamfer_ratio 0.3)
                   (chamfer top_left top_right bottom_left bottom_right)))",
                13, 0, 0, 100, 100, 3, "octagon"},
        PadCase{"turned a quarter", R"((pad "1" smd rect (at 0 0 90) (size 2.54 1.27)
                   (layers "F.Cu")))",
                1, 0, 0, 50, 100, 2, ""},
        PadCase{"turned 45 degrees", R"((pad "1" smd rect (at 0 0 45) (size 2 2)
                   (layers "F.Cu")))",
                1, 0, 0, 111, 111, 2, "bounding box"},
        PadCase{"custom", R"((pad "1" smd custom (at 0 0) (size 0.5 0.5) (layers "F.Cu")
                   (primitives (gr_poly (pts (xy -1.27 0) (xy 2.54 0) (xy 0 1.27)) (width 0)))))",
                1, 0, 0, 200, 100, 2, "custom pad"},
        PadCase{"non-plated hole", R"((pad "" np_thru_hole circle (at 0 0) (size 3.2 3.2)
                   (drill 3.2) (layers "*.Cu" "*.Mask")))",
                13, 0, 0, 126, 126, 1, "non-plated"}));

TEST(FootprintImport, DropsPadsWithoutCopper) {
    const FootprintImport r =
        importBody(R"((pad "" smd rect (at 0 0) (size 1 1) (layers "F.Paste")))");
    ASSERT_TRUE(r);
    EXPECT_TRUE(ofKind(*r.component, PrimitiveType::Pad).empty());
    EXPECT_TRUE(hasNote(r, "pad without copper"));
}

// The file's record order numbers the pads on export; it must follow KiCad's order.
TEST(FootprintImport, ListsDrawingsThenSurfacePadsThenThroughHolePadsInOrder) {
    const FootprintImport r = importBody(R"(
        (fp_line (start 0 0) (end 1 0) (layer "F.SilkS") (width 0.254))
        (pad "1" thru_hole circle (at 0 0) (size 1 1) (drill 0.5) (layers "*.Cu"))
        (pad "2" smd rect (at 2.54 0) (size 1 1) (layers "F.Cu"))
        (pad "3" thru_hole circle (at 5.08 0) (size 1 1) (drill 0.5) (layers "*.Cu"))
        (pad "4" smd rect (at 7.62 0) (size 1 1) (layers "F.Cu"))
        (fp_line (start 0 1) (end 1 1) (layer "F.SilkS") (width 0.254)))");
    ASSERT_TRUE(r);
    std::vector<int> order;
    for (const Primitive& p : r.component->primitives()) {
        order.push_back(p.kind() == PrimitiveType::Pad ? p.pad().x : -p.track().y1 - 1000);
    }
    EXPECT_EQ(order, (std::vector<int>{-1000, -961, 100, 300, 0, 200}));
}

struct PadOrderCase {
    const char* name;
    const char* pads;
    std::vector<int> xs;  // the pads' x in the component's list
    const char* renumbering;
};

void PrintTo(const PadOrderCase& c, std::ostream* os) { *os << c.name; }

class PadOrder : public testing::TestWithParam<PadOrderCase> {};

// The list order is what a save writes and an export numbers, so it decides every pad number.
TEST_P(PadOrder, FollowsKicadNumbersAndSaysWhatChanges) {
    const FootprintImport r = importBody(GetParam().pads);
    ASSERT_TRUE(r) << r.error;
    std::vector<int> xs;
    for (const Primitive* p : ofKind(*r.component, PrimitiveType::Pad)) xs.push_back(p->pad().x);
    EXPECT_EQ(xs, GetParam().xs);
    EXPECT_EQ(r.renumbering, GetParam().renumbering);
    const auto lines = r.summary();
    if (*GetParam().renumbering != '\0') {
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.front(), GetParam().renumbering);
    }
}

#define TH_PAD(n, x) \
    "(pad \"" n "\" thru_hole circle (at " x " 0) (size 1 1) (drill 0.5) (layers \"*.Cu\"))"
#define SMD_PAD(n, x) "(pad \"" n "\" smd rect (at " x " 0) (size 1 1) (layers \"F.Cu\"))"

INSTANTIATE_TEST_SUITE_P(
    Numbers, PadOrder,
    testing::Values(PadOrderCase{"numbered out of file order",
                                 SMD_PAD("3", "5.08") SMD_PAD("1", "0") SMD_PAD("2", "2.54"),
                                 {0, 100, 200},
                                 ""},
                    PadOrderCase{"natural order",
                                 SMD_PAD("10", "0") SMD_PAD("2", "2.54") SMD_PAD("1", "5.08"),
                                 {200, 100, 0},
                                 "pads 1 2 10 become 1 2 3"},
                    PadOrderCase{"letters and digits",
                                 SMD_PAD("B1", "0") SMD_PAD("A2", "2.54") SMD_PAD("A1", "5.08"),
                                 {200, 100, 0},
                                 "pads A1 A2 B1 become 1 2 3"},
                    PadOrderCase{
                        "mounting hole listed first",
                        "(pad \"\" np_thru_hole circle (at 7.62 0) (size 3 3) (drill 3) (layers "
                        "\"*.Cu\"))" TH_PAD("1", "0") TH_PAD("2", "2.54") TH_PAD("3", "5.08"),
                        {0, 100, 200, 300},
                        "pads 1-3 \"\" become 1-3 4"},
                    PadOrderCase{"unnumbered surface pad",
                                 SMD_PAD("", "0") SMD_PAD("2", "2.54") SMD_PAD("1", "5.08"),
                                 {200, 100, 0},
                                 "pads 1 2 \"\" become 1 2 3"},
                    PadOrderCase{"surface tab among through-hole pins",
                                 TH_PAD("1", "0") SMD_PAD("2", "2.54") TH_PAD("3", "5.08"),
                                 {100, 0, 200},
                                 "pads 2 1 3 become 1 2 3"}));

#undef TH_PAD
#undef SMD_PAD

TEST(FootprintImport, TurnsDrawingsIntoTracksArcsAndFills) {
    const FootprintImport r = importBody(R"(
        (fp_rect (start 0 0) (end 2.54 1.27) (layer "F.SilkS") (width 0.254))
        (fp_rect (start 0 0) (end 2.54 1.27) (layer "B.SilkS") (width 0) (fill solid))
        (fp_circle (center 0 0) (end 2.54 0) (layer "F.SilkS") (width 0.254))
        (fp_poly (pts (xy 0 0) (xy 2.54 0) (xy 2.54 2.54) (xy 0 2.54)) (layer "F.Cu")
                 (width 0) (fill solid))
        (fp_poly (pts (xy 0 0) (xy 2.54 0) (xy 0 2.54)) (layer "F.SilkS") (width 0.254)
                 (fill solid))
        (fp_line (start 0 0) (end 1 1) (layer "Edge.Cuts") (stroke (width 0.1) (type solid))))");
    ASSERT_TRUE(r) << r.error;
    const auto tracks = ofKind(*r.component, PrimitiveType::Track);
    const auto fills = ofKind(*r.component, PrimitiveType::Fill);
    const auto arcs = ofKind(*r.component, PrimitiveType::Arc);
    ASSERT_EQ(tracks.size(), 4u + 3u + 1u);
    ASSERT_EQ(fills.size(), 2u);
    ASSERT_EQ(arcs.size(), 1u);
    EXPECT_EQ(tracks[0]->layer(), 7);
    EXPECT_EQ(tracks[0]->track().width, 10);
    EXPECT_EQ(fills[0]->layer(), 8);
    EXPECT_EQ(fills[0]->bounds(), (Bounds{0, 100, -50, 0}));
    EXPECT_EQ(fills[1]->layer(), 1);
    EXPECT_EQ(arcs[0]->arc().radius, 100);
    EXPECT_EQ(arcs[0]->arc().quadrantFlags, 15);
    EXPECT_EQ(tracks.back()->layer(), 11);
    EXPECT_TRUE(hasNote(r, "filled polygon drawn as its outline"));
}

TEST(FootprintImport, SkipsFabricationAndCourtyardUnlessAsked) {
    const std::string body = R"(
        (fp_line (start 0 0) (end 1 0) (layer "F.CrtYd") (width 0.05))
        (fp_line (start 0 0) (end 1 0) (layer "F.Fab") (width 0.1)))";
    const FootprintImport plain = importBody(body);
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain.component->primitiveCount(), 0);
    EXPECT_TRUE(hasNote(plain, "courtyard skipped"));
    FootprintImportOptions options;
    options.withCourtyard = true;
    const FootprintImport kept = importBody(body, options);
    ASSERT_TRUE(kept);
    ASSERT_EQ(kept.component->primitiveCount(), 1);
    EXPECT_EQ(kept.component->primitives()[0].layer(), 12);
}

TEST(FootprintImport, UsesTheUnitGivenAndCountsLargeRoundings) {
    FootprintImportOptions options;
    options.unit = KicadUnit{100'000};  // 0.1 mm
    const FootprintImport r =
        importBody(R"((pad "1" smd rect (at 2.54 -0.05) (size 1 1) (layers "F.Cu")))", options);
    ASSERT_TRUE(r) << r.error;
    const PadFields f = ofKind(*r.component, PrimitiveType::Pad)[0]->pad();
    EXPECT_EQ(f.x, 25);  // 25.4 units
    EXPECT_EQ(f.y, 1);   // 0.5 rounds away from zero
    EXPECT_EQ(f.xSize, 10);
    EXPECT_TRUE(hasNote(r, "value rounded by more than 0.25 units (at most 0.50)"))
        << testing::PrintToString(r.summary());
}

TEST(FootprintImport, SkipsHiddenTextsAndNamesTheValueAfterTheComponent) {
    const FootprintImport r = importBody(R"(
        (fp_text value "T" (at 0 0) (layer "F.SilkS") (effects (font (size 1 1) (thickness 0.1))))
        (fp_text user "gone" (at 0 0) (layer "F.SilkS") hide
          (effects (font (size 1 1) (thickness 0.1)))))");
    ASSERT_TRUE(r) << r.error;
    const auto strings = ofKind(*r.component, PrimitiveType::String);
    ASSERT_EQ(strings.size(), 1u);
    const StringFields f = strings[0]->string();
    EXPECT_EQ(std::string(f.text.begin(), f.text.end()), "T");
    EXPECT_TRUE(hasNote(r, "hidden text skipped"));
}

struct ArcCase {
    double start, sweep;
    int quarters;
    bool exact;
};

class ArcQuarters : public testing::TestWithParam<ArcCase> {};

TEST_P(ArcQuarters, CoverWhatTheArcTouches) {
    bool exact = false;
    EXPECT_EQ(arcQuarters(GetParam().start, GetParam().sweep, exact), GetParam().quarters);
    EXPECT_EQ(exact, GetParam().exact);
}

INSTANTIATE_TEST_SUITE_P(Angles, ArcQuarters,
                         testing::Values(ArcCase{0, 90, 1, true}, ArcCase{90, 90, 2, true},
                                         ArcCase{180, 180, 4 | 8, true},
                                         ArcCase{270, 180, 8 | 1, true},  // wraps past 360
                                         ArcCase{0, 360, 15, true}, ArcCase{10, 20, 1, false},
                                         ArcCase{80, 20, 1 | 2, false}, ArcCase{-90, 90, 8, true}));

// A KiCad arc goes from start through mid to end; both directions give the same quarters.
TEST(FootprintImport, ArcFromThreePointsInEitherDirection) {
    for (const char* arc : {"(fp_arc (start 2.54 0) (mid 1.796 -1.796) (end 0 -2.54)",
                            "(fp_arc (start 0 -2.54) (mid 1.796 -1.796) (end 2.54 0)"}) {
        const FootprintImport r =
            importBody(std::string(arc) + " (layer \"F.SilkS\") (width 0.254))");
        ASSERT_TRUE(r) << r.error;
        const auto arcs = ofKind(*r.component, PrimitiveType::Arc);
        ASSERT_EQ(arcs.size(), 1u);
        const ArcFields f = arcs[0]->arc();
        EXPECT_EQ(f.x, 0);
        EXPECT_EQ(f.y, 0);
        EXPECT_EQ(f.radius, 100);
        EXPECT_EQ(f.quadrantFlags, 1) << arc;  // upper right, y up
        EXPECT_FALSE(hasNote(r, "widened"));
    }
}

struct TextCase {
    const char* name;
    const char* text;
    int x, y, orientation;
    const char* content;
};

class TextImport : public testing::TestWithParam<TextCase> {};

TEST_P(TextImport, PlacesTheStringAtItsBaselineStart) {
    const FootprintImport r = importBody(GetParam().text);
    ASSERT_TRUE(r) << r.error;
    const auto strings = ofKind(*r.component, PrimitiveType::String);
    ASSERT_EQ(strings.size(), 1u);
    const StringFields f = strings[0]->string();
    EXPECT_EQ(f.x, GetParam().x);
    EXPECT_EQ(f.y, GetParam().y);
    EXPECT_EQ(f.orientation, GetParam().orientation);
    EXPECT_EQ(std::string(f.text.begin(), f.text.end()), GetParam().content);
}

// "REF**" advances 30 sixths and its ink spans 28; at 60 mil (1.524 mm) a sixth is 10 mil.
// KiCad centres the ink, its capitals 1/21 of the height above the middle: 27 mil above the
// baseline.
INSTANTIATE_TEST_SUITE_P(
    Texts, TextImport,
    testing::Values(
        TextCase{"centred", R"((fp_text reference "REF**" (at 0 0) (layer "F.SilkS")
                   (effects (font (size 1.524 1.524) (thickness 0.254)))))",
                 -140, -27, 0, "REF**"},
        TextCase{"left justified", R"((fp_text reference "REF**" (at 0 0) (layer "F.SilkS")
                   (effects (font (size 1.524 1.524) (thickness 0.254)) (justify left))))",
                 0, -27, 0, "REF**"},
        TextCase{"turned a quarter", R"((fp_text reference "REF**" (at 0 0 90) (layer "F.SilkS")
                   (effects (font (size 1.524 1.524) (thickness 0.254)))))",
                 27, -140, 1, "REF**"},
        TextCase{"mirrored", R"((fp_text user "REF**" (at 0 0) (layer "B.SilkS")
                   (effects (font (size 1.524 1.524) (thickness 0.254)) (justify mirror))))",
                 140, -27, 16, "REF**"},
        TextCase{"mirrored and turned", R"((fp_text user "REF**" (at 0 0 90) (layer "B.SilkS")
                   (effects (font (size 1.524 1.524) (thickness 0.254)) (justify mirror))))",
                 27, 140, 19, "REF**"},
        TextCase{"placeholder", R"((fp_text user "${REFERENCE}" (at 0 0) (layer "F.SilkS")
                   (effects (font (size 1.524 1.524) (thickness 0.254)) (justify left))))",
                 0, -27, 0, "REF**"},
        TextCase{"long text cut", R"((fp_text user "ABCDEFGHIJKLMNOP" (at 0 0) (layer "F.SilkS")
                   (effects (font (size 0.6 0.6) (thickness 0.1)) (justify left bottom))))",
                 0, 0, 0, "ABCDEFGHIJKLM"}));

struct RefusalCase {
    const char* name;
    const char* body;
    const char* message;
};

void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }

class ImportRefusal : public testing::TestWithParam<RefusalCase> {};

// Values beyond their field must stop the footprint, never wrap into a wrong small value.
TEST_P(ImportRefusal, RefusesValuesBeyondTheirFields) {
    const FootprintImport r = importBody(GetParam().body);
    EXPECT_FALSE(r);
    EXPECT_NE(r.error.find(GetParam().message), std::string::npos) << r.error;
}

INSTANTIATE_TEST_SUITE_P(
    Values, ImportRefusal,
    testing::Values(RefusalCase{"pad beyond 32,767 mil", R"((pad "1" smd rect (at 0 0) (size 833 1)
                     (layers "F.Cu")))",
                                "pad \"1\" width"},
                    RefusalCase{"position beyond 16 bits",
                                R"((pad "1" smd rect (at 0 -900) (size 1 1)
                     (layers "F.Cu")))",
                                "16-bit"},
                    RefusalCase{"line width above 255", R"((fp_line (start 0 0) (end 1 0)
                     (layer "F.SilkS") (width 6.5)))",
                                "more than the 255"},
                    RefusalCase{"text stroke above 255",
                                R"((fp_text user "X" (at 0 0) (layer "F.SilkS")
                     (effects (font (size 1 1) (thickness 7)))))",
                                "stroke width"},
                    RefusalCase{"arc radius beyond 16 bits", R"((fp_circle (center 0 0) (end 900 0)
                     (layer "F.SilkS") (width 0.1)))",
                                "radius"}));

}  // namespace
