#include "cobble_process.h"
#include "library.h"
#include "library_file_builder.h"
#include "primitive_factory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

std::vector<fs::path> realLibraries() {
    std::vector<fs::path> files;
    for (const char* name : {"CONNECT.LIB", "DISCRETE.LIB", "IC.LIB", "PASSIVE.LIB"}) {
        files.push_back(samplesDir() / name);
    }
    for (const char* name : {"KC_CONN.LIB", "KC_DIP.LIB", "KC_SOT.LIB"}) {
        if (fs::exists(sharedLibrariesDir() / name)) files.push_back(sharedLibrariesDir() / name);
    }
    return files;
}

/// The first word of each table row: the component names as printed, header left out.
std::vector<std::string> shownNames(const std::string& table) {
    std::vector<std::string> names;
    const auto lines = linesOf(table);
    for (std::size_t i = 1; i < lines.size(); ++i)
        names.push_back(lines[i].substr(0, lines[i].find(' ')));
    return names;
}

// Every real library: the JSON agrees with what the core loads, component for component, and the
// table lists the same components in the same order.
TEST(Show, RealLibrariesAgreeWithTheLoadedLibrary) {
    for (const fs::path& file : realLibraries()) {
        SCOPED_TRACE(file.string());
        Library library;
        PlainNameList names;
        ASSERT_TRUE(library.load(file.string(), names));

        const CobbleRun run = runCobble({"show", "--json", file.string()});
        ASSERT_EQ(run.status, 0) << describe(run);
        EXPECT_EQ(run.err, "");
        const json shown = json::parse(run.out);
        EXPECT_EQ(shown["file"], file.string());
        ASSERT_EQ(shown["components"].size(), library.size());

        std::vector<std::string> jsonNames;
        for (const json& c : shown["components"]) {
            jsonNames.push_back(c["name"]);
            const Component* component = library.findByName(c["name"].get<std::string>());
            ASSERT_NE(component, nullptr) << c["name"];
            EXPECT_EQ(c["primitives"]["total"], component->primitiveCount());
            EXPECT_EQ(c["recordBytes"], component->recordBytes());
            EXPECT_EQ(c["bounds"]["minX"], component->bounds().minX);
            EXPECT_EQ(c["bounds"]["maxY"], component->bounds().maxY);
            int sum = 0;
            for (const char* kind : {"arc", "fill", "pad", "track", "string", "via"}) {
                sum += c["primitives"][kind].get<int>();
            }
            EXPECT_EQ(sum, component->primitiveCount());
        }
        EXPECT_TRUE(std::is_sorted(jsonNames.begin(), jsonNames.end(),
                                   [](const std::string& a, const std::string& b) {
                                       return strcasecmp(a.c_str(), b.c_str()) < 0;
                                   }));

        const CobbleRun table = runCobble({"show", file.string()});
        ASSERT_EQ(table.status, 0) << describe(table);
        EXPECT_EQ(shownNames(table.out), jsonNames);
    }
}

class ShowCrafted : public testing::Test {
protected:
    void SetUp() override {
        LibraryFileBuilder file;
        // Slot 0 "b" has a track and a pad; slot 2 "A" and slot 5 "a" differ only in case; slot 7
        // has no primitives; slot 9 repeats "b" exactly; slot 11 holds a micro sign and a
        // control code.
        file.slot(0, makeEntry("b", 2, 401))
            .primitive(401, makeTrack(1, -10, -20, 30, 40, 2))
            .primitive(402, makePad(13, 0, 0, 50, 60, 1))
            .slot(2, makeEntry("A", 1, 404))
            .primitive(404, makeVia(1, 5, 5, 20, 10))
            .slot(5, makeEntry("a", 1, 405))
            .primitive(405, makeFill(2, 0, 0, 8, 8))
            .slot(7, makeEntry("EMPTY", 0, 0))
            .slot(9, makeEntry("b", 1, 406))
            .primitive(406, makeArc(3, 0, 0, 100, 15, 4))
            .slot(11, makeEntry("\xB5"
                                "F\x01",
                                0, 0));
        writeFileBytes(path(), file.bytes());
    }
    std::string path() const { return (dir / "CRAFTED.LIB").string(); }

