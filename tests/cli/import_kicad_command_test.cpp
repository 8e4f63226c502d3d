// `importKicadFootprints` in the process: the report's fields and what the libraries hold.

#include "import_kicad_command.h"

#include "library.h"
#include "library_check.h"
#include "library_file_builder.h"
#include "name_rules.h"
#include "primitive_factory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path kFootprints = "/usr/share/kicad/footprints";

std::string footprintText(const std::string& name, double x = 0.0) {
    return "(footprint \"" + name +
           "\" (version 20211014) (generator pcbnew) (layer \"F.Cu\")\n"
           "  (fp_line (start -1 -1) (end 1 -1) (layer \"F.SilkS\") (width 0.12))\n"
           "  (pad \"1\" smd rect (at " +
           std::to_string(x) + " 0) (size 1 1) (layers \"F.Cu\" \"F.Paste\" \"F.Mask\"))\n)\n";
}

std::string readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeText(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A .pretty folder of `count` footprints named P000, P001, ...
fs::path makePretty(const TemporaryDirectory& tmp, const std::string& name, int count) {
    const fs::path folder = tmp / (name + ".pretty");
    fs::create_directory(folder);
    for (int i = 0; i < count; ++i) {
        char footprint[16];
        std::snprintf(footprint, sizeof footprint, "P%03d", i);
        writeText(folder / (std::string(footprint) + ".kicad_mod"), footprintText(footprint));
    }
    return folder;
}

std::string allMessages(const KicadImportResult& r) {
    std::string all;
    for (const auto& m : r.messages) all += m + "\n";
    for (const auto& p : r.problems) all += p.file + ": " + p.what + "\n";
    return all;
}

std::vector<std::string> namesIn(const std::string& path) {
    Library library;
    PlainNameList names;
    EXPECT_TRUE(library.load(path, names)) << path;
    return names.names;
}

TEST(LibraryImport, CreatesTheLibraryAndPrintsTheMapping) {
    TemporaryDirectory tmp;
    writeText(tmp / "a.kicad_mod", footprintText("SOIC-8_3.9x4.9mm_P1.27mm"));
    KicadImportRequest request;
    request.inputs = {(tmp / "a.kicad_mod").string()};
    request.library = (tmp / "NEW.LIB").string();
    const KicadImportResult r = importKicadFootprints(request);
    ASSERT_TRUE(r.ok) << allMessages(r);
    EXPECT_EQ(r.imported, 1u);
    EXPECT_EQ(r.written, std::vector<std::string>{request.library});
    EXPECT_NE(allMessages(r).find("SOIC-8_3.9x4.9mm_P1.27mm -> SOIC-8_P1.27"), std::string::npos);
    EXPECT_EQ(namesIn(request.library), std::vector<std::string>{"SOIC-8_P1.27"});
}

TEST(LibraryImport, AddsToAnExistingLibraryAndRefusesANameItHolds) {
    TemporaryDirectory tmp;
    const fs::path lib = tmp / "OLD.LIB";
    {
        Library library;
        PlainNameList names;
        Component keep(makeEntry("KEEP"));
        keep.addPrimitive(makeTrack(7, 0, 0, 10, 10, 5));
        library.addCopy(keep, names);
        ASSERT_TRUE(library.save(lib.string()));
    }
    writeText(tmp / "b.kicad_mod", footprintText("NEWONE"));
    KicadImportRequest request;
    request.inputs = {(tmp / "b.kicad_mod").string()};
    request.library = lib.string();
    ASSERT_TRUE(importKicadFootprints(request).ok);
    EXPECT_EQ(namesIn(lib.string()), (std::vector<std::string>{"NEWONE", "KEEP"}));

    // The same footprint again: the copy rule refuses it and the file stays as it was.
    const std::vector<std::uint8_t> before = readFileBytes(lib);
    const KicadImportResult again = importKicadFootprints(request);
    EXPECT_FALSE(again.ok);
    ASSERT_EQ(again.refused.size(), 1u);
    EXPECT_NE(again.refused[0].find("already holds NEWONE"), std::string::npos);
    EXPECT_EQ(readFileBytes(lib), before);
}

// The names file beside the library keeps the mapping: a later import merges into it and
// names a footprint imported again as before, so the copy rule refuses it.
TEST(LibraryImport, WritesTheNamesBesideTheLibraryAndUsesThemAgain) {
    TemporaryDirectory tmp;
    const fs::path folder = tmp / "Parts.pretty";
    fs::create_directory(folder);
    writeText(folder / "SOIC-8_3.9x4.9mm_P1.27mm.kicad_mod",
              footprintText("SOIC-8_3.9x4.9mm_P1.27mm"));
    writeText(tmp / "b.kicad_mod", footprintText("NEWONE"));
    KicadImportRequest request;
    request.inputs = {folder.string()};
    request.library = (tmp / "P.LIB").string();
    const KicadImportResult first = importKicadFootprints(request);
    ASSERT_TRUE(first.ok) << allMessages(first);
    EXPECT_NE(allMessages(first).find("1 new component, 1 in all."), std::string::npos);
    const fs::path names = tmp / "P.LIB.names";
    EXPECT_EQ(readText(names), "Parts:SOIC-8_3.9x4.9mm_P1.27mm\tSOIC-8_P1.27\n");

    writeText(names, "# mine\n" + readText(names));
    request.inputs = {(tmp / "b.kicad_mod").string()};
    ASSERT_TRUE(importKicadFootprints(request).ok);
    EXPECT_EQ(readText(names),
              "# mine\nParts:SOIC-8_3.9x4.9mm_P1.27mm\tSOIC-8_P1.27\nNEWONE\tNEWONE\n");

    request.inputs = {folder.string()};
    const KicadImportResult again = importKicadFootprints(request);
    EXPECT_FALSE(again.ok);
    ASSERT_EQ(again.refused.size(), 1u);
    EXPECT_NE(again.refused[0].find("already holds SOIC-8_P1.27"), std::string::npos);

    request.dryRun = true;
    request.inputs = {(tmp / "b.kicad_mod").string()};
    request.library = (tmp / "DRY.LIB").string();
    ASSERT_TRUE(importKicadFootprints(request).ok);
    EXPECT_FALSE(fs::exists(tmp / "DRY.LIB.names"));
}

TEST(LibraryImport, RefusesBeyondTwoHundredAndSaysWhichDidNotFit) {
    TemporaryDirectory tmp;
    const fs::path folder = makePretty(tmp, "Many", 203);
    KicadImportRequest request;
    request.inputs = {folder.string()};
    request.library = (tmp / "MANY.LIB").string();
    const KicadImportResult r = importKicadFootprints(request);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.notFitted, (std::vector<std::string>{"Many:P200", "Many:P201", "Many:P202"}));
    EXPECT_FALSE(fs::exists(request.library));
    EXPECT_NE(allMessages(r).find("Nothing written."), std::string::npos);

    // With --skip-refused the 200 that fit are written.
    request.skipRefused = true;
    const KicadImportResult partial = importKicadFootprints(request);
    EXPECT_TRUE(partial.ok) << allMessages(partial);
    EXPECT_EQ(namesIn(request.library).size(), 200u);
}

