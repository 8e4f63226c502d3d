#include "cobble_process.h"
#include "library_file_builder.h"
#include "primitive_factory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::size_t kSlot0 = 16;
constexpr std::size_t kRecord401 = 6416;

/// "R1" in slot 0 with one Track at record 401: a file a save gives back byte for byte.
LibraryFileBuilder clean() {
    LibraryFileBuilder file;
    file.slot(0, makeEntry("R1", 1, 401)).primitive(401, makeTrack(7, 0, 0, 100, 0, 10));
    return file;
}

Bytes withByte(Bytes bytes, std::size_t offset, std::uint8_t value) {
    bytes[offset] = value;
    return bytes;
}

Bytes cut(Bytes bytes, std::size_t size) {
    bytes.resize(size);
    return bytes;
}

Bytes twoNamed(const std::string& a, const std::string& b) {
    LibraryFileBuilder file;
    file.slot(0, makeEntry(a, 1, 401)).slot(1, makeEntry(b, 1, 402));
    file.primitive(401, makeTrack(7, 0, 0, 100, 0, 10)).primitive(402, makeFill(1, 0, 0, 5, 5));
    return file.bytes();
}

DirectoryEntry nameBytes(const std::string& bytes, int length) {
    DirectoryEntry entry = makeEntry("X", 1, 401);
    entry.bytes[2] = static_cast<std::uint8_t>(length);
    std::copy(bytes.begin(), bytes.end(), entry.bytes.begin() + 3);
    return entry;
}

struct Damage {
    const char* file;
    std::function<Bytes()> make;
    std::set<std::string> kinds;
    const char* verdict;
};

