#include "library_session.h"

#include "component.h"
#include "library.h"
#include "library_file_builder.h"
#include "primitive_factory.h"
#include "staged_writes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
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
        EXPECT_EQ(result.path, pathOf(name)) << result.reason;
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
    std::vector<std::string> many;
    for (int i = 0; i < 200; ++i) many.push_back("C" + std::to_string(i));
    writeLibrary(folder / "FULL.LIB", many);
    LibrarySession session(Policy::anyFile);
    ASSERT_TRUE(session.open(pathOf("FULL.LIB"), names));
    const Component dip(makeEntry("DIP14"));
    EXPECT_TRUE(session.full());
    EXPECT_EQ(session.copyIn(dip, names), CopyVerdict::full);
    EXPECT_EQ(session.library()->size(), 200U);
    EXPECT_FALSE(session.modified());

    session.startEmpty();
    names.clear();
    EXPECT_FALSE(session.full());
    EXPECT_EQ(session.copyIn(dip, names), CopyVerdict::allowed);
    EXPECT_TRUE(session.modified());
    EXPECT_NE(session.library()->findByName("DIP14"), &dip) << "a copy, not the original";

    session.startEmpty();
    session.copyIn(dip, names);
    session.save();  // no path: stays changed
    EXPECT_EQ(session.copyIn(dip, names), CopyVerdict::duplicate);
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

namespace {

using Question = LibrarySession::SaveQuestion;

/// Rewrites `path` with the same size and modification time but other bytes, as a program that
/// restores the time after writing would.
void changeKeepingSizeAndTime(const fs::path& path) {
    const auto time = fs::last_write_time(path);
    auto bytes = readFileBytes(path);
    bytes.back() ^= 0xFF;
    writeFileBytes(path, bytes);
    fs::last_write_time(path, time);
}

struct QuestionCase {
    const char* name;
    /// Puts the session and its file in the state to test, in `folder`.
    void (*arrange)(LibrarySession& session, const fs::path& folder, PlainNameList& names);
    Question expected;
};

void openLibrary(LibrarySession& session, const fs::path& folder, PlainNameList& names) {
    writeLibrary(folder / "D.LIB", {"ONE"});
    session.open((folder / "D.LIB").string(), names);
}

const QuestionCase kQuestionCases[] = {
    {"NewFile",
     [](LibrarySession& session, const fs::path& folder, PlainNameList& names) {
         session.open((folder / "D.LIB").string(), names);
     },
     Question::none},
    {"ChosenLibrary",
     [](LibrarySession& session, const fs::path& folder, PlainNameList&) {
         writeLibrary(folder / "D.LIB", {"ONE"});
         session.setPath((folder / "D.LIB").string());
     },
     Question::replaceExisting},
    {"ChosenTextFile",
     [](LibrarySession& session, const fs::path& folder, PlainNameList&) {
         writeFileBytes(folder / "D.LIB", std::vector<std::uint8_t>(40, 't'));
         session.setPath((folder / "D.LIB").string());
     },
     Question::replaceNonLibrary},
    {"LoadedTextFile",
     [](LibrarySession& session, const fs::path& folder, PlainNameList& names) {
         writeFileBytes(folder / "D.LIB", std::vector<std::uint8_t>(40, 't'));
         session.open((folder / "D.LIB").string(), names);
     },
     Question::replaceNonLibrary},
    {"CreatedByAnotherProgramAfterOpening",
     [](LibrarySession& session, const fs::path& folder, PlainNameList& names) {
         session.open((folder / "D.LIB").string(), names);
         writeLibrary(folder / "D.LIB", {"OTHER"});
     },
     Question::replaceExisting},
    {"OpenedUnchanged", openLibrary, Question::none},
    {"OpenedThenRewritten",
     [](LibrarySession& session, const fs::path& folder, PlainNameList& names) {
         openLibrary(session, folder, names);
         writeLibrary(folder / "D.LIB", {"ONE", "TWO"});
     },
     Question::changedOnDisk},
    {"OpenedThenChangedKeepingSizeAndTime",
     [](LibrarySession& session, const fs::path& folder, PlainNameList& names) {
         openLibrary(session, folder, names);
         changeKeepingSizeAndTime(folder / "D.LIB");
     },
     Question::changedOnDisk},
    {"OpenedThenTouched",
     [](LibrarySession& session, const fs::path& folder, PlainNameList& names) {
         openLibrary(session, folder, names);
         fs::last_write_time(folder / "D.LIB",
                             fs::last_write_time(folder / "D.LIB") + std::chrono::seconds(5));
     },
     Question::changedOnDisk},
    {"OpenedThenRemoved",
     [](LibrarySession& session, const fs::path& folder, PlainNameList& names) {
         openLibrary(session, folder, names);
         fs::remove(folder / "D.LIB");
     },
     Question::none},
    {"OpenedThenAFolderInTheWay",
     [](LibrarySession& session, const fs::path& folder, PlainNameList& names) {
         openLibrary(session, folder, names);
         fs::remove(folder / "D.LIB");
         fs::create_directory(folder / "D.LIB");
     },
     Question::none},
    {"SavedUnchanged",
     [](LibrarySession& session, const fs::path& folder, PlainNameList& names) {
         session.open((folder / "D.LIB").string(), names);
         session.clear();
         session.save();
     },
     Question::none},
    {"SavedThenChanged",
     [](LibrarySession& session, const fs::path& folder, PlainNameList& names) {
         session.open((folder / "D.LIB").string(), names);
         session.clear();
         session.save();
         changeKeepingSizeAndTime(folder / "D.LIB");
     },
     Question::changedOnDisk},
    {"AllowedThenUnchanged",
     [](LibrarySession& session, const fs::path& folder, PlainNameList&) {
         writeLibrary(folder / "D.LIB", {"ONE"});
         session.setPath((folder / "D.LIB").string());
         session.questionBeforeSave();
         session.allowReplacing();
     },
     Question::none},
    {"AllowedThenChangedAgain",
     [](LibrarySession& session, const fs::path& folder, PlainNameList&) {
         writeFileBytes(folder / "D.LIB", std::vector<std::uint8_t>(40, 't'));
         session.setPath((folder / "D.LIB").string());
         session.questionBeforeSave();
         session.allowReplacing();
         writeFileBytes(folder / "D.LIB", std::vector<std::uint8_t>(41, 't'));
     },
     Question::changedOnDisk},
    {"OpenedThenAnotherFileChosen",
     [](LibrarySession& session, const fs::path& folder, PlainNameList& names) {
         openLibrary(session, folder, names);
         writeLibrary(folder / "E.LIB", {"ONE"});
         session.setPath((folder / "E.LIB").string());
     },
     Question::replaceExisting},
};

class LibrarySessionQuestion : public testing::TestWithParam<QuestionCase> {
protected:
    TemporaryDirectory folder;
    PlainNameList names;
};

}  // namespace

