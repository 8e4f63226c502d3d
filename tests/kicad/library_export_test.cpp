#include "library_export.h"

#include "kicad_test_support.h"
#include "library.h"
#include "library_file_builder.h"
#include "primitive_factory.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::set<std::string> filesIn(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.insert(entry.path().filename());
    return names;
}

TEST(PrettyFolderName, TakesOnlyNamesThatAreOneFolder) {
    EXPECT_EQ(prettyFolderName("KC_CONN"), "KC_CONN.pretty");
    EXPECT_EQ(prettyFolderName("my lib.v2"), "my lib.v2.pretty");
    for (std::string_view bad :
         {std::string_view(""), std::string_view("."), std::string_view(".."),
          std::string_view("a/b"), std::string_view("a\\b"), std::string_view("a\0b", 3)}) {
        EXPECT_FALSE(prettyFolderName(bad)) << bad;
    }
}

TEST(LibraryExport, OneFileForEveryComponentEvenWhenNamesClash) {
    const auto library = awkwardLibrary();
    TemporaryDirectory out;
    const auto result =
        exportLibraryToKicad(*library, "AWKWARD", (out / "new/deeper").string(), {});
    ASSERT_TRUE(result) << result.reason;
    EXPECT_EQ(result.folder, (out / "new/deeper/AWKWARD.pretty").string());
    ASSERT_EQ(result.footprints.size(), library->size());
    std::set<std::string> expected;
    for (const auto& footprint : result.footprints) expected.insert(footprint.fileName);
    EXPECT_EQ(expected.size(), library->size()) << "two components share a file";
    EXPECT_EQ(filesIn(result.folder), expected);
    EXPECT_TRUE(expected.count("ABC.kicad_mod"));
    EXPECT_TRUE(expected.count("abc~2.kicad_mod"));
    EXPECT_TRUE(expected.count("%empty.kicad_mod"));
    EXPECT_TRUE(expected.count("%43ON.kicad_mod"));
    EXPECT_TRUE(expected.count("A%22B%2FC%5CD%3AE%2A%3F%7C.kicad_mod"));
    for (const auto& footprint : result.footprints) {
        const auto text = readText(fs::path(result.folder) / footprint.fileName);
        EXPECT_EQ(text.rfind("(footprint ", 0), 0u) << footprint.fileName;
    }
}

TEST(LibraryExport, GivesComponentsTheirKicadNamesBack) {
    Library library;
    PlainNameList names;
    for (const char* name : {"SO8", "OTHER"}) {
        Component component(makeEntry(name));
        component.addPrimitive(makePad(1, 0, 0, 60, 60, 2));
        library.addCopy(component, names);
    }
    KicadExportOptions options;
    options.footprintNames = {{"SO8", "SOIC-8_3.9x4.9mm_P1.27mm"}};
    TemporaryDirectory out;
    const auto result = exportLibraryToKicad(library, "L", out.path().string(), options);
    ASSERT_TRUE(result) << result.reason;
    EXPECT_EQ(filesIn(result.folder),
              (std::set<std::string>{"SOIC-8_3.9x4.9mm_P1.27mm.kicad_mod", "OTHER.kicad_mod"}));
    const std::string text =
        readText(fs::path(result.folder) / "SOIC-8_3.9x4.9mm_P1.27mm.kicad_mod");
    EXPECT_EQ(text.rfind("(footprint \"SOIC-8_3.9x4.9mm_P1.27mm\"", 0), 0u) << text;
    EXPECT_NE(text.find("(fp_text value \"SOIC-8_3.9x4.9mm_P1.27mm\""), std::string::npos);
}

TEST(LibraryExport, SummaryCountsTheFootprintsAndNamesEachNote) {
    const auto library = awkwardLibrary();
    TemporaryDirectory out;
    const auto result = exportLibraryToKicad(*library, "AWKWARD", out.path().string(), {});
    ASSERT_TRUE(result) << result.reason;
    const std::string summary = result.summary();
    EXPECT_EQ(
        summary.rfind(
            std::to_string(library->size()) + " footprints written to " + result.folder + "\n", 0),
        0u)
        << summary;
    EXPECT_NE(summary.find("\n  ODD FIELDS: record 1 (Pad): shape 0 is not drawn; skipped\n"),
              std::string::npos)
        << summary;
    EXPECT_NE(summary.find("\n  LONG TEXT: record 1 (String): claims 200 characters; the 13 "
                           "the record holds are written\n"),
              std::string::npos)
        << summary;
    EXPECT_EQ(summary.find("EMPTY:"), std::string::npos) << summary;
}

