#include "library_session.h"

#include "component.h"
#include "library.h"
#include "library_file_builder.h"
#include "primitive_factory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Policy = LibrarySession::WritePolicy;

class LibrarySessionTest : public testing::Test {
protected:
    std::string pathOf(const std::string& name) const { return (folder / name).string(); }

    TemporaryDirectory folder;
    PlainNameList names;
};

std::vector<std::string> sorted(std::vector<std::string> list) {
    std::sort(list.begin(), list.end());
    return list;
}

}  // namespace

TEST_F(LibrarySessionTest, StartsWithoutLibraryPathOrChange) {
    const LibrarySession session(Policy::onlyOverLibraryFile);
    EXPECT_FALSE(session.hasLibrary());
    EXPECT_TRUE(session.path().empty());
    EXPECT_FALSE(session.modified());
    EXPECT_TRUE(session.refusesToWrite());
    EXPECT_EQ(session.fileName(), "");
}

TEST_F(LibrarySessionTest, OpeningALibraryListsItsNamesAndCountsAsUnchanged) {
    writeLibrary(folder / "A.LIB", {"ONE", "TWO"});
    LibrarySession session(Policy::onlyOverLibraryFile);
    names.append("stale");

    EXPECT_TRUE(session.open(pathOf("A.LIB"), names));
    EXPECT_EQ(sorted(names.names), (std::vector<std::string>{"ONE", "TWO"}));
    EXPECT_EQ(session.library()->size(), 2U);
    EXPECT_EQ(session.path(), pathOf("A.LIB"));
    EXPECT_TRUE(session.readAsLibrary());
    EXPECT_FALSE(session.modified());
    EXPECT_FALSE(session.refusesToWrite());
}

TEST_F(LibrarySessionTest, ReopeningReplacesTheLibraryRatherThanAddingToIt) {
    writeLibrary(folder / "A.LIB", {"ONE", "TWO"});
    writeLibrary(folder / "B.LIB", {"THREE"});
    LibrarySession session(Policy::onlyOverLibraryFile);
    session.open(pathOf("A.LIB"), names);
    session.remove(session.library()->findByName("ONE"));

    session.open(pathOf("B.LIB"), names);
    EXPECT_EQ(names.names, (std::vector<std::string>{"THREE"}));
    EXPECT_EQ(session.library()->size(), 1U);
    EXPECT_FALSE(session.modified()) << "a newly opened file has no changes";
}

TEST_F(LibrarySessionTest, RemovingMarksChangedOnlyWhenTheComponentWasThere) {
    writeLibrary(folder / "A.LIB", {"ONE"});
    LibrarySession session(Policy::onlyOverLibraryFile);
    session.open(pathOf("A.LIB"), names);
    const Component stranger(makeEntry("ONE"));

    EXPECT_FALSE(session.remove(&stranger));
    EXPECT_FALSE(session.remove(nullptr));
    EXPECT_FALSE(session.modified());
    EXPECT_TRUE(session.remove(session.library()->findByName("ONE")));
    EXPECT_TRUE(session.modified());
    EXPECT_EQ(session.library()->size(), 0U);
}

TEST_F(LibrarySessionTest, SaveWritesTheLibraryBackAndClearsTheChange) {
    writeLibrary(folder / "A.LIB", {"ONE", "TWO"});
    LibrarySession session(Policy::onlyOverLibraryFile);
    session.open(pathOf("A.LIB"), names);
    session.remove(session.library()->findByName("ONE"));

    const SaveResult result = session.save();
    ASSERT_TRUE(result) << result.reason;
    EXPECT_FALSE(session.modified());
    EXPECT_EQ(namesInLibrary(folder / "A.LIB"), (std::vector<std::string>{"TWO"}));
}

// A file that was not read as a library may be anybody's: the source side must never replace
// it by an empty library, whatever the reason it could not be read.
TEST_F(LibrarySessionTest, NeverWritesOverAFileThatWasNotReadAsALibrary) {
    const std::vector<std::uint8_t> notes(64, 'n');
    writeFileBytes(folder / "notes.txt", notes);
    LibrarySession session(Policy::onlyOverLibraryFile);

    for (const char* name : {"notes.txt", "missing.LIB"}) {
        EXPECT_FALSE(session.open(pathOf(name), names)) << name;
        EXPECT_TRUE(session.hasLibrary());
        EXPECT_TRUE(session.refusesToWrite()) << name;
        const SaveResult result = session.save();
        EXPECT_FALSE(result) << name;
        EXPECT_NE(result.reason.find(pathOf(name)), std::string::npos) << result.reason;
    }
    EXPECT_EQ(readFileBytes(folder / "notes.txt"), notes);
    EXPECT_FALSE(fs::exists(folder / "missing.LIB")) << "no stray file";
}

