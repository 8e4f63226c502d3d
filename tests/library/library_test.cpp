#include "library.h"

#include "byte_order.h"
#include "library_file_builder.h"
#include "primitive_factory.h"
#include "primitive_tags.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::vector<std::uint8_t> emptySlotBytes() {
    const auto e = DirectoryEntry::emptySlot();
    return {e.bytes.begin(), e.bytes.end()};
}

std::vector<std::uint8_t> slotBytes(const std::vector<std::uint8_t>& file, std::size_t slot) {
    const auto begin = file.begin() + long(16 + 32 * slot);
    return {begin, begin + 32};
}

std::vector<std::string> names(const Library& library) {
    std::vector<std::string> result;
    for (const auto& c : library.components()) result.push_back(c->displayName());
    return result;
}

std::vector<std::uint8_t> imageOf(const Library& library) {
    std::vector<std::uint8_t> image;
    EXPECT_TRUE(library.buildImage(image));
    return image;
}

class LibraryFiles : public testing::Test {
protected:
    std::unique_ptr<Library> loadBytes(const std::vector<std::uint8_t>& bytes) {
        auto library = std::make_unique<Library>();
        library->loadImage(bytes, list);
        return library;
    }
    std::unique_ptr<Library> loadFile(const fs::path& path) {
        auto library = std::make_unique<Library>();
        library->load(path.string(), list);
        return library;
    }
    TemporaryDirectory dir;
    PlainNameList list;
};

TEST_F(LibraryFiles, EmptyLibraryIsHeaderAndTwoHundredEmptySlots) {
    Library empty;
    ASSERT_TRUE(empty.save((dir / "EMPTY.LIB").string()));
    const auto file = readFileBytes(dir / "EMPTY.LIB");
    ASSERT_EQ(file.size(), 6416u);
    const std::vector<std::uint8_t> header = {0,   0,   0x0D, 'P', 'C', 'B', ' ', '4',
                                              ' ', 'L', 'I',  'B', 'R', 'A', 'R', 'Y'};
    EXPECT_TRUE(std::equal(header.begin(), header.end(), file.begin()));
    for (std::size_t slot = 0; slot < 200; ++slot)
        EXPECT_EQ(slotBytes(file, slot), emptySlotBytes());
    EXPECT_EQ(loadFile(dir / "EMPTY.LIB")->size(), 0u);
    EXPECT_TRUE(list.names.empty());
}

TEST_F(LibraryFiles, OneComponentWithATrackAndAPadIs6464Bytes) {
    Component source(makeEntry("R1", 0, 0));
    source.addPrimitive(makeTrack(7, 0, 0, 100, 0, 10));
    source.addPrimitive(makePad(kMultiLayer, 0, 0, 60, 60, 1));
    Library library;
    library.addCopy(source, list);
    ASSERT_TRUE(library.save((dir / "ONE.LIB").string()));
    const auto file = readFileBytes(dir / "ONE.LIB");
    ASSERT_EQ(file.size(), 6464u);
    EXPECT_EQ(signed16At(file, 16 + 18), 2);
    EXPECT_EQ(signed16At(file, 16 + 20), 401);
    EXPECT_EQ(file[6416 + 1], 5) << "the Track comes first";
    EXPECT_EQ(file[6432 + 1], 3) << "the MultiLayer Pad after it";
    for (std::size_t slot = 1; slot < 200; ++slot)
        EXPECT_EQ(slotBytes(file, slot), emptySlotBytes());
}