TEST(LibraryExport, ExportingAgainGivesTheSameBytes) {
    Library library;
    PlainNameList names;
    ASSERT_TRUE(library.load((samplesDir() / "IC.LIB").string(), names));
    TemporaryDirectory a;
    TemporaryDirectory b;
    const auto first = exportLibraryToKicad(library, "IC", a.path().string(), {});
    const auto second = exportLibraryToKicad(library, "IC", b.path().string(), {});
    ASSERT_TRUE(first && second);
    for (const auto& footprint : first.footprints) {
        EXPECT_EQ(readFileBytes(fs::path(first.folder) / footprint.fileName),
                  readFileBytes(fs::path(second.folder) / footprint.fileName))
            << footprint.fileName;
    }
}

TEST(LibraryExport, FolderInTheWayFailsWithAReasonAndWritesNothing) {
    Library library;
    PlainNameList names;
    ASSERT_TRUE(library.load((samplesDir() / "IC.LIB").string(), names));
    TemporaryDirectory out;
    std::ofstream(out / "IC.pretty") << "not a folder";
    const auto result = exportLibraryToKicad(library, "IC", out.path().string(), {});
    EXPECT_FALSE(result);
    EXPECT_NE(result.reason.find("cannot create the folder \"" + (out / "IC.pretty").string()),
              std::string::npos)
        << result.reason;
    EXPECT_EQ(result.summary(), "Export failed: " + result.reason);
    EXPECT_EQ(readText(out / "IC.pretty"), "not a folder");
    EXPECT_EQ(filesIn(out.path()), std::set<std::string>{"IC.pretty"});
}

TEST(LibraryExport, ReadOnlyFolderFailsWithTheFileAndLeavesNothing) {
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
    Library library;
    PlainNameList names;
    ASSERT_TRUE(library.load((samplesDir() / "IC.LIB").string(), names));
    TemporaryDirectory out;
    fs::create_directories(out / "IC.pretty");
    fs::permissions(out / "IC.pretty", fs::perms::owner_read | fs::perms::owner_exec);
    const auto result = exportLibraryToKicad(library, "IC", out.path().string(), {});
    fs::permissions(out / "IC.pretty", fs::perms::owner_all);
    EXPECT_FALSE(result);
    EXPECT_NE(result.reason.find((out / "IC.pretty").string()), std::string::npos) << result.reason;
    EXPECT_TRUE(filesIn(out / "IC.pretty").empty());
}

TEST(LibraryExport, BadLibraryNameIsRefused) {
    Library library;
    TemporaryDirectory out;
    const auto result = exportLibraryToKicad(library, "../up", out.path().string(), {});
    EXPECT_FALSE(result);
    EXPECT_EQ(result.reason, "\"../up\" cannot name a footprint folder");
    EXPECT_TRUE(filesIn(out.path()).empty());
}

// A file that cannot be replaced ends the export there with the file named; the files of the
// library are written together, so every other footprint keeps its old bytes rather than some
// being new beside old ones, and no temporary file is left in the folder.
TEST(LibraryExport, FileThatCannotBeWrittenIsNamedAndLeavesEveryFileAsItWas) {
    Library library;
    PlainNameList names;
    ASSERT_TRUE(library.load((samplesDir() / "IC.LIB").string(), names));
    TemporaryDirectory out;
    KicadExportOptions before;
    before.courtyard = false;
    const auto old = exportLibraryToKicad(library, "IC", out.path().string(), before);
    ASSERT_TRUE(old) << old.reason;
    const std::string blocked = old.footprints[3].fileName;
    fs::remove(out / ("IC.pretty/" + blocked));
    fs::create_directories(out / ("IC.pretty/" + blocked + "/inside"));
    const auto result = exportLibraryToKicad(library, "IC", out.path().string(), {});
    EXPECT_FALSE(result);
    EXPECT_NE(result.reason.find(blocked), std::string::npos) << result.reason;
    EXPECT_TRUE(result.footprints.empty());
    std::set<std::string> expected;
    for (std::size_t i = 0; i < old.footprints.size(); ++i) {
        const std::string& fileName = old.footprints[i].fileName;
        expected.insert(fileName);
        if (fileName == blocked) continue;
        EXPECT_EQ(readText(out / ("IC.pretty/" + fileName)),
                  exportFootprint(*library.components()[i], before).text)
            << fileName;
    }
    EXPECT_EQ(filesIn(out / "IC.pretty"), expected);
}

}  // namespace