// One damaged file per kind of finding; each must report exactly its own finding (and the
// reversed order where two components make one).
const std::vector<Damage>& damages() {
    static const std::vector<Damage> table = {
        {"CLEAN.LIB", [] { return clean().bytes(); }, {}, "keeps-everything"},
        {"NOTLIB.LIB",
         [] { return withByte(clean().bytes(), 5, 'b'); },
         {"not-a-library"},
         "not-a-library"},
        {"SHORT.LIB", [] { return cut(clean().bytes(), 15); }, {"file-too-short"}, "not-a-library"},
        {"DIRCUT.LIB",
         [] {
             LibraryFileBuilder file;
             file.slot(0, makeEntry("R1", 0, 401)).slot(1, makeEntry("R2", 0, 401));
             return cut(file.bytes(), 16 + 32 + 10);
         },
         {"directory-cut"},
         "loses-data"},
        {"COUNT.LIB",
         [] { return clean().slot(0, makeEntry("R1", 3, 401)).bytes(); },
         {"count-beyond-records"},
         "keeps-everything"},
        {"OVERLAP.LIB",
         [] { return clean().slot(1, makeEntry("R2", 1, 401)).bytes(); },
         {"records-overlap", "order-reversed"},
         "keeps-everything"},
        {"OVERDIR.LIB",
         [] {
             auto bytes = clean().slot(1, makeEntry("R2", 1, 3)).bytes();
             bytes[kSlot0 + 32] = 7;  // slot 1's carried bytes read as a Track on layer 7
             bytes[kSlot0 + 33] = 5;
             return bytes;
         },
         {"records-overlap-directory", "order-reversed"},
         "keeps-everything"},
        {"UNKNOWN.LIB",
         [] {
             auto file = clean().slot(0, makeEntry("R1", 2, 401));
             file.primitive(402, makeTrack(7, 0, 0, 5, 5, 1));
             return withByte(file.bytes(), kRecord401 + 16 + 1, 4);
         },
         {"unknown-record-type"},
         "loses-data"},
        {"SECOND.LIB",
         [] {
             return cut(clean().primitive(401, makePad(1, 0, 0, 60, 60, 1)).bytes(),
                        kRecord401 + 21);
         },
         {"second-record-cut"},
         "keeps-everything"},
        {"TEXT.LIB",
         [] {
             auto file = clean().primitive(401, makeString(7, 0, 0, 60, 6, 0, "AB"));
             return withByte(file.bytes(), kRecord401 + 18, 20);
         },
         {"text-too-long"},
         "keeps-everything"},
        {"NONAME.LIB",
         [] { return withByte(clean().bytes(), kSlot0 + 2, 0); },
         {"name-empty"},
         "keeps-everything"},
        {"LONGNAME.LIB",
         [] { return clean().slot(0, nameBytes("ABCDEFGHIJKLM", 14)).bytes(); },
         {"name-too-long"},
         "keeps-everything"},
        {"ZERONAME.LIB",
         [] { return clean().slot(0, nameBytes(std::string("R\0X", 3), 3)).bytes(); },
         {"zero-in-name"},
         "keeps-everything"},
        {"DUP.LIB",
         [] { return twoNamed("R1", "R1"); },
         {"duplicate-name", "order-reversed"},
         "keeps-everything"},
        {"DUPCASE.LIB",
         [] { return twoNamed("R1", "r1"); },
         {"duplicate-name-case", "order-reversed"},
         "keeps-everything"},
        {"LAYER.LIB",
         [] { return withByte(clean().bytes(), kRecord401, 14); },
         {"layer-out-of-range"},
         "keeps-everything"},
        {"SHAPE.LIB",
         [] { return clean().primitive(401, makePad(1, 0, 0, 60, 60, 5)).bytes(); },
         {"pad-shape-unknown"},
         "keeps-everything"},
        {"ORIENT.LIB",
         [] { return clean().primitive(401, makeString(7, 0, 0, 60, 6, 5, "AB")).bytes(); },
         {"orientation-unknown"},
         "keeps-everything"},
        {"HEADER.LIB",
         [] { return withByte(clean().bytes(), 0, 0x1A); },
         {"header-bytes"},
         "keeps-everything"},
        {"JUNK.LIB",
         [] {
             auto entry = makeEntry("OLD", 0, 0);
             entry.setFirstRecordIndex(-1);
             return clean().slot(7, entry).bytes();
         },
         {"junk-in-empty-slot"},
         "keeps-everything"},
        {"GAP.LIB",
         [] {
             LibraryFileBuilder file;
             file.slot(0, makeEntry("R1", 1, 402)).primitive(402, makeTrack(7, 0, 0, 100, 0, 10));
             return file.bytes();
         },
         {"gap"},
         "keeps-everything"},
        {"REVERSED.LIB",
         [] { return twoNamed("R1", "R2"); },
         {"order-reversed"},
         "keeps-everything"},
    };
    return table;
}

class CheckDamaged : public testing::Test {
protected:
    void SetUp() override {
        for (const Damage& damage : damages()) {
            writeFileBytes(dir / damage.file, damage.make());
            paths.push_back((dir / damage.file).string());
        }
    }
    TemporaryDirectory dir;
    std::vector<std::string> paths;
};

TEST_F(CheckDamaged, EachFileReportsExactlyItsFinding) {
    std::vector<std::string> arguments = {"check", "--json"};
    arguments.insert(arguments.end(), paths.begin(), paths.end());
    const CobbleRun run = runCobble(arguments);
    EXPECT_EQ(run.status, 1) << describe(run);
    EXPECT_EQ(run.err, "");
    const json report = json::parse(run.out);
    ASSERT_EQ(report["files"].size(), damages().size());
    for (std::size_t i = 0; i < damages().size(); ++i) {
        const json& file = report["files"][i];
        SCOPED_TRACE(damages()[i].file);
        EXPECT_EQ(file["file"], paths[i]);
        // The reversed order of a save is a note under the verdict, never a finding.
        std::set<std::string> kinds;
        for (const json& finding : file["findings"]) {
            EXPECT_NE(finding["kind"], "order-reversed");
            kinds.insert(finding["kind"]);
        }
        for (const json& note : file["notes"]) {
            EXPECT_EQ(note["kind"], "order-reversed");
            kinds.insert(note["kind"]);
        }
        EXPECT_EQ(kinds, damages()[i].kinds) << file.dump(2);
        EXPECT_EQ(file["verdict"], damages()[i].verdict);
        if (kinds.empty()) {
            EXPECT_TRUE(file["reproducesFile"]);
        }
    }
}