// The worked example: file order A, T1, P (MultiLayer), V, T2, Q (layer 1).
TEST_F(LibraryFiles, RoundTripOrderOfComponentsAndPrimitives) {
    LibraryFileBuilder file;
    file.slot(0, makeEntry("FIRST", 6, 401)).slot(1, makeEntry("SECOND", 1, 410));
    file.primitive(401, tagged(makeArc(7, 0, 0, 5, 15, 1), 'A'))
        .primitive(402, tagged(makeTrack(7, 0, 0, 10, 0, 1), '1'))
        .primitive(403, tagged(makePad(kMultiLayer, 0, 0, 10, 10, 1), 'P'))
        .primitive(405, tagged(makeVia(1, 0, 0, 10, 4), 'V'))
        .primitive(406, tagged(makeTrack(7, 0, 0, 0, 10, 1), '2'))
        .primitive(407, tagged(makePad(1, 0, 0, 10, 10, 2), 'Q'))
        .primitive(410, tagged(makeFill(1, 0, 0, 5, 5), 'F'));

    const auto first = loadBytes(file.bytes());
    EXPECT_EQ(list.names, (std::vector<std::string>{"FIRST", "SECOND"}));
    ASSERT_EQ(names(*first), (std::vector<std::string>{"SECOND", "FIRST"}));
    EXPECT_EQ(tags(*first->components()[1]), "Q21APV");

    const auto saved = imageOf(*first);
    EXPECT_EQ(DirectoryEntry{}.bytes.size(), 32u);
    EXPECT_EQ(signed16At(saved, 16 + 20), 401) << "SECOND goes to slot 0";
    EXPECT_EQ(signed16At(saved, 48 + 20), 402);
    const auto second = loadBytes(saved);
    EXPECT_EQ(names(*second), (std::vector<std::string>{"FIRST", "SECOND"}));
    EXPECT_EQ(tags(*second->components()[0]), "A12QPV");

    const auto third = loadBytes(imageOf(*second));
    EXPECT_EQ(names(*third), names(*first));
    EXPECT_EQ(tags(*third->components()[1]), "Q21APV");
    EXPECT_EQ(imageOf(*third), saved);
}

TEST_F(LibraryFiles, SignatureDecidesAndHeaderIsRewritten) {
    LibraryFileBuilder file;
    file.slot(0, makeEntry("ONLY", 0, 0));
    file.bytes()[0] = 0x12;
    file.bytes()[1] = 0x34;
    file.bytes()[2] = 0x56;
    const auto library = loadBytes(file.bytes());
    ASSERT_EQ(library->size(), 1u);
    const auto image = imageOf(*library);
    EXPECT_EQ(image[0], 0);
    EXPECT_EQ(image[1], 0);
    EXPECT_EQ(image[2], 0x0D);

    std::copy_n("pcb 4 library", 13, file.bytes().begin() + 3);
    EXPECT_EQ(loadBytes(file.bytes())->size(), 0u);
    EXPECT_TRUE(list.names.empty());
    EXPECT_EQ(loadBytes({file.bytes().begin(), file.bytes().begin() + 15})->size(), 0u);
}

TEST_F(LibraryFiles, LoadSaysWhetherTheFileWasALibrary) {
    LibraryFileBuilder file;
    writeFileBytes(dir / "EMPTY.LIB", file.bytes());
    writeFileBytes(dir / "TEXT.LIB", std::vector<std::uint8_t>(100, 'x'));
    EXPECT_TRUE(Library().load((dir / "EMPTY.LIB").string(), list));
    EXPECT_FALSE(Library().load((dir / "TEXT.LIB").string(), list));
    EXPECT_FALSE(Library().load((dir / "NONE.LIB").string(), list));
}

TEST_F(LibraryFiles, MissingFileLoadsEmptyAndEmptiesTheNameList) {
    list.names = {"stale"};
    EXPECT_EQ(loadFile(dir / "NOPE.LIB")->size(), 0u);
    EXPECT_TRUE(list.names.empty());
    list.names = {"stale"};
    EXPECT_EQ(loadFile(dir.path())->size(), 0u) << "a directory is not a library";
    EXPECT_TRUE(list.names.empty());
}

