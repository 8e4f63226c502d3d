#include "library_check.h"

#include "in_memory_check.h"
#include "library.h"
#include "library_file_builder.h"
#include "primitive_factory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

// The kinds of the findings and of the notes together.
std::multiset<FindingKind> kindsOf(const LibraryCheckReport& report) {
    std::multiset<FindingKind> kinds;
    for (const auto& f : report.findings) kinds.insert(f.kind);
    for (const auto& f : report.notes) kinds.insert(f.kind);
    return kinds;
}

std::string describe(const LibraryCheckReport& report) {
    std::string text;
    for (const auto& f : report.notes) text += "note: " + f.message + "\n";
    for (const auto& f : report.findings) {
        text += std::string(findingKindName(f.kind)) + " slot " +
                (f.slot ? std::to_string(*f.slot) : "-") + " offset " +
                (f.offset ? std::to_string(*f.offset) : "-") + ": " + f.message + "\n";
    }
    return text;
}

DirectoryEntry entryWithNameBytes(const std::string& bytes, int nameLength, int count, int index) {
    DirectoryEntry entry = makeEntry("X", count, index);
    entry.bytes[2] = static_cast<std::uint8_t>(nameLength);
    std::copy(bytes.begin(), bytes.end(), entry.bytes.begin() + 3);
    return entry;
}

/// One component "R1" in slot 0 with one Track at record 401: a file a save reproduces.
LibraryFileBuilder cleanFile() {
    LibraryFileBuilder file;
    file.slot(0, makeEntry("R1", 1, 401)).primitive(401, makeTrack(7, 0, 0, 100, 0, 10));
    return file;
}

Bytes twoComponents(const std::string& first, const std::string& second) {
    LibraryFileBuilder file;
    file.slot(0, makeEntry(first, 1, 401)).slot(1, makeEntry(second, 1, 402));
    file.primitive(401, makeTrack(7, 0, 0, 100, 0, 10)).primitive(402, makeFill(1, 0, 0, 5, 5));
    return file.bytes();
}

Bytes withByte(Bytes bytes, std::size_t offset, std::uint8_t value) {
    bytes[offset] = value;
    return bytes;
}

struct DamageCase {
    const char* name;
    std::function<Bytes()> make;
    std::multiset<FindingKind> kinds;
    bool losesData;
};

void PrintTo(const DamageCase& c, std::ostream* os) { *os << c.name; }

class DamagedImage : public testing::TestWithParam<DamageCase> {};

using K = FindingKind;

TEST_P(DamagedImage, ReportsExactlyItsFinding) {
    const auto report = checkLibraryImage(GetParam().make());
    EXPECT_EQ(kindsOf(report), GetParam().kinds) << describe(report);
    const CheckVerdict expected = !report.isLibrary      ? CheckVerdict::NotALibrary
                                  : GetParam().losesData ? CheckVerdict::LosesData
                                                         : CheckVerdict::KeepsEverything;
    EXPECT_EQ(report.verdict(), expected) << describe(report);
    // The reversed order of a save is how the format works: a note, never a finding.
    for (const auto& f : report.notes) {
        EXPECT_EQ(f.kind, K::OrderReversed);
        EXPECT_FALSE(f.losesData);
    }
    for (const auto& f : report.findings) {
        EXPECT_NE(f.kind, K::OrderReversed);
        EXPECT_FALSE(f.message.empty());
        EXPECT_EQ(f.message.find('\n'), std::string::npos);
        if (f.offset) {
            EXPECT_LE(*f.offset, report.fileSize) << describe(report);
        }
    }
}

constexpr std::size_t kSlot0 = 16;
constexpr std::size_t kRecord401 = 6416;

