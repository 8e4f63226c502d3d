#include "footprint_export.h"

#include "component.h"
#include "kicad_test_support.h"
#include "library.h"
#include "library_file_builder.h"
#include "primitive_factory.h"

#include <gtest/gtest.h>

#include <fstream>
#include <limits>

namespace {

std::unique_ptr<Component> componentOf(std::initializer_list<Primitive> primitives,
                                       std::string_view name = "PART") {
    auto component = std::make_unique<Component>(makeEntry(name));
    for (const Primitive& p : primitives) component->addPrimitive(p);
    return component;
}

// The lines of `text` that start with `prefix` after the indent.
std::vector<std::string> linesStarting(const std::string& text, std::string_view prefix) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        const auto first = line.find_first_not_of(' ');
        if (first != std::string::npos && line.compare(first, prefix.size(), prefix) == 0) {
            lines.push_back(line.substr(first));
        }
        start = end + 1;
    }
    return lines;
}

struct GoldenRow {
    const char* library;
    const char* component;
    const char* file;
};

class GoldenFootprintTest : public testing::TestWithParam<GoldenRow> {};

// Reviewed by eye against the viewer's drawing; any change to the written text shows here.
TEST_P(GoldenFootprintTest, MatchesTheReviewedFile) {
    const GoldenRow& row = GetParam();
    Library library;
    PlainNameList names;
    ASSERT_TRUE(library.load((samplesDir() / row.library).string(), names));
    const Component* component = library.findByName(row.component);
    ASSERT_NE(component, nullptr);
    const FootprintText footprint = exportFootprint(*component, {});
    EXPECT_TRUE(footprint.notes.empty());
    const std::string golden = readText(std::filesystem::path(KICAD_GOLDEN_DIR) / row.file);
    if (footprint.text != golden) {
        const auto actual = std::filesystem::path(TEST_OUTPUT_DIR) / row.file;
        std::ofstream(actual, std::ios::binary) << footprint.text;
        ADD_FAILURE() << row.component << " differs from its golden file; written to " << actual;
    }
}

INSTANTIATE_TEST_SUITE_P(Samples, GoldenFootprintTest,
                         testing::Values(GoldenRow{"CONNECT.LIB", "SIP2", "SIP2.kicad_mod"},
                                         GoldenRow{"IC.LIB", "SO8-BOT", "SO8-BOT.kicad_mod"},
                                         GoldenRow{"IC.LIB", "SO8-EP", "SO8-EP.kicad_mod"},
                                         GoldenRow{"DISCRETE.LIB", "HC49", "HC49.kicad_mod"},
                                         GoldenRow{"DISCRETE.LIB", "TO220H", "TO220H.kicad_mod"},
                                         GoldenRow{"PASSIVE.LIB", "RB.2/.4",
                                                   "RB.2%2F.4.kicad_mod"}));

TEST(FootprintExport, SameComponentGivesTheSameBytesAndACopyTheSameAsTheOriginal) {
    Library library;
    PlainNameList names;
    ASSERT_TRUE(library.load((sharedLibrariesDir() / "KC_DIP.LIB").string(), names) ||
                library.load((samplesDir() / "IC.LIB").string(), names));
    for (const auto& component : library.components()) {
        const std::string first = exportFootprint(*component, {}).text;
        EXPECT_EQ(exportFootprint(*component, {}).text, first);
        EXPECT_EQ(exportFootprint(*component->clone(), {}).text, first) << component->displayName();
    }
}