    TemporaryDirectory dir;
};

TEST_F(ShowCrafted, TableSortsIgnoringCaseKeepsDirectoryOrderForTiesAndEscapesControlCodes) {
    const CobbleRun run = runCobble({"show", path()});
    ASSERT_EQ(run.status, 0) << describe(run);
    const auto lines = linesOf(run.out);
    ASSERT_EQ(lines.size(), 7u) << run.out;
    EXPECT_EQ(lines[0].substr(0, 4), "NAME");
    EXPECT_EQ(shownNames(run.out), (std::vector<std::string>{"A", "a", "b", "b", "EMPTY",
                                                             "\xC2\xB5"
                                                             "F\\x01"}));
    // Slot numbers follow the name; the component without primitives has no box.
    EXPECT_NE(lines[1].find("    2     1"), std::string::npos) << lines[1];
    EXPECT_NE(lines[3].find("    0     2"), std::string::npos) << lines[3];
    EXPECT_NE(lines[5].find("-       -       -       -"), std::string::npos) << lines[5];
}

TEST_F(ShowCrafted, JsonGivesSlotsKindsBoundsAndLatin1AsUtf8) {
    const CobbleRun run = runCobble({"show", "--json", path()});
    ASSERT_EQ(run.status, 0) << describe(run);
    const json shown = json::parse(run.out);
    const json& b0 = shown["components"][2];
    EXPECT_EQ(b0["name"], "b");
    EXPECT_EQ(b0["slot"], 0);
    EXPECT_EQ(b0["primitives"], json({{"total", 2},
                                      {"arc", 0},
                                      {"fill", 0},
                                      {"pad", 1},
                                      {"track", 1},
                                      {"string", 0},
                                      {"via", 0}}));
    EXPECT_EQ(b0["bounds"], json({{"minX", -25}, {"minY", -30}, {"maxX", 31}, {"maxY", 41}}))
        << b0["bounds"];
    EXPECT_EQ(b0["recordBytes"], 48);
    EXPECT_EQ(shown["components"][3]["slot"], 9);
    EXPECT_TRUE(shown["components"][4]["bounds"].is_null());
    EXPECT_EQ(shown["components"][5]["name"],
              "\xC2\xB5"
              "F\x01");
}

TEST_F(ShowCrafted, NamesSelectComponentsByBytesOrByPrintedText) {
    // A name held twice shows both; the printed form of an escaped name finds it too.
    const CobbleRun run = runCobble({"show", path(), "b",
                                     "\xC2\xB5"
                                     "F\\x01",
                                     "a"});
    ASSERT_EQ(run.status, 0) << describe(run);
    EXPECT_EQ(shownNames(run.out), (std::vector<std::string>{"b", "b",
                                                             "\xC2\xB5"
                                                             "F\\x01",
                                                             "a"}));

    const CobbleRun raw = runCobble({"show", path(),
                                     "\xB5"
                                     "F\x01"});
    ASSERT_EQ(raw.status, 0) << describe(raw);
    EXPECT_EQ(linesOf(raw.out).size(), 2u);
}

// What the other NAMEs found is shown all the same, so that the next try can be right at once.
TEST_F(ShowCrafted, AMissingNameIsAnErrorAfterWhatTheOthersFound) {
    const CobbleRun run = runCobble({"show", path(), "A", "QFP44"});
    EXPECT_EQ(run.status, 1);
    ASSERT_EQ(linesOf(run.out).size(), 2u) << run.out;
    EXPECT_TRUE(linesOf(run.out)[1].starts_with("A ")) << run.out;
    EXPECT_EQ(run.err, "cobble: " + path() + ": no component named \"QFP44\"\n");
}

}  // namespace