INSTANTIATE_TEST_SUITE_P(
    Table, DamagedImage,
    testing::Values(
        DamageCase{"Clean", [] { return cleanFile().bytes(); }, {}, false},
        DamageCase{"NotALibrary",
                   [] { return withByte(cleanFile().bytes(), 5, 'b'); },
                   {K::NotALibrary},
                   true},
        DamageCase{"FileTooShort",
                   [] {
                       auto bytes = cleanFile().bytes();
                       bytes.resize(15);
                       return bytes;
                   },
                   {K::FileTooShort},
                   true},
        DamageCase{"DirectoryCutAmongEmptySlots",
                   [] {
                       LibraryFileBuilder file;
                       file.slot(0, makeEntry("R1", 0, 401));
                       auto bytes = file.bytes();
                       bytes.resize(16 + 32 * 3 + 10);
                       return bytes;
                   },
                   {K::DirectoryCut},
                   false},
        DamageCase{"DirectoryCutThroughAComponent",
                   [] {
                       LibraryFileBuilder file;
                       file.slot(0, makeEntry("R1", 0, 401)).slot(1, makeEntry("R2", 0, 401));
                       auto bytes = file.bytes();
                       bytes.resize(16 + 32 + 10);
                       return bytes;
                   },
                   {K::DirectoryCut},
                   true},
        DamageCase{"CountBeyondRecords",
                   [] { return cleanFile().slot(0, makeEntry("R1", 3, 401)).bytes(); },
                   {K::CountBeyondRecords},
                   false},
        DamageCase{"RecordsOverlap",
                   [] { return cleanFile().slot(1, makeEntry("R2", 1, 401)).bytes(); },
                   {K::RecordsOverlap, K::OrderReversed},
                   false},
        DamageCase{"RecordsOverlapDirectory",
                   [] {
                       // Slot 0 reads slot 1's first 16 bytes, whose two carried bytes say
                       // "Track on layer 7".
                       auto bytes = cleanFile().slot(1, makeEntry("R2", 1, 3)).bytes();
                       bytes[kSlot0 + 32] = 7;
                       bytes[kSlot0 + 33] = 5;
                       return bytes;
                   },
                   {K::RecordsOverlapDirectory, K::OrderReversed},
                   false},
        DamageCase{"UnknownRecordType",
                   [] {
                       auto file = cleanFile().slot(0, makeEntry("R1", 2, 401));
                       file.primitive(402, makeTrack(7, 0, 0, 5, 5, 1));
                       return withByte(file.bytes(), kRecord401 + 16 + 1, 4);
                   },
                   {K::UnknownRecordType},
                   true},
        DamageCase{"SecondRecordCut",
                   [] {
                       auto bytes = cleanFile().primitive(401, makePad(1, 0, 0, 60, 60, 1)).bytes();
                       bytes.resize(kRecord401 + 16 + 5);
                       return bytes;
                   },
                   {K::SecondRecordCut},
                   false},
        DamageCase{"TextTooLong",
                   [] {
                       auto file = cleanFile().primitive(401, makeString(7, 0, 0, 60, 6, 0, "AB"));
                       return withByte(file.bytes(), kRecord401 + 18, 20);
                   },
                   {K::TextTooLong},
                   false},
        DamageCase{"NameEmpty",
                   [] { return withByte(cleanFile().bytes(), kSlot0 + 2, 0); },
                   {K::NameEmpty},
                   false},
        DamageCase{
            "NameTooLong",
            [] {
                return cleanFile().slot(0, entryWithNameBytes("ABCDEFGHIJKLM", 14, 1, 401)).bytes();
            },
            {K::NameTooLong},
            false},
        DamageCase{"ZeroInName",
                   [] {
                       return cleanFile()
                           .slot(0, entryWithNameBytes(std::string("R\0X", 3), 3, 1, 401))
                           .bytes();
                   },
                   {K::ZeroInName},
                   false},
        DamageCase{"DuplicateName",
                   [] { return twoComponents("R1", "R1"); },
                   {K::DuplicateName, K::OrderReversed},
                   false},
        DamageCase{"DuplicateNameCase",
                   [] { return twoComponents("R1", "r1"); },
                   {K::DuplicateNameCase, K::OrderReversed},
                   false},
        DamageCase{"LayerZero",
                   [] { return withByte(cleanFile().bytes(), kRecord401, 0); },
                   {K::LayerOutOfRange},
                   false},
        DamageCase{"LayerFourteen",
                   [] { return withByte(cleanFile().bytes(), kRecord401, 14); },
                   {K::LayerOutOfRange},
                   false},
        DamageCase{"PadShapeUnknown",
                   [] { return cleanFile().primitive(401, makePad(1, 0, 0, 60, 60, 5)).bytes(); },
                   {K::PadShapeUnknown},
                   false},
        DamageCase{
            "OrientationUnknown",
            [] { return cleanFile().primitive(401, makeString(7, 0, 0, 60, 6, 5, "AB")).bytes(); },
            {K::OrientationUnknown},
            false},
        DamageCase{"EntryWithoutPrimitives",
                   [] {
                       auto bytes = cleanFile().slot(0, makeEntry("R1", 5, 0)).bytes();
                       bytes.resize(kRecord401);
                       return bytes;
                   },
                   {K::EntryWithoutPrimitives},
                   false},
        // A component without primitives whose index is where a save puts it is no finding.
        DamageCase{"NoPrimitivesWhereASavePutsThem",
                   [] { return cleanFile().slot(1, makeEntry("R2", 0, 402)).bytes(); },
                   {K::OrderReversed},
                   false},
        DamageCase{"NoPrimitivesElsewhere",
                   [] { return cleanFile().slot(1, makeEntry("R2", 0, 500)).bytes(); },
                   {K::EntryWithoutPrimitives, K::OrderReversed},
                   false},
        DamageCase{"CountBeyondTheEndOfTheFile",
                   [] { return cleanFile().slot(1, makeEntry("R2", 2, 900)).bytes(); },
                   {K::CountBeyondRecords, K::OrderReversed},
                   false},
        DamageCase{"HeaderBytes",
                   [] { return withByte(cleanFile().bytes(), 0, 0x1A); },
                   {K::HeaderBytes},
                   false},
        DamageCase{"JunkInEmptySlot",
                   [] {
                       auto entry = makeEntry("OLD", 0, 0);
                       entry.setFirstRecordIndex(-1);
                       return cleanFile().slot(7, entry).bytes();
                   },
                   {K::JunkInEmptySlot},
                   false},
        DamageCase{"SlotsNotPacked",
                   [] {
                       return cleanFile()
                           .slot(0, DirectoryEntry::emptySlot())
                           .slot(3, makeEntry("R1", 1, 401))
                           .bytes();
                   },
                   {K::SlotsNotPacked},
                   false},
        DamageCase{"RecordBlocksOutOfOrder",
                   [] {
                       LibraryFileBuilder file;
                       file.slot(0, makeEntry("R1", 1, 402)).slot(1, makeEntry("R2", 1, 401));
                       file.primitive(401, makeTrack(7, 0, 0, 100, 0, 10))
                           .primitive(402, makeFill(1, 0, 0, 5, 5));
                       return file.bytes();
                   },
                   {K::RecordBlocksOutOfOrder, K::OrderReversed},
                   false},
        DamageCase{"Gap",
                   [] {
                       LibraryFileBuilder file;
                       file.slot(0, makeEntry("R1", 1, 402))
                           .primitive(402, makeTrack(7, 0, 0, 100, 0, 10));
                       return file.bytes();
                   },
                   {K::Gap},
                   false},
        DamageCase{"TrailingBytes",
                   [] {
                       auto bytes = cleanFile().bytes();
                       bytes.resize(bytes.size() + 5, 0xEE);
                       return bytes;
                   },
                   {K::TrailingBytes},
                   false},
        DamageCase{
            "OrderReversed", [] { return twoComponents("R1", "R2"); }, {K::OrderReversed}, false},
        DamageCase{"ViaBeforeATrackMovesLast",
                   [] {
                       auto file = cleanFile().slot(0, makeEntry("R1", 2, 401));
                       file.primitive(401, makeVia(13, 0, 0, 20, 8))
                           .primitive(402, makeTrack(7, 0, 0, 5, 5, 1));
                       return file.bytes();
                   },
                   {K::OrderReversed},
                   false}),
    [](const testing::TestParamInfo<DamageCase>& row) { return row.param.name; });