// File order is 1: pad on layer 1, 2: MultiLayer pad, 3: pad on layer 6, 4: MultiLayer pad;
// the list holds them as 3, 1, 2, 4, which must not decide the numbers.
TEST(FootprintExport, PadsAreNumberedInRecordOrderAndViasGetNoNumber) {
    LibraryFileBuilder file;
    const std::vector<Primitive> records = {
        makePad(1, 100, 0, 50, 50, 2),  makeVia(13, 900, 0, 30, 10),
        makePad(13, 200, 0, 60, 60, 1), makePad(7, 250, 0, 60, 60, 1),
        makePad(6, 300, 0, 50, 50, 2),  makePad(13, 400, 0, 60, 60, 1),
    };
    std::size_t at = 401;
    for (const auto& p : records) {
        file.primitive(at, p);
        at += p.recordLength() / 16;
    }
    file.slot(0, makeEntry("MIXED", static_cast<int>(records.size()), 401));
    Library library;
    PlainNameList names;
    ASSERT_TRUE(library.loadImage(file.bytes(), names));
    const auto pads = linesStarting(exportFootprint(*library.components()[0], {}).text, "(pad ");
    ASSERT_EQ(pads.size(), 6u);
    EXPECT_EQ(pads[0].substr(0, 28), "(pad \"1\" smd rect (at 2.54 0");
    EXPECT_EQ(pads[1].substr(0, 38), "(pad \"\" thru_hole circle (at 22.86 0) ");
    EXPECT_EQ(pads[2].substr(0, 37), "(pad \"2\" thru_hole circle (at 5.08 0)");
    EXPECT_EQ(pads[3].substr(0, 26), "(pad \"\" smd circle (at 6.3");
    EXPECT_EQ(pads[4].substr(0, 28), "(pad \"3\" smd rect (at 7.62 0");
    EXPECT_EQ(pads[5].substr(0, 38), "(pad \"4\" thru_hole circle (at 10.16 0)");
}

struct DrillRow {
    std::int64_t side;
    double ratio;
    std::optional<std::int64_t> fixed;
    std::int64_t drill;
};

class DrillRuleTest : public testing::TestWithParam<DrillRow> {};

TEST_P(DrillRuleTest, ShareOfTheSmallerSideWithinBounds) {
    KicadExportOptions options;
    options.drillRatio = GetParam().ratio;
    options.drillNanometres = GetParam().fixed;
    EXPECT_EQ(padDrillNanometres(GetParam().side, options), GetParam().drill);
}