TEST_F(LibraryFiles, LoadingAgainReplacesTheComponentsSoTheyMatchTheNames) {
    LibraryFileBuilder file;
    file.slot(0, makeEntry("ONLY", 1, 401)).primitive(401, makeTrack(1, 0, 0, 10, 10, 1));
    writeFileBytes(dir / "ONE.LIB", file.bytes());
    Library library;
    ASSERT_TRUE(library.loadImage(file.bytes(), list));
    ASSERT_TRUE(library.loadImage(file.bytes(), list));
    EXPECT_EQ(names(library), list.names);
    EXPECT_EQ(library.size(), 1u);

    ASSERT_TRUE(library.load((dir / "ONE.LIB").string(), list));
    EXPECT_EQ(library.size(), 1u);
    EXPECT_FALSE(library.load((dir / "NONE.LIB").string(), list));
    EXPECT_EQ(library.size(), 0u) << "an unreadable file leaves nothing behind";
    EXPECT_TRUE(list.names.empty());
}

TEST_F(LibraryFiles, SlotIsEmptyOnlyByItsIndex) {
    LibraryFileBuilder file;
    DirectoryEntry noise;
    noise.bytes.fill(0x5A);
    noise.bytes[entry_offset::kFirstRecordIndex] = 0xFF;
    noise.bytes[entry_offset::kFirstRecordIndex + 1] = 0xFF;
    file.slot(0, noise).slot(1, makeEntry("NOPRIMS", 5, 0)).slot(2, makeEntry("NEG", 5, -2));
    const auto library = loadBytes(file.bytes());
    EXPECT_EQ(list.names, (std::vector<std::string>{"NOPRIMS", "NEG"}));
    for (const auto& c : library->components()) EXPECT_EQ(c->primitiveCount(), 0);
}

TEST_F(LibraryFiles, DirectoryCutShortKeepsTheWholeSlots) {
    LibraryFileBuilder file;
    for (std::size_t i = 0; i < 4; ++i) file.slot(i, makeEntry("C" + std::to_string(i)));
    file.bytes().resize(16 + 32 * 3 + 31);
    loadBytes(file.bytes());
    EXPECT_EQ(list.names, (std::vector<std::string>{"C0", "C1", "C2"}));
}

TEST_F(LibraryFiles, UninterpretedBytesSurviveLoadCopyAndSave) {
    DirectoryEntry entry = makeEntry("KEEP", 2, 401);
    for (std::size_t i : {0u, 1u, 16u, 17u}) entry.bytes[i] = static_cast<std::uint8_t>(0xA0 + i);
    for (std::size_t i = 22; i < 32; ++i) entry.bytes[i] = static_cast<std::uint8_t>(i);
    for (std::size_t i = 7; i < 16; ++i) entry.bytes[i] = 'z';  // name bytes past nameLength 4
    auto pad = makePad(kMultiLayer, 1, 2, 3, 4, 9).bytes();
    for (std::size_t i = 10; i < 32; ++i) {
        if (i != 12) pad[i] = static_cast<std::uint8_t>(0x30 + i);
    }
    auto string = makeString(7, 0, 0, 60, 5, 0, "AB").bytes();
    for (std::size_t i = 21; i < 32; ++i) string[i] = static_cast<std::uint8_t>('a' + i - 21);
    string[10] = 0xCC;
    LibraryFileBuilder file;
    file.slot(0, entry).record(401, string).record(403, pad);

    const auto loaded = loadBytes(file.bytes());
    Library destination;
    destination.addCopy(*loaded->components()[0], list);
    for (const Library* library : {loaded.get(), &destination}) {
        const auto image = imageOf(*library);
        ASSERT_EQ(image.size(), 6416u + 64u);
        EXPECT_TRUE(std::equal(entry.bytes.begin(), entry.bytes.end(), image.begin() + 16));
        EXPECT_TRUE(std::equal(string.begin(), string.end(), image.begin() + 6416));
        EXPECT_TRUE(std::equal(pad.begin(), pad.end(), image.begin() + 6448));
    }
}

TEST_F(LibraryFiles, UnknownTypeIsDroppedAndTheCountLowered) {
    const std::array<std::uint8_t, 16> type4{1, 4};
    LibraryFileBuilder file;
    file.slot(0, makeEntry("X", 3, 401))
        .primitive(401, makeTrack(1, 0, 0, 10, 10, 2))
        .record(402, type4)
        .primitive(403, makeVia(1, 0, 0, 10, 2));
    const auto image = imageOf(*loadBytes(file.bytes()));
    EXPECT_EQ(image.size(), 6416u + 32u);
    EXPECT_EQ(signed16At(image, 16 + 18), 2);
    EXPECT_EQ(image[6416 + 1], 5);
    EXPECT_EQ(image[6432 + 1], 8);
}