TEST(LibraryCheck, FindingsNameTheSlotComponentAndOffset) {
    auto file = cleanFile().slot(4, makeEntry("C9", 2, 402));
    file.primitive(402, makeTrack(7, 0, 0, 5, 5, 1)).primitive(403, makeFill(1, 0, 0, 1, 1));
    auto bytes = withByte(file.bytes(), 6416 + 32 + 1, 9);
    const auto report = checkLibraryImage(bytes);
    const auto unknown =
        std::find_if(report.findings.begin(), report.findings.end(),
                     [](const Finding& f) { return f.kind == K::UnknownRecordType; });
    ASSERT_NE(unknown, report.findings.end()) << describe(report);
    EXPECT_EQ(unknown->slot, 4u);
    EXPECT_EQ(unknown->componentName, "C9");
    EXPECT_EQ(unknown->offset, 6416u + 32u);
    EXPECT_TRUE(unknown->losesData);
    EXPECT_EQ(report.componentCount, 2u);
}

// The saves a check predicts, compared in place, with MultiLayer Pads and Vias at the tail.
TEST(LibraryCheck, PredictsTheSavesOfAComponentWithTailPrimitives) {
    struct Row {
        const char* name;
        int heads;
        bool reproduces;
    };
    for (const Row& row : {Row{"one head", 1, true}, Row{"two heads", 2, false}}) {
        const int count = row.heads + 2;
        auto file = LibraryFileBuilder().slot(0, makeEntry("R1", count, 401));
        std::size_t index = 401;
        for (int i = 0; i < row.heads; ++i, ++index) {
            file.primitive(index, makeTrack(7, 0, 0, 10 * i, 5, 1));
        }
        file.primitive(index, makePad(kMultiLayer, 0, 0, 60, 60, 1))
            .primitive(index + 2, makeVia(kMultiLayer, 5, 5, 20, 8));
        const auto report = checkLibraryImage(file.bytes());
        EXPECT_EQ(report.reproducesFile, row.reproduces) << row.name << describe(report);
        const std::multiset<FindingKind> expected =
            row.reproduces ? std::multiset<FindingKind>{}
                           : std::multiset<FindingKind>{K::OrderReversed};
        EXPECT_EQ(kindsOf(report), expected) << row.name << describe(report);
        if (!row.reproduces) {
            EXPECT_NE(report.notes.front().message.find("a second save restores"),
                      std::string::npos)
                << describe(report);
        }
    }
}