INSTANTIATE_TEST_SUITE_P(
    Sides, DrillRuleTest,
    testing::Values(DrillRow{1'574'800, 0.6, {}, 944'880},  // 62 mil pad
                    DrillRow{1'000'000, 0.6, {}, 600'000},
                    DrillRow{400'000, 0.6, {}, 300'000},  // raised to the floor
                    DrillRow{200'000, 0.6, {}, 200'000},  // but never past the pad
                    DrillRow{1'000'000, 0.45, {}, 450'000}, DrillRow{1'000'000, 1.5, {}, 1'000'000},
                    DrillRow{1'000'000, 0.6, 800'000, 800'000},
                    DrillRow{100'000, 0.6, 800'000, 800'000},
                    // Options a command line could pass that are no drill at all.
                    DrillRow{1'000'000, 0.6, 0, 600'000}, DrillRow{1'000'000, 0.6, -5, 600'000},
                    DrillRow{1'000'000, 0, {}, 600'000}, DrillRow{1'000'000, -1, {}, 600'000},
                    DrillRow{1'000'000, std::numeric_limits<double>::quiet_NaN(), {}, 600'000},
                    DrillRow{1'000'000, std::numeric_limits<double>::infinity(), {}, 600'000},
                    DrillRow{1'000'000, 1e300, {}, 1'000'000}));

TEST(FootprintExport, ThroughHolePadTakesItsDrillFromTheSmallerSide) {
    // A round pad's side is its xSize alone, as it is drawn.
    const auto text =
        exportFootprint(
            *componentOf({makePad(13, 0, 0, 100, 40, 1), makePad(13, 0, 0, 100, 40, 4)}), {})
            .text;
    const auto pads = linesStarting(text, "(pad ");
    ASSERT_EQ(pads.size(), 2u);
    EXPECT_NE(pads[0].find("(size 2.54 2.54) (drill 1.524)"), std::string::npos) << pads[0];
    EXPECT_NE(pads[1].find("oval (at 0 0) (size 2.54 1.016) (drill 0.6096)"), std::string::npos)
        << pads[1];
}

TEST(FootprintExport, OctagonHasTheViewersCorners) {
    // 50 x 30 gives halves 25, 15 and fifths 10, 6 in library units.
    const auto text = exportFootprint(*componentOf({makePad(1, 0, 0, 50, 30, 3)}), {}).text;
    EXPECT_NE(text.find("(gr_poly (pts (xy 0.635 0.1524) (xy 0.254 0.381) (xy -0.254 0.381) "
                        "(xy -0.635 0.1524) (xy -0.635 -0.1524) (xy -0.254 -0.381) "
                        "(xy 0.254 -0.381) (xy 0.635 -0.1524)) (width 0) (fill yes))"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("(pad \"1\" smd custom (at 0 0) (size 0.381 0.381) (layers"),
              std::string::npos)
        << text;
}

struct ArcRow {
    int flags;
    std::vector<std::string> shapes;
};

class ArcRunsTest : public testing::TestWithParam<ArcRow> {};

TEST_P(ArcRunsTest, OneArcPerRunOfAdjacentQuarters) {
    const auto text =
        exportFootprint(*componentOf({makeArc(7, 0, 0, 100, GetParam().flags, 10)}), {}).text;
    std::vector<std::string> shapes = linesStarting(text, "(fp_arc");
    for (const auto& circle : linesStarting(text, "(fp_circle")) shapes.push_back(circle);
    for (auto& shape : shapes) shape = shape.substr(0, shape.find(" (layer"));
    EXPECT_EQ(shapes, GetParam().shapes);
}

// Radius 100 mil = 2.54 mm; KiCad y points down, so the upper quarters have negative y.
INSTANTIATE_TEST_SUITE_P(
    Quarters, ArcRunsTest,
    testing::Values(ArcRow{1, {"(fp_arc (start 0 -2.54) (mid 1.796051 -1.796051) (end 2.54 0)"}},
                    ArcRow{4, {"(fp_arc (start 0 2.54) (mid -1.796051 1.796051) (end -2.54 0)"}},
                    ArcRow{3, {"(fp_arc (start -2.54 0) (mid 0 -2.54) (end 2.54 0)"}},
                    // Lower right then upper right: one run across the positive x axis.
                    ArcRow{9, {"(fp_arc (start 0 -2.54) (mid 2.54 0) (end 0 2.54)"}},
                    ArcRow{5,
                           {"(fp_arc (start 0 -2.54) (mid 1.796051 -1.796051) (end 2.54 0)",
                            "(fp_arc (start 0 2.54) (mid -1.796051 1.796051) (end -2.54 0)"}},
                    ArcRow{14, {"(fp_arc (start 2.54 0) (mid -1.796051 1.796051) (end 0 -2.54)"}},
                    ArcRow{15, {"(fp_circle (center 0 0) (end 2.54 0)"}},
                    // The upper four bits mean nothing.
                    ArcRow{0xF1,
                           {"(fp_arc (start 0 -2.54) (mid 1.796051 -1.796051) (end 2.54 0)"}}));

struct TextRow {
    int orientation;
    int height;
    std::string at;
    std::string justify;
};

class TextPlacementTest : public testing::TestWithParam<TextRow> {};

// "H" at the origin, height 60: unit 10, ink 40 wide and 60 tall; KiCad is given the ink's
// centre (20, 30), lowered by 60/21 units, in the text's own turn.
TEST_P(TextPlacementTest, CentreOfTheViewersInkInTheTextsTurn) {
    const TextRow& row = GetParam();
    const auto text =
        exportFootprint(*componentOf({makeString(7, 0, 0, row.height, 8, row.orientation, "H")}),
                        {})
            .text;
    const auto texts = linesStarting(text, "(fp_text user \"H\"");
    ASSERT_EQ(texts.size(), 1u) << text;
    EXPECT_EQ(texts[0], "(fp_text user \"H\" (at " + row.at + ") (layer \"F.SilkS\")") << text;
    const auto effects =
        linesStarting(text, "(effects (font (size 1.524 1.524) (thickness 0.2032))");
    ASSERT_EQ(effects.size(), 1u) << text;
    EXPECT_EQ(effects[0],
              "(effects (font (size 1.524 1.524) (thickness 0.2032))" + row.justify + ")");
}

INSTANTIATE_TEST_SUITE_P(
    Orientations, TextPlacementTest,
    testing::Values(TextRow{0, 60, "0.508 -0.689429", ""},
                    TextRow{1, 60, "-0.689429 -0.508 90 unlocked", ""},
                    TextRow{2, 60, "-0.508 0.689429 180 unlocked", ""},
                    TextRow{3, 60, "0.689429 0.508 270 unlocked", ""},
                    TextRow{16, 60, "-0.508 -0.689429", " (justify mirror)"},
                    TextRow{17, 60, "0.689429 -0.508 270 unlocked", " (justify mirror)"},
                    TextRow{18, 60, "0.508 0.689429 180 unlocked", " (justify mirror)"},
                    TextRow{19, 60, "-0.689429 0.508 90 unlocked", " (justify mirror)"},
                    // A negative height turns the glyphs half a turn about the anchor.
                    TextRow{0, -60, "-0.508 0.689429 180 unlocked", ""},
                    // Height 65 draws as 60: the unit is truncated.
                    TextRow{0, 65, "0.508 -0.689429", ""}));

struct NoteRow {
    Primitive primitive;
    const char* note;    // empty when the primitive is exact
    const char* absent;  // a text the footprint must not hold
};

class NotesTest : public testing::TestWithParam<NoteRow> {};

TEST_P(NotesTest, SaysWhatWasLeftOutOrChanged) {
    const FootprintText footprint = exportFootprint(*componentOf({GetParam().primitive}), {});
    if (*GetParam().note == '\0') {
        EXPECT_TRUE(footprint.notes.empty()) << footprint.notes[0];
    } else {
        ASSERT_EQ(footprint.notes.size(), 1u) << footprint.text;
        EXPECT_EQ(footprint.notes[0], GetParam().note);
    }
    if (*GetParam().absent) {
        EXPECT_EQ(footprint.text.find(GetParam().absent), std::string::npos) << footprint.text;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Primitives, NotesTest,
    testing::Values(
        NoteRow{makePad(13, 0, 0, 60, 60, 0), "record 1 (Pad): shape 0 is not drawn; skipped",
                "(pad"},
        NoteRow{makePad(13, 0, 0, 60, 60, 5), "record 1 (Pad): shape 5 is not drawn; skipped",
                "(pad"},
        NoteRow{makePad(1, 0, 0, 0, 60, 2), "record 1 (Pad): size 0; skipped", "(pad"},
        NoteRow{makePad(1, 0, 0, 60, 0, 1), "", ""},  // a round pad ignores ySize
        NoteRow{makePad(14, 0, 0, 60, 60, 1),
                "record 1 (Pad): layer 14 is not a board layer; skipped", "(pad"},
        NoteRow{makePad(13, 0, 0, -60, 40, 2),
                "record 1 (Pad): negative size; written at its magnitude", "-1.524 "},
        NoteRow{makePad(8, 0, 0, 60, 60, 2),
                "record 1 (Pad): on a layer without copper; written as an unnumbered pad",
                "(pad \"1\""},
        NoteRow{makeArc(7, 0, 0, 0, 15, 5), "record 1 (Arc): radius 0; skipped", "fp_circle"},
        NoteRow{makeArc(7, 0, 0, 50, 0, 5), "record 1 (Arc): no quarter is set; skipped", "fp_arc"},
        NoteRow{makeArc(7, 0, 0, -100, 1, 5),
                "record 1 (Arc): negative radius; written as the opposite quarters of radius 100",
                "(start 2.54 0)"},
        NoteRow{makeArc(0, 0, 0, 50, 15, 5),
                "record 1 (Arc): layer 0 is not a board layer; skipped", "fp_circle"},
        NoteRow{makeFill(7, 5, 0, 5, 50), "record 1 (Fill): no area; skipped", "fp_rect"},
        NoteRow{makeTrack(15, 0, 0, 10, 0, 5),
                "record 1 (Track): layer 15 is not a board layer; skipped", "fp_line"},
        NoteRow{makeTrack(13, 0, 0, 10, 0, 5), "", ""},
        NoteRow{makeString(7, 0, 0, 5, 8, 0, "AB"),
                "record 1 (String): height 5 draws as a point; skipped", "(fp_text user \"AB"},
        NoteRow{makeString(7, 0, 0, 60, 8, 0, std::string_view("\x01\x00\x1F", 3)),
                "record 1 (String): no character that draws; skipped", "(fp_text user \"\""},
        NoteRow{makeString(7, 0, 0, 60, 8, 4, "AB"),
                "record 1 (String): orientation 4 piles the characters on one another; written "
                "upright",
                " unlocked"},
        NoteRow{makeString(7, 0, 0, 60, 8, 0, "\xC1\xE2"),
                "record 1 (String): codes 128 to 255 written as the characters the viewer draws",
                "\xC1"},
        NoteRow{makeString(7, 0, 0, 60, 8, 0, "~{N}"),
                "record 1 (String): KiCad reads \"~{\" as markup", ""},
        NoteRow{makeVia(1, 0, 0, 0, 0), "record 1 (Via): diameter 0; skipped", "(pad"},
        NoteRow{makeVia(1, 0, 0, 20, 30), "record 1 (Via): hole not smaller than the via", ""},
        NoteRow{makeVia(200, 0, 0, 40, 20), "", ""},  // a via's layer byte is not read
        // KiCad clamps what lies beyond about 1.5 m and would bend the circle.
        NoteRow{makeArc(7, 32767, 0, 32767, 1, 0),
                "record 1 (Arc): reaches 1664.5636 mm from the origin, beyond the 1500 mm KiCad "
                "can hold; skipped",
                "fp_arc"}));  // a via's layer byte is not read

TEST(FootprintExport, StringTextIsEscapedAndKeepsOnlyCharactersThatDraw) {
    const auto text = exportFootprint(*componentOf({makeString(7, 0, 0, 60, 8, 0,
                                                               std::string_view("a\"b\\c\x00\x0A"
                                                                                "d\xC1",
                                                                                9))}),
                                      {})
                          .text;
    EXPECT_NE(text.find("(fp_text user \"a\\\"b\\\\cdA\" (at"), std::string::npos) << text;
}

TEST(FootprintExport, NameIsLatin1InUtf8AndEscaped) {
    DirectoryEntry entry = makeEntry("X");
    const std::string_view name("\"\\\xE9\xFF/:", 6);
    entry.bytes[2] = static_cast<std::uint8_t>(name.size());
    std::copy(name.begin(), name.end(), entry.bytes.begin() + 3);
    Component component(entry);
    const auto text = exportFootprint(component, {}).text;
    const std::string quoted = "\"\\\"\\\\\xC3\xA9\xC3\xBF/:\"";
    EXPECT_EQ(text.rfind("(footprint " + quoted + " (version 20211014) (generator cobble)\n", 0),
              0u)
        << text;
    EXPECT_NE(text.find("(fp_text value " + quoted), std::string::npos) << text;
}

TEST(FootprintExport, EmptyComponentHasItsFieldsAtTheOrigin) {
    Component component(makeEntry("NOTHING"));
    const FootprintText footprint = exportFootprint(component, {});
    EXPECT_TRUE(footprint.notes.empty());
    EXPECT_EQ(footprint.text,
              "(footprint \"NOTHING\" (version 20211014) (generator cobble)\n"
              "  (layer \"F.Cu\")\n"
              "  (fp_text reference \"REF**\" (at 0 -1.5) (layer \"F.SilkS\")\n"
              "    (effects (font (size 1 1) (thickness 0.15)))\n"
              "  )\n"
              "  (fp_text value \"NOTHING\" (at 0 1.5) (layer \"F.Fab\")\n"
              "    (effects (font (size 1 1) (thickness 0.15)))\n"
              "  )\n"
              "  (fp_text user \"${REFERENCE}\" (at 0 0) (layer \"F.Fab\")\n"
              "    (effects (font (size 1 1) (thickness 0.15)))\n"
              "  )\n"
              ")\n");
}

// With a larger unit even a pad can leave KiCad's reach; it is skipped but keeps its number.
TEST(FootprintExport, PadBeyondReachIsSkippedAndItsNumberLeftFree) {
    KicadExportOptions options;
    options.unit = KicadUnit{100'000};
    const FootprintText footprint = exportFootprint(
        *componentOf({makePad(13, 20000, 0, 60, 60, 1), makePad(13, 0, 0, 60, 60, 1)}), options);
    ASSERT_EQ(footprint.notes.size(), 1u);
    EXPECT_EQ(footprint.notes[0],
              "record 1 (Pad): reaches 2003 mm from the origin, beyond the 1500 mm KiCad can "
              "hold; skipped");
    const auto pads = linesStarting(footprint.text, "(pad ");
    ASSERT_EQ(pads.size(), 1u);
    EXPECT_EQ(pads[0].substr(0, 35), "(pad \"2\" thru_hole circle (at 0 0) ");
}

TEST(FootprintExport, UnitScalesEveryLength) {
    KicadExportOptions options;
    options.unit = KicadUnit{10'000};
    const auto text =
        exportFootprint(*componentOf({makeTrack(7, -3, 4, 100, -7, 9)}), options).text;
    EXPECT_NE(text.find("(fp_line (start -0.03 -0.04) (end 1 0.07) (layer \"F.SilkS\") "
                        "(width 0.09))"),
              std::string::npos)
        << text;
}

}  // namespace