TEST_F(LibrarySessionTest, TheDestinationPolicyCreatesANewFile) {
    LibrarySession session(Policy::anyFile);
    session.startEmpty();
    EXPECT_TRUE(session.refusesToWrite()) << "no path yet";
    EXPECT_FALSE(session.save());

    EXPECT_FALSE(session.open(pathOf("NEW.LIB"), names));
    EXPECT_FALSE(session.refusesToWrite());
    const SaveResult result = session.save();
    ASSERT_TRUE(result) << result.reason;
    EXPECT_TRUE(namesInLibrary(folder / "NEW.LIB").empty());
    EXPECT_GT(fs::file_size(folder / "NEW.LIB"), 0U);
}

TEST_F(LibrarySessionTest, AFailedSaveKeepsTheChangeAndSaysWhy) {
    LibrarySession session(Policy::anyFile);
    session.setPath(pathOf("no such folder/OUT.LIB"));
    session.clear();
    ASSERT_TRUE(session.modified());

    const SaveResult result = session.save();
    EXPECT_FALSE(result);
    EXPECT_FALSE(result.reason.empty());
    EXPECT_TRUE(session.modified()) << "closing must offer the library again";
}

TEST_F(LibrarySessionTest, StartEmptyIsUnchangedButClearIsAChangeAndBothKeepThePath) {
    writeLibrary(folder / "A.LIB", {"ONE"});
    LibrarySession session(Policy::anyFile);
    session.open(pathOf("A.LIB"), names);

    session.clear();
    EXPECT_EQ(session.library()->size(), 0U);
    EXPECT_TRUE(session.modified());
    EXPECT_EQ(session.path(), pathOf("A.LIB"));

    session.startEmpty();
    EXPECT_FALSE(session.modified());
    EXPECT_EQ(session.path(), pathOf("A.LIB"));

    session.close();
    EXPECT_FALSE(session.hasLibrary());
    EXPECT_TRUE(session.refusesToWrite());
}

TEST_F(LibrarySessionTest, CopyingInAddsOnlyWhatTheRuleAllowsAndMarksOnlyThat) {
    LibrarySession session(Policy::anyFile);
    session.startEmpty();
    const Component dip(makeEntry("DIP14"));

    EXPECT_EQ(session.copyIn(dip, 200, names), CopyVerdict::full);
    EXPECT_EQ(session.library()->size(), 0U);
    EXPECT_FALSE(session.modified());

    EXPECT_EQ(session.copyIn(dip, 0, names), CopyVerdict::allowed);
    EXPECT_TRUE(session.modified());
    EXPECT_NE(session.library()->findByName("DIP14"), &dip) << "a copy, not the original";

    session.startEmpty();
    session.copyIn(dip, 0, names);
    session.save();  // no path: stays changed
    EXPECT_EQ(session.copyIn(dip, 1, names), CopyVerdict::duplicate);
    EXPECT_EQ(session.library()->size(), 1U);
    EXPECT_EQ(names.names, (std::vector<std::string>{"DIP14", "DIP14"}));
}

struct FileNameCase {
    const char* path;
    const char* expected;
};

class LibrarySessionFileName : public testing::TestWithParam<FileNameCase> {};

TEST_P(LibrarySessionFileName, IsTheLastPartWithLibAddedWhenThereIsNoExtension) {
    LibrarySession session(Policy::anyFile);
    session.setPath(GetParam().path);
    EXPECT_EQ(session.fileName(), GetParam().expected);
    EXPECT_EQ(session.path(), GetParam().path) << "the path itself keeps what was chosen";
}

INSTANTIATE_TEST_SUITE_P(Cases, LibrarySessionFileName,
                         testing::Values(FileNameCase{"/libs/MYLIB.LIB", "MYLIB.LIB"},
                                         FileNameCase{"/libs/mylib", "mylib.LIB"},
                                         FileNameCase{"/libs.d/mylib", "mylib.LIB"},
                                         FileNameCase{"/libs/a.b.c", "a.b.c"},
                                         FileNameCase{"BARE", "BARE.LIB"}, FileNameCase{"", ""}));