// What a save writes, checked again, changes only by order, and a save of that comes back.
TEST(LibraryCheck, ASavedLibraryOnlyChangesOrder) {
    for (const char* name : {"CONNECT.LIB", "IC.LIB"}) {
        Library library;
        PlainNameList names;
        ASSERT_TRUE(library.loadImage(readFileBytes(samplesDir() / name), names));
        Bytes saved;
        ASSERT_TRUE(library.buildImage(saved));
        const auto report = checkLibraryImage(saved);
        EXPECT_EQ(kindsOf(report), std::multiset<FindingKind>{K::OrderReversed})
            << name << describe(report);
        EXPECT_EQ(report.componentCount, library.size());
    }
}

// Finding by name gives the later slot, so the earlier of a pair is the one never found.
TEST(LibraryCheck, DuplicateIsReportedOnTheSlotThatCannotBeFound) {
    LibraryFileBuilder file;
    file.slot(0, makeEntry("R1", 0, 401)).slot(1, makeEntry("R1", 0, 401));
    file.slot(2, makeEntry("R1", 0, 401));
    const auto report = checkLibraryImage(file.bytes());
    std::vector<std::size_t> slots;
    for (const auto& f : report.findings) {
        if (f.kind == K::DuplicateName) {
            slots.push_back(*f.slot);
            EXPECT_NE(f.message.find("slot 2"), std::string::npos) << f.message;
        }
    }
    EXPECT_EQ(slots, (std::vector<std::size_t>{0, 1}));
}

std::string clashesOf(const std::vector<Finding>& findings) {
    std::string text;
    for (const auto& f : findings) {
        if (f.kind != K::DuplicateName && f.kind != K::DuplicateNameCase) continue;
        text += std::string(findingKindName(f.kind)) + " " + std::to_string(*f.slot) + " " +
                *f.componentName + " (" + f.message.substr(f.message.find_first_of("0123456789")) +
                ");";
    }
    return text;
}

// The same names in a file and in memory: a file's later slot is the one found by name, a
// library's first position is. The case clash goes on the first place of the later name.
TEST(LibraryCheck, NameClashesNameTheOneFoundInFilesAndInMemory) {
    const std::vector<std::string> names{"R1", "r1", "R2", "R1", "r1"};
    LibraryFileBuilder file;
    Library library;
    PlainNameList list;
    for (std::size_t i = 0; i < names.size(); ++i) {
        file.slot(i, makeEntry(names[i], 0, 401));
        // Each copy goes to the head, so list positions run the other way round.
        library.addCopy(Component(makeEntry(names[names.size() - 1 - i], 0, 0)), list);
    }
    EXPECT_EQ(clashesOf(checkLibraryImage(file.bytes()).findings),
              "duplicate-name 0 R1 (3, which finding by name gives instead: this one can never be "
              "found);"
              "duplicate-name 1 r1 (4, which finding by name gives instead: this one can never be "
              "found);"
              "duplicate-name-case 1 r1 (0);");
    EXPECT_EQ(clashesOf(checkLibrary(library)),
              "duplicate-name-case 1 r1 (0);"
              "duplicate-name 3 R1 (0, which finding by name gives instead: this one can never be "
              "found);"
              "duplicate-name 4 r1 (1, which finding by name gives instead: this one can never be "
              "found);");
}

// Records that alias each other until the copies no longer fit below index 32,767.
TEST(LibraryCheck, ALibraryNoFileCanHoldIsRefused) {
    LibraryFileBuilder file;
    for (std::size_t i = 0; i < 3000; ++i) file.primitive(401 + i, makeTrack(7, 0, 0, 1, 1, 1));
    for (std::size_t slot = 0; slot < 200; ++slot) {
        file.slot(slot, makeEntry("C" + std::to_string(slot), 3000, 401));
    }
    const auto report = checkLibraryImage(file.bytes());
    EXPECT_EQ(kindsOf(report).count(K::SaveRefused), 1u);
    EXPECT_EQ(report.verdict(), CheckVerdict::LosesData);
}