TEST(LibraryImport, SplitsIntoNumberedLibraries) {
    TemporaryDirectory tmp;
    const fs::path folder = makePretty(tmp, "Many", 450);
    KicadImportRequest request;
    request.inputs = {folder.string()};
    request.library = (tmp / "PARTS.LIB").string();
    request.split = true;
    const KicadImportResult r = importKicadFootprints(request);
    ASSERT_TRUE(r.ok) << allMessages(r);
    EXPECT_EQ(r.written, (std::vector<std::string>{(tmp / "PARTS.LIB").string(),
                                                   (tmp / "PARTS_2.LIB").string(),
                                                   (tmp / "PARTS_3.LIB").string()}));
    EXPECT_EQ(namesIn((tmp / "PARTS.LIB").string()).size(), 200u);
    EXPECT_EQ(namesIn((tmp / "PARTS_2.LIB").string()).size(), 200u);
    EXPECT_EQ(namesIn((tmp / "PARTS_3.LIB").string()).size(), 50u);
}

// A new component goes to the head, so the records pushed furthest out are the first one's; a
// check on the newcomer's own start let through libraries no file can hold.
TEST(LibraryImport, StartsANewLibraryWhenRecordsWouldPassTheSixteenBitIndex) {
    TemporaryDirectory tmp;
    // 9,000 pads of 32 bytes: one such footprint fits in front of a small one below record
    // 32,767, two do not.
    std::string pads;
    for (int i = 0; i < 9000; ++i) {
        pads += "(pad \"" + std::to_string(i + 1) + "\" smd rect (at " +
                std::to_string((i % 100) * 0.5) + " " + std::to_string((i / 100) * 0.5) +
                ") (size 0.3 0.3) (layers \"F.Cu\"))\n";
    }
    // A small first footprint ends up at the tail, behind both large ones.
    writeText(tmp / "A.kicad_mod", footprintText("A"));
    std::vector<std::string> inputs = {(tmp / "A.kicad_mod").string()};
    for (const char* name : {"BIG1", "BIG2"}) {
        writeText(tmp / (std::string(name) + ".kicad_mod"),
                  std::string("(footprint \"") + name + "\"\n" + pads + ")\n");
        inputs.push_back((tmp / (std::string(name) + ".kicad_mod")).string());
    }
    KicadImportRequest request;
    request.inputs = inputs;
    request.library = (tmp / "BIG.LIB").string();
    const KicadImportResult refused = importKicadFootprints(request);
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.notFitted, std::vector<std::string>{"BIG2"});

    request.split = true;
    const KicadImportResult r = importKicadFootprints(request);
    ASSERT_TRUE(r.ok) << allMessages(r);
    ASSERT_EQ(r.written.size(), 2u);
    EXPECT_EQ(namesIn(r.written[0]).size(), 2u);
    EXPECT_EQ(namesIn(r.written[1]), std::vector<std::string>{"BIG2"});
}