TEST_F(CheckDamaged, StatusIsTheWorstOfTheFiles) {
    struct Row {
        std::vector<std::string> files;
        int status;
    };
    for (const Row& row : std::vector<Row>{{{"CLEAN.LIB", "REVERSED.LIB", "GAP.LIB"}, 0},
                                           {{"CLEAN.LIB", "UNKNOWN.LIB"}, 1},
                                           {{"NOTLIB.LIB"}, 1},
                                           {{"UNKNOWN.LIB", "MISSING.LIB", "CLEAN.LIB"}, 2}}) {
        std::vector<std::string> arguments = {"check"};
        for (const std::string& file : row.files) arguments.push_back((dir / file).string());
        const CobbleRun run = runCobble(arguments);
        EXPECT_EQ(run.status, row.status) << describe(run);
    }
}

TEST_F(CheckDamaged, TextNamesSlotComponentAndOffsetThenTheVerdict) {
    LibraryFileBuilder file;
    file.slot(4, makeEntry("C\xB5", 2, 402))
        .primitive(402, makeTrack(7, 0, 0, 5, 5, 1))
        .primitive(403, makeFill(1, 0, 0, 1, 1));
    const std::string path = (dir / "TEXTOUT.LIB").string();
    writeFileBytes(path, withByte(file.bytes(), kRecord401 + 32 + 1, 9));

    const CobbleRun run = runCobble({"check", path});
    EXPECT_EQ(run.status, 1) << describe(run);
    const auto lines = linesOf(run.out);
    ASSERT_FALSE(lines.empty());
    const std::string unknown =
        path + ": slot 4 \"C\xC2\xB5\" at offset 6448 unknown-record-type: ";
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.starts_with(unknown) && line.ends_with("[loses data]");
    })) << run.out;
    EXPECT_EQ(lines.back(), path + ": 1 component; a save would lose data");
}

TEST(Check, RealLibrariesLoseNothing) {
    std::vector<std::string> arguments = {"check"};
    for (const char* name : {"CONNECT.LIB", "DISCRETE.LIB", "IC.LIB", "PASSIVE.LIB"}) {
        arguments.push_back((samplesDir() / name).string());
    }
    for (const char* name : {"KC_CONN.LIB", "KC_DIP.LIB", "KC_SOT.LIB"}) {
        if (fs::exists(sharedLibrariesDir() / name)) {
            arguments.push_back((sharedLibrariesDir() / name).string());
        }
    }
    const CobbleRun run = runCobble(arguments);
    EXPECT_EQ(run.status, 0) << describe(run);
    // Each file: a verdict that says it is sound, then the reversed order of a save as a note.
    const auto lines = linesOf(run.out);
    ASSERT_EQ(lines.size(), 2 * (arguments.size() - 1)) << run.out;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        EXPECT_TRUE(lines[2 * i - 2].starts_with(arguments[i] + ": "));
        EXPECT_TRUE(lines[2 * i - 2].ends_with(" components; ok: a save keeps every component"))
            << lines[2 * i - 2];
        EXPECT_TRUE(lines[2 * i - 1].starts_with("  note: a save writes the components in reverse"))
            << lines[2 * i - 1];
    }
}

}  // namespace

namespace {

TEST_F(CheckDamaged, ProgressCountsLibrariesOnATerminalOnly) {
    const std::vector<std::string> arguments = {"check", (dir / "CLEAN.LIB").string(),
                                                (dir / "GAP.LIB").string()};
    const CobbleRun shown = runCobbleOnTerminal(arguments);
    EXPECT_EQ(shown.status, 0) << describe(shown);
    EXPECT_NE(shown.err.find("\r2/2 libraries"), std::string::npos) << shown.err;
    EXPECT_EQ(shown.out, runCobble(arguments).out);
}

}  // namespace
