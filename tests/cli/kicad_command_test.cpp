// `cobble export kicad` and `cobble import kicad`, run as a user runs them.

#include "cobble_process.h"
#include "export_kicad_command.h"
#include "library.h"
#include "library_export.h"
#include "library_file_builder.h"
#include "primitive_factory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path kGoldenFootprints = KICAD_DATA_DIR;
const fs::path kKicadFootprints = "/usr/share/kicad/footprints";

/// Every file under `root`, by its path relative to it, with its bytes.
std::map<std::string, std::vector<std::uint8_t>> treeOf(const fs::path& root) {
    std::map<std::string, std::vector<std::uint8_t>> files;
    std::error_code error;
    for (const auto& entry : fs::recursive_directory_iterator(root, error)) {
        if (entry.is_regular_file()) {
            files[fs::relative(entry.path(), root).string()] = readFileBytes(entry.path());
        }
    }
    return files;
}

std::vector<std::string> sampleLibraries() {
    std::vector<std::string> paths;
    for (const auto& entry : fs::directory_iterator(samplesDir())) {
        if (entry.path().extension() == ".LIB") paths.push_back(entry.path().string());
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

std::vector<std::string> withArguments(std::vector<std::string> head,
                                       const std::vector<std::string>& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

void writeText(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string footprintText(const std::string& name) {
    return "(footprint \"" + name +
           "\" (version 20211014) (generator pcbnew) (layer \"F.Cu\")\n"
           "  (fp_line (start -1 -1) (end 1 -1) (layer \"F.SilkS\") (width 0.12))\n"
           "  (pad \"1\" smd rect (at 0 0) (size 1 1) (layers \"F.Cu\" \"F.Paste\" \"F.Mask\"))\n"
           ")\n";
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(ExportKicad, WritesTheSameBytesAsTheLibraryExportAndASummaryPerLibrary) {
    TemporaryDirectory tmp;
    const std::vector<std::string> libraries = sampleLibraries();
    ASSERT_FALSE(libraries.empty());
    const CobbleRun placed =
        runCobble(withArguments({"export", "kicad", "--out", (tmp / "cli").string()}, libraries));
    ASSERT_EQ(placed.status, 0) << describe(placed);
    EXPECT_EQ(placed.err, "");

    const std::vector<std::string> lines = linesOf(placed.out);
    std::size_t line = 0;
    for (const std::string& path : libraries) {
        Library library;
        PlainNameList names;
        ASSERT_TRUE(library.load(path, names));
        const std::string name = fs::path(path).stem().string();
        const LibraryExportResult result =
            exportLibraryToKicad(library, name, (tmp / "api").string(), {});
        ASSERT_TRUE(result) << result.reason;
        ASSERT_LT(line, lines.size());
        EXPECT_EQ(lines[line], path + ": " + std::to_string(library.size()) +
                                   " footprints written to " + (tmp / "cli" / name).string() +
                                   ".pretty");
        std::size_t notes = 0;
        for (const ExportedFootprint& footprint : result.footprints)
            notes += footprint.notes.size();
        line += 1 + notes;
    }
    EXPECT_EQ(line, lines.size()) << placed.out;
    const auto cli = treeOf(tmp / "cli");
    EXPECT_EQ(cli.size(), treeOf(tmp / "api").size());
    EXPECT_TRUE(cli == treeOf(tmp / "api")) << "the command's files differ from the library's";

    // Deterministic: a second run into a fresh folder gives the same bytes.
    const CobbleRun again =
        runCobble(withArguments({"export", "kicad", "--out", (tmp / "again").string()}, libraries));
    ASSERT_EQ(again.status, 0) << describe(again);
    EXPECT_TRUE(treeOf(tmp / "again") == cli);
}

TEST(ExportKicad, ListsEveryOmissionWithTheComponentsName) {
    TemporaryDirectory tmp;
    LibraryFileBuilder file;
    // Shape 7 is no pad shape and layer 14 no layer: each is skipped and said so.
    file.slot(0, makeEntry("ODD", 3, 401))
        .primitive(401, makePad(13, 0, 0, 60, 60, 7))
        .primitive(403, makeTrack(14, 0, 0, 10, 10, 5))
        .primitive(404, makeTrack(7, 0, 0, 10, 10, 5));
    writeFileBytes(tmp / "ODD.LIB", file.bytes());
    const CobbleRun run =
        runCobble({"export", "kicad", (tmp / "ODD.LIB").string(), "--out", (tmp / "out").string()});
    ASSERT_EQ(run.status, 0) << describe(run);
    const std::vector<std::string> lines = linesOf(run.out);
    ASSERT_EQ(lines.size(), 3u) << run.out;
    EXPECT_EQ(lines[0], (tmp / "ODD.LIB").string() + ": 1 footprint written to " +
                            (tmp / "out" / "ODD.pretty").string());
    EXPECT_TRUE(contains(run.out, "\n  ODD: record 1 (Pad): shape 7")) << run.out;
    EXPECT_TRUE(contains(run.out, "\n  ODD: record 2 (Track): layer 14")) << run.out;

    const CobbleRun json = runCobble(
        {"export", "kicad", (tmp / "ODD.LIB").string(), "--out", (tmp / "out").string(), "--json"});
    ASSERT_EQ(json.status, 0) << describe(json);
    EXPECT_TRUE(contains(json.out, "\"file\": \"ODD.kicad_mod\"")) << json.out;
    EXPECT_TRUE(contains(json.out, "shape 7")) << json.out;
}

// Two libraries of one name must not write into one folder, where the second's footprints
// would silently replace the first's.
TEST(ExportKicad, LibrariesOfTheSameNameGetFoldersOfTheirOwn) {
    TemporaryDirectory tmp;
    fs::create_directories(tmp / "a");
    fs::create_directories(tmp / "b");
    writeLibrary(tmp / "a" / "IC.LIB", {"ONE"});
    writeLibrary(tmp / "b" / "ic.lib", {"TWO"});
    const std::string first = (tmp / "a" / "IC.LIB").string();
    const CobbleRun run = runCobble({"export", "kicad", first, (tmp / "b" / "ic.lib").string(),
                                     first, "--out", (tmp / "out").string()});
    ASSERT_EQ(run.status, 0) << describe(run);
    EXPECT_EQ(linesOf(run.out).size(), 2u) << "a file given twice is exported once\n" << run.out;
    EXPECT_TRUE(fs::exists(tmp / "out" / "IC.pretty" / "ONE.kicad_mod"));
    EXPECT_TRUE(fs::exists(tmp / "out" / "ic~2.pretty" / "TWO.kicad_mod"));
    EXPECT_FALSE(fs::exists(tmp / "out" / "IC.pretty" / "TWO.kicad_mod"));
}

TEST(ExportKicad, ProgressCountsLibrariesOnATerminalOnly) {
    TemporaryDirectory tmp;
    const std::vector<std::string> libraries = sampleLibraries();
    const CobbleRun shown = runCobbleOnTerminal(
        withArguments({"export", "kicad", "--out", (tmp / "a").string()}, libraries));
    EXPECT_EQ(shown.status, 0) << describe(shown);
    EXPECT_TRUE(contains(shown.err, "\r" + std::to_string(libraries.size()) + "/" +
                                        std::to_string(libraries.size()) + " libraries"))
        << shown.err;
    const CobbleRun quiet =
        runCobble(withArguments({"export", "kicad", "--out", (tmp / "b").string()}, libraries));
    EXPECT_EQ(quiet.err, "");
}

TEST(ExportKicad, FolderNamesAreUniqueIgnoringCase) {
    EXPECT_EQ(prettyFolderNames({"IC", "ic", "IC~2", "IC", "X"}),
              (std::vector<std::string>{"IC", "ic~3", "IC~2", "IC~4", "X"}));
    EXPECT_EQ(prettyFolderNames({".."}), std::vector<std::string>{""});
}

struct BadExport {
    const char* name;
    std::vector<std::string> arguments;  // OUT stands for the output folder, NOTE for a text file
    int status;
    const char* message;
};

void PrintTo(const BadExport& c, std::ostream* os) { *os << c.name; }

class ExportRefusal : public testing::TestWithParam<BadExport> {};

// Each refusal gives its line and status and leaves no folder or file behind.
TEST_P(ExportRefusal, WritesNothing) {
    TemporaryDirectory tmp;
    writeText(tmp / "NOTE", "not a folder");
    writeText(tmp / "NOTES.LIB", "my notes, not a library");
    std::vector<std::string> arguments{"export", "kicad"};
    for (std::string argument : GetParam().arguments) {
        if (argument == "IC") argument = (samplesDir() / "IC.LIB").string();
        if (argument.rfind("TMP/", 0) == 0) argument = (tmp / argument.substr(4)).string();
        arguments.push_back(argument);
    }
    const CobbleRun run = runCobble(arguments);
    EXPECT_EQ(run.status, GetParam().status) << describe(run);
    EXPECT_TRUE(contains(run.err, GetParam().message)) << run.err;
    EXPECT_EQ(run.err.rfind("cobble: ", 0), 0u) << run.err;
    EXPECT_FALSE(fs::exists(tmp / "out"));
    EXPECT_EQ(treeOf(tmp.path()).size(), 2u) << "something was written";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExportRefusal,
    testing::Values(
        BadExport{"out is a file", {"IC", "--out", "TMP/NOTE"}, 1, "NOTE: not a folder"},
        BadExport{"out below a file", {"IC", "--out", "TMP/NOTE/sub"}, 1, "cannot create"},
        BadExport{"not a library",
                  {"IC", "TMP/NOTES.LIB", "--out", "TMP/out"},
                  1,
                  "NOTES.LIB: not a library file"},
        BadExport{"missing library",
                  {"IC", "TMP/GONE.LIB", "--out", "TMP/out"},
                  2,
                  "GONE.LIB: no such file"},
        BadExport{"folder as library", {"TMP/", "--out", "TMP/out"}, 2, "is a folder"},
        BadExport{"both drills",
                  {"IC", "--out", "TMP/out", "--drill-ratio", "0.5", "--drill-mm", "1"},
                  2,
                  "give one of them, not both"},
        BadExport{"no unit", {"IC", "--out", "TMP/out", "--unit-mm", "0"}, 2, "--unit-mm"},
        BadExport{"drill ratio above one",
                  {"IC", "--out", "TMP/out", "--drill-ratio", "2"},
                  2,
                  "--drill-ratio"}));

TEST(ExportKicad, TheDrillOptionsReachTheFootprints) {
    TemporaryDirectory tmp;
    const std::string ic = (samplesDir() / "IC.LIB").string();
    const CobbleRun run = runCobble({"export", "kicad", ic, "--out", (tmp / "a").string(),
                                     "--drill-mm", "0.8", "--unit-mm", "0.01"});
    ASSERT_EQ(run.status, 0) << describe(run);
    Library library;
    PlainNameList names;
    ASSERT_TRUE(library.load(ic, names));
    KicadExportOptions options;
    options.drillNanometres = 800'000;
    options.unit = KicadUnit{10'000};
    ASSERT_TRUE(exportLibraryToKicad(library, "IC", (tmp / "b").string(), options));
    EXPECT_TRUE(treeOf(tmp / "a") == treeOf(tmp / "b"));
    ASSERT_TRUE(exportLibraryToKicad(library, "IC", (tmp / "c").string(), {}));
    EXPECT_FALSE(treeOf(tmp / "a") == treeOf(tmp / "c")) << "the options changed nothing";
}

TEST(ImportKicad, SmallFootprintsMakeALibraryThatCheckPasses) {
    TemporaryDirectory tmp;
    const std::string lib = (tmp / "NEW.LIB").string();
    std::vector<std::string> arguments{"import", "kicad"};
    for (const char* name : {"SIP2", "SO8-EP", "TO220H", "HC49"}) {
        arguments.push_back((kGoldenFootprints / (std::string(name) + ".kicad_mod")).string());
    }
    arguments.insert(arguments.end(), {"--to", lib});
    const CobbleRun run = runCobble(arguments);
    ASSERT_EQ(run.status, 0) << describe(run);
    EXPECT_EQ(run.err, "");
    for (const char* mapping : {"SIP2 -> SIP2", "SO8-EP -> SO8-EP", "TO220H -> TO220H"}) {
        EXPECT_TRUE(contains(run.out, mapping)) << run.out;
    }
    EXPECT_TRUE(contains(run.out, "Wrote " + lib + ": 4 new components, 4 in all.")) << run.out;
    EXPECT_EQ(namesInLibrary(lib), (std::vector<std::string>{"HC49", "SIP2", "SO8-EP", "TO220H"}));
    const CobbleRun check = runCobble({"check", lib});
    EXPECT_EQ(check.status, 0) << describe(check);
}

TEST(ImportKicad, FootprintsKicadShipsMakeALibraryThatCheckPasses) {
    const fs::path folder = kKicadFootprints / "Package_SO.pretty";
    const std::vector<std::string> chosen = {
        "SOIC-8_3.9x4.9mm_P1.27mm", "TSSOP-20_4.4x6.5mm_P0.65mm", "SOIC-16W_7.5x10.3mm_P1.27mm"};
    for (const std::string& name : chosen) {
        if (!fs::exists(folder / (name + ".kicad_mod")))
            GTEST_SKIP() << "kicad-footprints is absent";
    }
    TemporaryDirectory tmp;
    const std::string lib = (tmp / "SO.LIB").string();
    std::vector<std::string> arguments{"import", "kicad", "--to", lib, "--with-courtyard"};
    for (const std::string& name : chosen)
        arguments.push_back((folder / (name + ".kicad_mod")).string());
    const CobbleRun run = runCobble(arguments);
    ASSERT_EQ(run.status, 0) << describe(run);
    EXPECT_TRUE(contains(run.out, "Package_SO:SOIC-8_3.9x4.9mm_P1.27mm -> SOIC-8_P1.27"))
        << run.out;
    EXPECT_EQ(namesInLibrary(lib).size(), 3u);
    const CobbleRun check = runCobble({"check", lib});
    EXPECT_EQ(check.status, 0) << describe(check);
}

TEST(ImportKicad, DryRunSaysWhatWouldBeWrittenAndWritesNothing) {
    TemporaryDirectory tmp;
    writeText(tmp / "a.kicad_mod", footprintText("A"));
    const CobbleRun run = runCobble({"import", "kicad", "--dry-run", (tmp / "a.kicad_mod").string(),
                                     "--to", (tmp / "NEW.LIB").string()});
    ASSERT_EQ(run.status, 0) << describe(run);
    EXPECT_TRUE(contains(
        run.out, "Would write " + (tmp / "NEW.LIB").string() + ": 1 new component, 1 in all."))
        << run.out;
    EXPECT_FALSE(fs::exists(tmp / "NEW.LIB"));
}

struct BadImport {
    const char* name;
    /// The existing library's content ("" for none, "LIB" for a library holding A).
    const char* library;
    /// The footprint files, by name, each with its text; "many" for 201 footprints in a folder.
    std::vector<std::pair<std::string, std::string>> footprints;
    std::vector<std::string> options;
    int status;
    std::vector<std::string> messages;
};

void PrintTo(const BadImport& c, std::ostream* os) { *os << c.name; }

class ImportRefusal : public testing::TestWithParam<BadImport> {};

// Every refusal names what is wrong and leaves the library exactly as it was (or absent).
TEST_P(ImportRefusal, LeavesTheLibraryByteIdentical) {
    const BadImport& c = GetParam();
    TemporaryDirectory tmp;
    const fs::path lib = tmp / "OUT.LIB";
    if (std::string(c.library) == "LIB") {
        writeLibrary(lib, {"A"});
    } else if (*c.library) {
        writeText(lib, c.library);
    }
    const bool existed = fs::exists(lib);
    const auto before = existed ? readFileBytes(lib) : std::vector<std::uint8_t>{};
    std::vector<std::string> arguments{"import", "kicad", "--to", lib.string()};
    arguments.insert(arguments.end(), c.options.begin(), c.options.end());
    for (const auto& [file, text] : c.footprints) {
        if (file == "many") {
            fs::create_directory(tmp / "Many.pretty");
            for (int i = 0; i < 201; ++i) {
                const std::string name = "P" + std::to_string(1000 + i);
                writeText(tmp / "Many.pretty" / (name + ".kicad_mod"), footprintText(name));
            }
            arguments.push_back((tmp / "Many.pretty").string());
            continue;
        }
        if (!text.empty()) writeText(tmp / file, text);
        arguments.push_back((tmp / file).string());
    }
    const CobbleRun run = runCobble(arguments);
    EXPECT_EQ(run.status, c.status) << describe(run);
    for (const std::string& message : c.messages) {
        EXPECT_TRUE(contains(run.err, message)) << message << "\n" << describe(run);
    }
    for (const std::string& line : linesOf(run.err))
        EXPECT_EQ(line.rfind("cobble: ", 0), 0u) << line;
    EXPECT_TRUE(contains(run.out, "Nothing written.")) << run.out;
    ASSERT_EQ(fs::exists(lib), existed);
    if (existed) {
        EXPECT_EQ(readFileBytes(lib), before);
    }
    EXPECT_FALSE(fs::exists(tmp / "OUT_2.LIB"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ImportRefusal,
    testing::Values(BadImport{"name already held",
                              "LIB",
                              {{"a.kicad_mod", footprintText("A")}},
                              {},
                              1,
                              {"a.kicad_mod: A -> A: ",
                               "OUT.LIB already holds a component of that name"}},
                    BadImport{"library is not a library",
                              "my notes",
                              {{"a.kicad_mod", footprintText("A")}},
                              {},
                              1,
                              {"OUT.LIB: not a library file"}},
                    BadImport{"beyond 200",
                              "",
                              {{"many", ""}},
                              {},
                              1,
                              {"Many.pretty/P1200.kicad_mod: does not fit: "}},
                    BadImport{"cut short",
                              "",
                              {{"a.kicad_mod", footprintText("A").substr(0, 60)}},
                              {},
                              1,
                              {"a.kicad_mod: line "}},
                    BadImport{"unbalanced",
                              "LIB",
                              {{"a.kicad_mod", footprintText("B") + ")"}},
                              {},
                              1,
                              {"a.kicad_mod: ", "more after the end"}},
                    BadImport{"deep nesting",
                              "",
                              {{"a.kicad_mod",
                                "(footprint \"X\" " + std::string(80, '(') + std::string(81, ')')}},
                              {},
                              1,
                              {"deeper than 64"}},
                    BadImport{"value beyond 16 bits",
                              "LIB",
                              {{"a.kicad_mod",
                                "(footprint \"X\" (pad \"1\" smd rect (at 900 0) (size 1 1) "
                                "(layers \"F.Cu\")))"}},
                              {},
                              1,
                              {"16-bit"}},
                    BadImport{"missing footprint",
                              "LIB",
                              {{"gone.kicad_mod", ""}},
                              {},
                              2,
                              {"gone.kicad_mod: no such file or folder"}}));

// --names and --split reach the import: a name from the file, and the 201st footprint in LIB_2.
TEST(ImportKicad, TakesNamesFromAFileAndSplits) {
    TemporaryDirectory tmp;
    fs::create_directory(tmp / "Many.pretty");
    for (int i = 0; i < 201; ++i) {
        const std::string name = "P" + std::to_string(1000 + i);
        writeText(tmp / "Many.pretty" / (name + ".kicad_mod"), footprintText(name));
    }
    writeText(tmp / "names.txt", "Many:P1200\tLAST\n");
    const CobbleRun run =
        runCobble({"import", "kicad", (tmp / "Many.pretty").string(), "--to",
                   (tmp / "OUT.LIB").string(), "--split", "--names", (tmp / "names.txt").string()});
    ASSERT_EQ(run.status, 0) << describe(run);
    EXPECT_TRUE(contains(run.out, "Many:P1200 -> LAST\n")) << run.out;
    EXPECT_EQ(namesInLibrary(tmp / "OUT.LIB").size(), 200u);
    EXPECT_EQ(namesInLibrary(tmp / "OUT_2.LIB"), std::vector<std::string>{"LAST"});
}

// A quiet import says only what it wrote; the names it writes beside the library give the
// footprints their KiCad names back on export.
TEST(ImportKicad, QuietlyThenBackUnderTheKicadNames) {
    TemporaryDirectory tmp;
    fs::create_directory(tmp / "Parts.pretty");
    const std::string longName = "SOIC-8_3.9x4.9mm_P1.27mm";
    writeText(tmp / "Parts.pretty" / (longName + ".kicad_mod"), footprintText(longName));
    writeText(tmp / "Parts.pretty" / "B.kicad_mod", footprintText("B"));
    const std::string lib = (tmp / "P.LIB").string();
    const CobbleRun run =
        runCobble({"import", "kicad", "-q", (tmp / "Parts.pretty").string(), "--to", lib});
    ASSERT_EQ(run.status, 0) << describe(run);
    EXPECT_EQ(run.out, "Wrote " + lib + ": 2 new components, 2 in all.\n");
    const CobbleRun exported = runCobble(
        {"export", "kicad", lib, "--out", (tmp / "k").string(), "--names", lib + ".names"});
    ASSERT_EQ(exported.status, 0) << describe(exported);
    EXPECT_TRUE(fs::exists(tmp / "k" / "P.pretty" / (longName + ".kicad_mod")));
    EXPECT_TRUE(fs::exists(tmp / "k" / "P.pretty" / "B.kicad_mod"));
}

using PadKey = std::tuple<int, int, int, int, int, int>;  // layer, x, y, xSize, ySize, shape

// A pad as it comes back from KiCad: a round pad keeps its diameter only, an oval of equal
// sides is a circle, and an octagon returns as the rectangle round its outline.
PadKey padKey(const Primitive& p) {
    const PadFields f = p.pad();
    int xSize = std::abs(f.xSize), ySize = std::abs(f.ySize), shape = f.shape;
    if (shape == 1 || (shape == 4 && xSize == ySize)) {
        shape = 1;
        ySize = xSize;
    } else if (shape == 3) {
        shape = 2;
        xSize = 2 * (xSize / 2);
        ySize = 2 * (ySize / 2);
    }
    return {p.layer(), f.x, f.y, xSize, ySize, shape};
}

std::vector<PadKey> padsOf(const Component& component) {
    std::vector<PadKey> pads;
    for (const Primitive& p : component.primitives()) {
        if (p.kind() == PrimitiveType::Pad) pads.push_back(padKey(p));
    }
    std::sort(pads.begin(), pads.end());
    return pads;
}

TEST(KicadCommands, ExportThenImportGivesBackThePads) {
    TemporaryDirectory tmp;
    std::size_t compared = 0;
    for (const std::string& path : sampleLibraries()) {
        SCOPED_TRACE(path);
        const std::string name = fs::path(path).stem().string();
        const CobbleRun exported =
            runCobble({"export", "kicad", path, "--out", (tmp / "kicad").string()});
        ASSERT_EQ(exported.status, 0) << describe(exported);
        const std::string lib = (tmp / (name + ".LIB")).string();
        const CobbleRun imported = runCobble(
            {"import", "kicad", (tmp / "kicad" / (name + ".pretty")).string(), "--to", lib});
        ASSERT_EQ(imported.status, 0) << describe(imported);

        Library before, after;
        PlainNameList names;
        ASSERT_TRUE(before.load(path, names));
        ASSERT_TRUE(after.load(lib, names));
        ASSERT_EQ(after.size(), before.size());
        for (const auto& component : before.components()) {
            const bool hasVia =
                std::any_of(component->primitives().begin(), component->primitives().end(),
                            [](const Primitive& p) { return p.kind() == PrimitiveType::Via; });
            if (hasVia) continue;  // a via comes back as a pad
            const Component* back = after.findByName(component->displayName());
            ASSERT_NE(back, nullptr) << component->displayName();
            EXPECT_EQ(padsOf(*back), padsOf(*component)) << component->displayName();
            ++compared;
        }
    }
    EXPECT_GT(compared, 30u);
}

}  // namespace