// A file that is not a library might be anything of the user's; it must never be replaced.
TEST(LibraryImport, NeverWritesOverAFileThatIsNotALibrary) {
    TemporaryDirectory tmp;
    writeText(tmp / "a.kicad_mod", footprintText("A"));
    for (const std::string& content : {std::string("my notes"), std::string()}) {
        writeText(tmp / "NOTES.LIB", content);
        KicadImportRequest request;
        request.inputs = {(tmp / "a.kicad_mod").string()};
        request.library = (tmp / "NOTES.LIB").string();
        const KicadImportResult r = importKicadFootprints(request);
        EXPECT_FALSE(r.ok);
        EXPECT_NE(allMessages(r).find("not a library file"), std::string::npos);
        const auto bytes = readFileBytes(tmp / "NOTES.LIB");
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), content);
    }
    fs::create_directory(tmp / "DIR.LIB");
    KicadImportRequest request;
    request.inputs = {(tmp / "a.kicad_mod").string()};
    request.library = (tmp / "DIR.LIB").string();
    EXPECT_FALSE(importKicadFootprints(request).ok);
    EXPECT_TRUE(fs::is_directory(tmp / "DIR.LIB"));
}

struct MalformedCase {
    const char* name;
    std::string text;
    const char* message;
};

void PrintTo(const MalformedCase& c, std::ostream* os) { *os << c.name; }

class MalformedFootprint : public testing::TestWithParam<MalformedCase> {};

// One bad file among good ones: a clear message naming it, and no library written.
TEST_P(MalformedFootprint, GivesAClearMessageAndWritesNothing) {
    TemporaryDirectory tmp;
    writeText(tmp / "good.kicad_mod", footprintText("GOOD"));
    writeText(tmp / "bad.kicad_mod", GetParam().text);
    KicadImportRequest request;
    request.inputs = {(tmp / "good.kicad_mod").string(), (tmp / "bad.kicad_mod").string()};
    request.library = (tmp / "OUT.LIB").string();
    const KicadImportResult r = importKicadFootprints(request);
    EXPECT_FALSE(r.ok);
    ASSERT_EQ(r.refused.size(), 1u) << allMessages(r);
    EXPECT_NE(r.refused[0].find("bad.kicad_mod"), std::string::npos) << r.refused[0];
    EXPECT_NE(r.refused[0].find(GetParam().message), std::string::npos) << r.refused[0];
    EXPECT_FALSE(fs::exists(request.library));
}

INSTANTIATE_TEST_SUITE_P(
    Files, MalformedFootprint,
    testing::Values(
        MalformedCase{"cut short", footprintText("X").substr(0, 90), "ends before the list"},
        MalformedCase{"unbalanced", footprintText("X") + ")", "more after the end"},
        MalformedCase{"huge number",
                      "(footprint \"X\" (pad \"1\" smd rect (at 1e400 0) (size 1 1) "
                      "(layers \"F.Cu\")))",
                      "too large"},
        MalformedCase{"deep nesting",
                      "(footprint \"X\" " + std::string(80, '(') + std::string(81, ')'),
                      "deeper than 64"},
        MalformedCase{"word for a number",
                      "(footprint \"X\" (pad \"1\" smd rect (at left 0) (size 1 1) "
                      "(layers \"F.Cu\")))",
                      "line 1, column 38: (at) needs a number for an x value, not the word left"},
        MalformedCase{"list for a name", "(footprint (x) (layer \"F.Cu\"))",
                      "needs a footprint name"},
        MalformedCase{"unknown pad shape",
                      "(footprint \"X\" (pad \"1\" smd blob (at 0 0) (size 1 1) "
                      "(layers \"F.Cu\")))",
                      "unknown pad shape"},
        MalformedCase{"pad without size",
                      "(footprint \"X\" (pad \"1\" smd rect (at 0 0) (layers \"F.Cu\")))",
                      "has no (size)"},
        MalformedCase{"not a footprint", "(kicad_pcb (version 1))", "not a footprint"},
        MalformedCase{"value beyond 16 bits",
                      "(footprint \"X\" (pad \"1\" smd rect (at 900 0) (size 1 1) "
                      "(layers \"F.Cu\")))",
                      "16-bit"},
        MalformedCase{"empty file", "", "empty"}));