TEST_F(LibraryFiles, FindByNameIsExactByteComparison) {
    LibraryFileBuilder file;
    DirectoryEntry long14 = makeEntry("ABCDEFGHIJKLM");
    long14.bytes[entry_offset::kNameLength] = 14;
    file.slot(0, makeEntry("dip8", 0, 0))
        .slot(1, makeEntry("DIP8", 1, 0))
        .slot(2, makeEntry("DIP8", 2, 0))
        .slot(3, makeEntry("\xC4\xFF"))
        .slot(4, long14);
    const auto library = loadBytes(file.bytes());
    const Component* found = library->findByName("DIP8");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->entry().primitiveCount(), 2) << "the later slot comes first in the list";
    EXPECT_EQ(library->findByName("dip8")->entry().primitiveCount(), 0);
    EXPECT_EQ(library->findByName("Dip8"), nullptr);
    EXPECT_EQ(library->findByName("DIP8 "), nullptr);
    EXPECT_NE(library->findByName("\xC4\xFF"), nullptr);
    EXPECT_EQ(library->findByName(""), nullptr);
    EXPECT_EQ(library->findByName("ABCDEFGHIJKLM"), nullptr) << "nameLength 14 never matches";
    EXPECT_EQ(library->findByName("ABCDEFGHIJKLMN"), nullptr);
}

TEST_F(LibraryFiles, CopyGoesToTheHeadAndRemoveTakesOnlyItsOwn) {
    LibraryFileBuilder file;
    file.slot(0, makeEntry("A")).slot(1, makeEntry("B"));
    const auto source = loadBytes(file.bytes());
    const auto destination = loadBytes(file.bytes());
    PlainNameList destinationList;
    Component& copy = destination->addCopy(*source->findByName("A"), destinationList);
    EXPECT_EQ(destinationList.names, std::vector<std::string>{"A"});
    EXPECT_EQ(destination->components().front().get(), &copy);
    EXPECT_EQ(names(*destination), (std::vector<std::string>{"A", "B", "A"}));
    EXPECT_EQ(imageOf(*destination)[16 + 3], 'A');

    EXPECT_FALSE(destination->remove(source->findByName("B")));
    EXPECT_EQ(destination->size(), 3u);
    EXPECT_TRUE(destination->remove(&copy));
    EXPECT_EQ(names(*destination), (std::vector<std::string>{"B", "A"}));
    EXPECT_FALSE(destination->remove(nullptr));
}

TEST_F(LibraryFiles, RefusesWhatAFileCannotHold) {
    Component one(makeEntry("C"));
    Library tooMany;
    for (int i = 0; i < 201; ++i) tooMany.addCopy(one, list);
    std::vector<std::uint8_t> image;
    const SaveResult refused = tooMany.buildImage(image);
    EXPECT_FALSE(refused);
    EXPECT_NE(refused.reason.find("200"), std::string::npos) << refused.reason;
    EXPECT_EQ(tooMany.checkWritable().reason, refused.reason);
    EXPECT_TRUE(image.empty());

    // 20 components of 1,700 tracks: the last would start at record 401 + 19 x 1,700 = 32,701,
    // just inside; one more track each pushes it past 32,767.
    for (int tracks : {1700, 1704}) {
        Component big(makeEntry("BIG"));
        for (int i = 0; i < tracks; ++i) big.addPrimitive(makeTrack(1, 0, 0, i, 0, 1));
        Library library;
        for (int i = 0; i < 20; ++i) library.addCopy(big, list);
        const SaveResult result = library.save((dir / "BIG.LIB").string());
        EXPECT_EQ(static_cast<bool>(result), tracks == 1700) << result.reason;
        EXPECT_EQ(library.checkWritable().reason, result.reason);
        if (!result) {
            EXPECT_NE(result.reason.find("32,767"), std::string::npos) << result.reason;
        }
    }
}