TEST_P(LibrarySessionQuestion, AsksOnlyAboutAFileThatIsNotKnownAsItIsNow) {
    LibrarySession session(Policy::anyFile);
    session.startEmpty();
    GetParam().arrange(session, folder.path(), names);
    EXPECT_EQ(session.questionBeforeSave(), GetParam().expected);
}

// Whatever the window does, a save never writes over a file the user has not agreed to.
TEST_P(LibrarySessionQuestion, ASaveWritesOverNothingThatWouldBeAsked) {
    LibrarySession session(Policy::anyFile);
    session.startEmpty();
    GetParam().arrange(session, folder.path(), names);
    session.clear();
    const fs::path file = fs::path(session.path());
    std::error_code error;
    const bool wasFile = fs::is_regular_file(file, error);
    const auto before = wasFile ? readFileBytes(file) : std::vector<std::uint8_t>{};

    const Question question = session.questionBeforeSave();
    const SaveResult result = session.save();
    if (question == Question::none) {
        // Where a folder is in the way the save fails, with a reason of its own.
        EXPECT_EQ(static_cast<bool>(result), !fs::is_directory(file)) << result.reason;
        return;
    }
    EXPECT_FALSE(result);
    EXPECT_EQ(result.path, file.string()) << result.reason;
    EXPECT_TRUE(session.modified());
    EXPECT_EQ(readFileBytes(file), before);

    session.questionBeforeSave();
    session.allowReplacing();
    const SaveResult agreed = session.save();
    ASSERT_TRUE(agreed) << agreed.reason;
    EXPECT_TRUE(namesInLibrary(file).empty());
    EXPECT_EQ(session.questionBeforeSave(), Question::none) << "written, so known as it is";
}

INSTANTIATE_TEST_SUITE_P(Cases, LibrarySessionQuestion, testing::ValuesIn(kQuestionCases),
                         [](const auto& row) { return std::string(row.param.name); });

// The answer covers the file as it was when asked, not a change made while the box was open.
TEST_F(LibrarySessionTest, AgreementCoversOnlyTheFileAsItWasWhenAsked) {
    writeLibrary(folder / "D.LIB", {"ONE"});
    LibrarySession session(Policy::anyFile);
    session.startEmpty();
    session.setPath(pathOf("D.LIB"));
    ASSERT_EQ(session.questionBeforeSave(), Question::replaceExisting);
    writeLibrary(folder / "D.LIB", {"ONE", "LATE"});
    const auto late = readFileBytes(folder / "D.LIB");
    session.allowReplacing();
    EXPECT_FALSE(session.save());
    EXPECT_EQ(readFileBytes(folder / "D.LIB"), late);
}