TEST(LibraryImport, TakesUserNamesFromAFile) {
    TemporaryDirectory tmp;
    writeText(tmp / "a.kicad_mod", footprintText("SOIC-8_3.9x4.9mm_P1.27mm"));
    writeText(tmp / "names.txt", "SOIC-8_3.9x4.9mm_P1.27mm\tSO8\n");
    KicadImportRequest request;
    request.inputs = {(tmp / "a.kicad_mod").string()};
    request.library = (tmp / "N.LIB").string();
    request.namesFile = (tmp / "names.txt").string();
    ASSERT_TRUE(importKicadFootprints(request).ok);
    EXPECT_EQ(namesIn(request.library), std::vector<std::string>{"SO8"});

    writeText(tmp / "names.txt", "SOIC\tNAME_TOO_LONG_X\n");
    const KicadImportResult bad = importKicadFootprints(request);
    EXPECT_FALSE(bad.ok);
    EXPECT_NE(allMessages(bad).find("names.txt: line 1"), std::string::npos);
}

TEST(LibraryImport, ReportsMissingInputs) {
    TemporaryDirectory tmp;
    fs::create_directory(tmp / "Empty.pretty");
    KicadImportRequest request;
    request.inputs = {(tmp / "nothing.kicad_mod").string(), (tmp / "Empty.pretty").string()};
    request.library = (tmp / "X.LIB").string();
    const KicadImportResult r = importKicadFootprints(request);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(allMessages(r).find("no such file"), std::string::npos);
    EXPECT_NE(allMessages(r).find("holds no .kicad_mod"), std::string::npos);
    EXPECT_FALSE(fs::exists(request.library));
}

// Two whole libraries, as a user would import them: more than 200 footprints, so --split.
TEST(KicadFootprints, WholeLibrariesImportAndLoadInTheCore) {
    const fs::path so = kFootprints / "Package_SO.pretty";
    const fs::path resistors = kFootprints / "Resistor_SMD.pretty";
    if (!fs::is_directory(so) || !fs::is_directory(resistors)) {
        GTEST_SKIP() << "kicad-footprints is not installed";
    }
    std::size_t files = 0;
    for (const fs::path& folder : {so, resistors}) {
        for (const auto& entry : fs::directory_iterator(folder)) {
            files += entry.path().extension() == ".kicad_mod" ? 1 : 0;
        }
    }
    TemporaryDirectory tmp;
    KicadImportRequest request;
    request.inputs = {so.string(), resistors.string()};
    request.library = (tmp / "SMD.LIB").string();
    request.split = true;
    const KicadImportResult result = importKicadFootprints(request);
    ASSERT_TRUE(result.ok) << [&] {
        std::string all;
        for (const auto& m : result.messages) all += m + "\n";
        return all;
    }();
    EXPECT_EQ(result.imported, files);
    ASSERT_EQ(result.written.size(), (files + 199) / 200);

    std::size_t loaded = 0;
    std::set<std::string> folded;
    for (const std::string& path : result.written) {
        Library library;
        PlainNameList names;
        ASSERT_TRUE(library.load(path, names)) << path;
        EXPECT_LE(library.size(), 200u);
        for (const auto& component : library.components()) {
            EXPECT_EQ(component->primitiveCount(), component->entry().primitiveCount());
            EXPECT_LE(component->displayName().size(), 13u);
            EXPECT_TRUE(folded.insert(foldedName(component->displayName())).second)
                << component->displayName() << " twice, ignoring case";
        }
        // What was written is what a save of the loaded library writes again, once the
        // reversal of a load is undone by a second round trip.
        std::vector<std::uint8_t> once;
        ASSERT_TRUE(library.buildImage(once));
        Library again;
        PlainNameList ignored;
        ASSERT_TRUE(again.loadImage(once, ignored));
        std::vector<std::uint8_t> twice;
        ASSERT_TRUE(again.buildImage(twice));
        EXPECT_EQ(twice, readFileBytes(path));
        // The check finds nothing a later save of the file would lose.
        const LibraryCheckReport report = checkLibraryImage(readFileBytes(path));
        EXPECT_TRUE(report.isLibrary);
        for (const Finding& finding : report.findings) {
            EXPECT_FALSE(finding.losesData) << finding.message;
        }
        loaded += library.size();
    }
    EXPECT_EQ(loaded, files);
}

}  // namespace