TEST_F(LibraryFiles, FailedSaveLeavesThePreviousFileAndNoTemporaryFile) {
    LibraryFileBuilder file;
    file.slot(0, makeEntry("OLD"));
    const fs::path target = dir / "KEEP.LIB";
    writeFileBytes(target, file.bytes());
    Library library;
    Component big(makeEntry("NEW"));
    for (int i = 0; i < 500; ++i) big.addPrimitive(makeTrack(1, 0, 0, i, 0, 1));
    library.addCopy(big, list);

    // The file size limit makes the write fail partway, as a full disk would.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    rlimit small = previous;
    small.rlim_cur = 7000;
    setrlimit(RLIMIT_FSIZE, &small);
    const SaveResult result = library.save(target.string());
    setrlimit(RLIMIT_FSIZE, &previous);

    EXPECT_FALSE(result);
    EXPECT_FALSE(result.reason.empty());
    EXPECT_EQ(readFileBytes(target), file.bytes());
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);

    fs::create_directory(dir / "FOLDER.LIB");
    const SaveResult onFolder = library.save((dir / "FOLDER.LIB").string());
    EXPECT_FALSE(onFolder);
    EXPECT_EQ(onFolder.path, (dir / "FOLDER.LIB").string()) << onFolder.reason;
    EXPECT_FALSE(library.save((dir / "missing" / "X.LIB").string()));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);
}

TEST_F(LibraryFiles, SaveKeepsPermissionsAndFollowsLinks) {
    Library library;
    const fs::path real = dir / "REAL.LIB";
    writeFileBytes(real, std::vector<std::uint8_t>(10, 1));
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink("REAL.LIB", dir / "LINK.LIB");
    ASSERT_TRUE(library.save((dir / "LINK.LIB").string()));
    EXPECT_TRUE(fs::is_symlink(dir / "LINK.LIB"));
    EXPECT_EQ(fs::file_size(real), 6416u);
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(LibraryFiles, ReadOnlyFileIsNotReplaced) {
    const fs::path target = dir / "LOCKED.LIB";
    writeFileBytes(target, std::vector<std::uint8_t>(10, 1));
    fs::permissions(target, fs::perms::owner_read);
    EXPECT_FALSE(Library().save(target.string()));
    EXPECT_EQ(fs::file_size(target), 10u);
}

TEST_F(LibraryFiles, EveryTruncationLoadsCleanly) {
    const auto whole = readFileBytes(samplesDir() / "PASSIVE.LIB");
    const auto full = loadBytes(whole);
    for (std::size_t length = 0; length <= whole.size(); length += 1) {
        const auto cut = loadBytes({whole.begin(), whole.begin() + long(length)});
        ASSERT_LE(cut->size(), full->size());
        std::vector<std::uint8_t> image;
        ASSERT_TRUE(cut->buildImage(image));
    }
}

TEST_F(LibraryFiles, SharedLibrariesSurviveTwoRoundTrips) {
    if (!fs::exists(sharedLibrariesDir())) GTEST_SKIP() << "no " << sharedLibrariesDir();
    for (const char* name : {"KC_CONN.LIB", "KC_DIP.LIB", "KC_SOT.LIB"}) {
        SCOPED_TRACE(name);
        const auto original = readFileBytes(sharedLibrariesDir() / name);
        const auto first = loadBytes(original);
        const auto firstNames = list.names;
        ASSERT_GT(first->size(), 0u);
        EXPECT_EQ(imageOf(*first).size(), original.size());
        ASSERT_TRUE(first->save((dir / name).string()));
        const auto second = loadFile(dir / name);
        auto sorted = [](std::vector<std::string> v) {
            std::sort(v.begin(), v.end());
            return v;
        };
        EXPECT_EQ(sorted(list.names), sorted(firstNames));
        const auto third = loadBytes(imageOf(*second));
        EXPECT_EQ(imageOf(*third), imageOf(*first));
    }
    EXPECT_EQ(loadFile(sharedLibrariesDir() / "KC_CONN.LIB")->size(), 200u);
}

}  // namespace