// A new path must not inherit the right to write over the old file's name.
TEST_F(LibrarySessionTest, ChoosingAnotherPathDropsTheRightToWriteOverARead) {
    writeLibrary(folder / "A.LIB", {"ONE"});
    LibrarySession session(Policy::onlyOverLibraryFile);
    session.open(pathOf("A.LIB"), names);
    session.setPath(pathOf("B.LIB"));
    EXPECT_TRUE(session.refusesToWrite());
}

namespace {

std::string renamedOverTarget;
const std::vector<std::uint8_t> kNotes = {'n', 'o', 't', 'e', 's', '\n'};

/// Puts a text file where the library is as the save creates its temporary, as a program that
/// does not take the lock (`mv`) might.
void putTextFileOverTarget(const std::string&) {
    const fs::path text = fs::path(renamedOverTarget).parent_path() / "notes.txt";
    writeFileBytes(text, kNotes);
    fs::rename(text, renamedOverTarget);
}

}  // namespace

// Two writers of one file take turns: while one holds the lock the other's save waits and then
// fails as busy, writing nothing.
TEST_F(LibrarySessionTest, ASaveWaitsForTheLockAndFailsAsBusy) {
    writeLibrary(folder / "D.LIB", {"ONE"});
    LibrarySession first(Policy::onlyOverLibraryFile);
    LibrarySession second(Policy::onlyOverLibraryFile);
    first.open(pathOf("D.LIB"), names);
    second.open(pathOf("D.LIB"), names);
    ASSERT_TRUE(first.lockForWriting(std::chrono::milliseconds(0)));
    second.remove(second.library()->findByName("ONE"));

    const SessionSave busy = second.save(std::chrono::milliseconds(20));
    EXPECT_FALSE(busy);
    EXPECT_TRUE(busy.busy);
    EXPECT_EQ(busy.reason, "another program is writing it (waited 0.02 s)");
    EXPECT_EQ(namesInLibrary(folder / "D.LIB"), std::vector<std::string>{"ONE"});

    first.unlock();
    EXPECT_TRUE(second.save(std::chrono::milliseconds(0)));
    EXPECT_TRUE(namesInLibrary(folder / "D.LIB").empty());
}

// The last look at the file comes after the new bytes are ready, so a file put there while they
// were written is still refused rather than replaced.
TEST_F(LibrarySessionTest, AFilePutThereDuringTheSaveIsNotReplaced) {
    writeLibrary(folder / "D.LIB", {"ONE"});
    LibrarySession session(Policy::onlyOverLibraryFile);
    session.open(pathOf("D.LIB"), names);
    session.remove(session.library()->findByName("ONE"));
    renamedOverTarget = pathOf("D.LIB");
    setTemporaryCreationHook(putTextFileOverTarget);

    const SessionSave result = session.save();

    setTemporaryCreationHook(nullptr);
    EXPECT_FALSE(result);
    EXPECT_TRUE(result.changed);
    EXPECT_EQ(readFileBytes(folder / "D.LIB"), kNotes);
    EXPECT_EQ(sorted([&] {
                  std::vector<std::string> found;
                  for (const auto& entry : fs::directory_iterator(folder.path())) {
                      found.push_back(entry.path().filename().string());
                  }
                  return found;
              }()),
              std::vector<std::string>{"D.LIB"});
}

// A set is saved all or nothing: one library changed by someone else keeps every other as it was.
TEST_F(LibrarySessionTest, SavingTogetherWritesEveryLibraryOrNone) {
    writeLibrary(folder / "A.LIB", {"ONE"});
    writeLibrary(folder / "B.LIB", {"TWO"});
    LibrarySession a(Policy::onlyOverLibraryFile);
    LibrarySession b(Policy::onlyOverLibraryFile);
    a.open(pathOf("A.LIB"), names);
    b.open(pathOf("B.LIB"), names);
    a.remove(a.library()->findByName("ONE"));
    b.remove(b.library()->findByName("TWO"));
    writeLibrary(folder / "B.LIB", {"TWO", "OUTSIDE"});

    const SessionSave refused = LibrarySession::saveTogether({&a, &b});
    EXPECT_FALSE(refused);
    EXPECT_TRUE(refused.changed);
    EXPECT_EQ(refused.path, pathOf("B.LIB"));
    EXPECT_EQ(namesInLibrary(folder / "A.LIB"), std::vector<std::string>{"ONE"});
    EXPECT_TRUE(a.modified());

    b.open(pathOf("B.LIB"), names);
    b.remove(b.library()->findByName("OUTSIDE"));
    ASSERT_TRUE(LibrarySession::saveTogether({&a, &b}));
    EXPECT_TRUE(namesInLibrary(folder / "A.LIB").empty());
    EXPECT_EQ(namesInLibrary(folder / "B.LIB"), std::vector<std::string>{"TWO"});
    EXPECT_FALSE(a.modified() || b.modified());
}