TEST(LibraryCheck, EveryTruncationGivesAReport) {
    auto file = cleanFile().slot(1, makeEntry("P1", 2, 402));
    file.primitive(402, makePad(13, 0, 0, 60, 60, 1))
        .primitive(404, makeString(7, 0, 0, 60, 6, 0, "X"));
    const auto full = file.bytes();
    // Every size through the header and the records, every fifth through the directory.
    for (std::size_t size = 0; size <= full.size(); size += (size > 64 && size < 6400) ? 5 : 1) {
        const Bytes cut(full.begin(), full.begin() + static_cast<long>(size));
        const auto report = checkLibraryImage(cut);
        EXPECT_EQ(report.isLibrary, size >= 16) << size;
        EXPECT_EQ(report.reproducesFile, false) << size;
    }
}

// The check predicts a load and save without building the library: its prediction must be what
// the loader and the writer do, for files a save wrote, files it did not, and damaged ones.
TEST(LibraryCheck, PredictionAgreesWithALoadAndASave) {
    std::vector<Bytes> images;
    for (const char* name : {"CONNECT.LIB", "IC.LIB"}) {
        Bytes bytes = readFileBytes(samplesDir() / name);
        for (int round = 0; round < 2; ++round) {
            images.push_back(bytes);
            Library library;
            PlainNameList names;
            library.loadImage(bytes, names);
            ASSERT_TRUE(library.buildImage(bytes));
        }
    }
    auto file = cleanFile().slot(1, makeEntry("P1", 3, 402));
    file.primitive(402, makePad(kMultiLayer, 0, 0, 60, 60, 1))
        .primitive(404, makeString(7, 0, 0, 60, 6, 0, "X"))
        .primitive(406, makeVia(1, 5, 5, 20, 8));
    const Bytes small = file.bytes();
    for (std::size_t size = 16; size <= small.size(); size += size < 6400 ? 37 : 3) {
        images.emplace_back(small.begin(), small.begin() + static_cast<long>(size));
    }
    // Every byte of the two entries and of the records changed in turn.
    for (std::size_t at = kSlot0; at < small.size();
         at = at + 1 == kSlot0 + 64 ? kRecord401 : at + 1) {
        images.push_back(withByte(small, at, static_cast<std::uint8_t>(small[at] ^ 0x41)));
    }
    for (const Bytes& image : images) {
        Library library;
        PlainNameList names;
        library.loadImage(image, names);
        Bytes saved;
        const bool built = static_cast<bool>(library.buildImage(saved));
        const auto report = checkLibraryImage(image);
        SCOPED_TRACE(describe(report));
        EXPECT_EQ(report.componentCount, library.size());
        EXPECT_EQ(report.reproducesFile, built && saved == image);
        EXPECT_EQ(kindsOf(report).count(K::SaveRefused), built ? 0u : 1u);
        EXPECT_EQ(kindsOf(report).count(K::RoundTripDiffers), 0u);
    }
}

void expectOnlyReordering(const fs::path& path) {
    const auto report = checkLibraryImage(readFileBytes(path));
    EXPECT_TRUE(report.isLibrary) << path;
    EXPECT_EQ(report.verdict(), CheckVerdict::KeepsEverything) << path << describe(report);
    EXPECT_EQ(kindsOf(report), std::multiset<FindingKind>{K::OrderReversed}) << path << "\n"
                                                                             << describe(report);
    EXPECT_FALSE(report.reproducesFile);
}

// The samples and the shared files are laid out as a save lays them out: only the order changes.
TEST(LibraryCheck, SamplesOnlyChangeOrder) {
    for (const char* name : {"CONNECT.LIB", "DISCRETE.LIB", "IC.LIB", "PASSIVE.LIB"}) {
        expectOnlyReordering(samplesDir() / name);
    }
}

TEST(LibraryCheck, SharedLibrariesOnlyChangeOrder) {
    if (!fs::exists(sharedLibrariesDir())) GTEST_SKIP() << "no " << sharedLibrariesDir();
    for (const char* name : {"KC_CONN.LIB", "KC_DIP.LIB", "KC_SOT.LIB"}) {
        expectOnlyReordering(sharedLibrariesDir() / name);
    }
    EXPECT_EQ(checkLibraryImage(readFileBytes(sharedLibrariesDir() / "KC_CONN.LIB")).componentCount,
              200u);
}

}  // namespace
