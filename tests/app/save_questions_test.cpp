#include "library_lock.h"
#include "refused_attributes.h"
#include "window_fixture.h"

#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

QString existsQuestion(const QString& name) {
    return name + QStringLiteral(" already exists.\n\nReplace it?");
}
QString notLibraryQuestion(const QString& name) {
    return name +
           QStringLiteral(" is not a library file.\n\nReplace it with the destination library?");
}
QString changedQuestion(const QString& name) {
    return name +
           QStringLiteral(" was changed by another program since it was opened.\n\nReplace it?");
}
const QString kSourceQuestion = "Source library has changed.\n\nSave it?";
const QString kDestinationQuestion = "Destination library has changed.\n\nSave it?";

std::vector<std::string> twelveNames() {
    std::vector<std::string> names;
    for (int i = 1; i <= 12; ++i) names.push_back("IC" + std::to_string(i));
    return names;
}

void makeReadOnly(const fs::path& path) {
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
}

}  // namespace

/// A window whose source library A.LIB (holding ONE and TWO) is open, with ONE copied into the
/// destination, beside a 12-component IC.LIB and a text file.
class SaveQuestionTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        writeLibrary(folder / "A.LIB", {"ONE", "TWO"});
        writeLibrary(folder / "IC.LIB", twelveNames());
        writeFileBytes(folder / "notes.txt", notes);
        locate(folder.path());
        openFile("A.LIB");
        copy("ONE");
    }

    void copy(const QString& name) {
        choose("sourceList", name);
        click("copyButton");
    }

    /// Changes A.LIB as another program would, after the window opened it.
    void changeSourceBehindTheWindow() {
        choose("sourceList", "ONE");
        click("deleteSourceButton");
        writeLibrary(folder / "A.LIB", {"ONE", "TWO", "THEIRS"});
    }

    const std::vector<std::uint8_t> notes = std::vector<std::uint8_t>(64, 'n');
};

struct ExistingFileCase {
    const char* name;
    const char* file;
    QString (*question)(const QString&);
};

class SaveDialogOnAnExistingFile : public SaveQuestionTest,
                                   public testing::WithParamInterface<ExistingFileCase> {};

// Picking an existing file in the save dialog used to replace it without a word.
TEST_P(SaveDialogOnAnExistingFile, AsksAndNoWritesNothingAndAsksForAFileAgain) {
    const fs::path target = folder / GetParam().file;
    const auto before = readFileBytes(target);
    dialogs.files = {toQString(target)};
    dialogs.answers = {false};
    QString fieldWhileAsking = QStringLiteral("not asked");
    dialogs.whileAsking = [&] { fieldWhileAsking = text("destinationNameField"); };
    click("saveButton");
    EXPECT_EQ(dialogs.questions, QStringList({GetParam().question(GetParam().file)}));
    EXPECT_EQ(dialogs.defaultNoQuestions, dialogs.questions) << "Enter alone must not replace";
    EXPECT_EQ(readFileBytes(target), before);
    EXPECT_TRUE(window->destinationModified());
    EXPECT_EQ(fieldWhileAsking, "") << "not saved as that file yet";
    EXPECT_EQ(text("destinationNameField"), "");

    dialogs.files = {QString()};  // the next save offers the dialog again
    click("saveButton");
    EXPECT_EQ(readFileBytes(target), before);
}

TEST_P(SaveDialogOnAnExistingFile, YesReplacesItAndLaterSavesWriteAtOnce) {
    const fs::path target = folder / GetParam().file;
    dialogs.files = {toQString(target)};
    dialogs.answers = {true};
    click("saveButton");
    EXPECT_EQ(dialogs.questions.size(), 1);
    EXPECT_EQ(namesInLibrary(target), std::vector<std::string>{"ONE"});
    EXPECT_FALSE(window->destinationModified());

    copy("TWO");
    click("saveButton");
    EXPECT_EQ(dialogs.questions.size(), 1) << "confirmed once for this file";
    EXPECT_EQ(namesInLibrary(target), (std::vector<std::string>{"ONE", "TWO"}));
}

// A failing write after Yes must leave the file and keep the library offered.
TEST_P(SaveDialogOnAnExistingFile, YesFollowedByAFailingWriteKeepsTheFileAndTheChange) {
    const fs::path target = folder / GetParam().file;
    makeReadOnly(target);
    const auto before = readFileBytes(target);
    dialogs.files = {toQString(target)};
    dialogs.answers = {true};
    click("saveButton");
    EXPECT_EQ(dialogs.questions.size(), 1);
    EXPECT_EQ(dialogs.failures.size(), 1);
    EXPECT_EQ(readFileBytes(target), before);
    EXPECT_TRUE(window->destinationModified());
}

INSTANTIATE_TEST_SUITE_P(WindowTest, SaveDialogOnAnExistingFile,
                         testing::Values(ExistingFileCase{"Library", "IC.LIB", existsQuestion},
                                         ExistingFileCase{"TextFile", "notes.txt",
                                                          notLibraryQuestion}),
                         [](const auto& row) { return std::string(row.param.name); });

class LoadedTextFile : public SaveQuestionTest, public testing::WithParamInterface<bool> {};

// "Load Library" on a text file gave an empty destination whose save replaced the text.
TEST_P(LoadedTextFile, IsReplacedOnlyAfterTheNotALibraryQuestion) {
    const bool yes = GetParam();
    dialogs.answers = {true};  // the copy would be dropped
    dialogs.files = {toQString(folder / "notes.txt")};
    click("loadButton");
    copy("TWO");
    dialogs.answers = {yes};
    click("saveButton");
    EXPECT_EQ(dialogs.questions.last(), notLibraryQuestion("notes.txt"));
    EXPECT_EQ(window->destinationModified(), !yes);
    if (!yes) {
        EXPECT_EQ(readFileBytes(folder / "notes.txt"), notes);
        EXPECT_EQ(text("destinationNameField"), "notes.txt") << "chosen by Load, so kept";
        return;
    }
    EXPECT_EQ(namesInLibrary(folder / "notes.txt"), std::vector<std::string>{"TWO"});
    copy("ONE");
    click("saveButton");
    EXPECT_EQ(dialogs.questions.size(), 2) << "no question once replaced";
}

INSTANTIATE_TEST_SUITE_P(WindowTest, LoadedTextFile, testing::Bool());

TEST_F(SaveQuestionTest, LoadedTextFileYesFollowedByAFailingWriteKeepsTheText) {
    makeReadOnly(folder / "notes.txt");
    dialogs.answers = {true};
    dialogs.files = {toQString(folder / "notes.txt")};
    click("loadButton");
    copy("TWO");
    dialogs.answers = {true};
    click("saveButton");
    EXPECT_EQ(dialogs.questions.last(), notLibraryQuestion("notes.txt"));
    EXPECT_EQ(dialogs.failures.size(), 1);
    EXPECT_EQ(readFileBytes(folder / "notes.txt"), notes);
    EXPECT_TRUE(window->destinationModified());
}

struct ChangedCase {
    const char* name;
    bool source;  // "Update Library" of A.LIB, or "Save Library File" of D.LIB
    bool yes;
    bool readOnly;  // the write after Yes fails
};

class ChangedOnDisk : public SaveQuestionTest, public testing::WithParamInterface<ChangedCase> {};

// Another program's change to the file was overwritten silently.
TEST_P(ChangedOnDisk, IsReplacedOnlyAfterTheQuestion) {
    const ChangedCase& c = GetParam();
    const fs::path target = folder / (c.source ? "A.LIB" : "D.LIB");
    if (c.source) {
        changeSourceBehindTheWindow();
    } else {
        writeLibrary(target, {"OLD"});
        dialogs.answers = {true};
        dialogs.files = {toQString(target)};
        click("loadButton");
        copy("TWO");
        writeLibrary(target, {"OLD", "THEIRS"});
    }
    if (c.readOnly) makeReadOnly(target);
    const auto theirs = readFileBytes(target);

    dialogs.answers.push_back(c.yes);
    click(c.source ? "updateButton" : "saveButton");
    EXPECT_EQ(dialogs.questions.last(), changedQuestion(c.source ? "A.LIB" : "D.LIB"));
    EXPECT_EQ(dialogs.defaultNoQuestions.last(), dialogs.questions.last());
    const bool written = c.yes && !c.readOnly;
    EXPECT_EQ(dialogs.failures.size(), c.yes && c.readOnly ? 1 : 0);
    EXPECT_EQ(c.source ? window->sourceModified() : window->destinationModified(), !written);
    if (!written) {
        EXPECT_EQ(readFileBytes(target), theirs);
        return;
    }
    const std::vector<std::string> expected =
        c.source ? std::vector<std::string>{"TWO"} : std::vector<std::string>{"OLD", "TWO"};
    EXPECT_EQ(namesInLibrary(target), expected);
    const qsizetype asked = dialogs.questions.size();
    click(c.source ? "updateButton" : "saveButton");
    EXPECT_EQ(dialogs.questions.size(), asked) << "written by the window, so no question";
}

INSTANTIATE_TEST_SUITE_P(WindowTest, ChangedOnDisk,
                         testing::Values(ChangedCase{"SourceNo", true, false, false},
                                         ChangedCase{"SourceYes", true, true, false},
                                         ChangedCase{"SourceYesFailing", true, true, true},
                                         ChangedCase{"DestinationNo", false, false, false},
                                         ChangedCase{"DestinationYes", false, true, false},
                                         ChangedCase{"DestinationYesFailing", false, true, true}),
                         [](const auto& row) { return std::string(row.param.name); });

// Once the window has written the file, "since it was opened" would be wrong about what changed.
TEST_F(SaveQuestionTest, AChangeAfterTheWindowsOwnSaveIsNamedAsSinceItWasLastSaved) {
    const fs::path target = folder / "D.LIB";
    dialogs.files = {toQString(target)};
    click("saveButton");
    EXPECT_TRUE(dialogs.questions.isEmpty());
    EXPECT_EQ(text("destinationNameField"), "D.LIB");
    writeLibrary(target, {"THEIRS"});
    copy("TWO");
    dialogs.answers = {false};
    click("saveButton");
    EXPECT_EQ(dialogs.questions,
              QStringList({"D.LIB was changed by another program since it was last "
                           "saved.\n\nReplace it?"}));
    EXPECT_EQ(namesInLibrary(target), std::vector<std::string>{"THEIRS"});
}

TEST_F(SaveQuestionTest, AFileRemovedSinceOpeningIsWrittenAgainWithoutAQuestion) {
    choose("sourceList", "ONE");
    click("deleteSourceButton");
    fs::remove(folder / "A.LIB");
    click("updateButton");
    EXPECT_TRUE(dialogs.questions.isEmpty());
    EXPECT_EQ(namesInLibrary(folder / "A.LIB"), std::vector<std::string>{"TWO"});
}

// Yes to a closing or switching question goes through the same questions as the buttons.
TEST_F(SaveQuestionTest, SwitchingFilesAsksBeforeReplacingAChangedSource) {
    writeLibrary(folder / "B.LIB", {"THREE"});
    locate(folder.path());
    changeSourceBehindTheWindow();
    const auto theirs = readFileBytes(folder / "A.LIB");
    dialogs.answers = {true, false};
    openFile("B.LIB");
    EXPECT_EQ(dialogs.questions, QStringList({kSourceQuestion, changedQuestion("A.LIB")}));
    EXPECT_EQ(readFileBytes(folder / "A.LIB"), theirs);
    EXPECT_EQ(list("sourceList")->texts(), QStringList({"THREE"}));
}

TEST_F(SaveQuestionTest, ClosingRetriesAFailedReplaceUntilTheUserGivesUp) {
    makeReadOnly(folder / "IC.LIB");
    const auto before = readFileBytes(folder / "IC.LIB");
    dialogs.answers = {true, true, false};
    dialogs.files = {toQString(folder / "IC.LIB")};
    click("closeButton");
    EXPECT_EQ(dialogs.questions,
              QStringList({kDestinationQuestion, existsQuestion("IC.LIB"), kDestinationQuestion}));
    EXPECT_EQ(dialogs.failures.size(), 1);
    EXPECT_EQ(readFileBytes(folder / "IC.LIB"), before);
}

// While another program writes the file, Update asks whether to try again; No writes nothing and
// keeps the change offered.
TEST_F(SaveQuestionTest, AFileAnotherProgramIsWritingAsksToTryAgain) {
    choose("sourceList", "ONE");
    click("deleteSourceButton");
    LockResult held = LibraryLock::acquire({(folder / "A.LIB").string()}, {});
    ASSERT_TRUE(held);
    dialogs.answers = {false};
    click("updateButton");
    EXPECT_EQ(dialogs.questions, QStringList({"Another program is writing A.LIB.\n\nTry again?"}));
    EXPECT_TRUE(dialogs.failures.empty()) << dialogs.failures.join("|").toStdString();
    EXPECT_EQ(namesInLibrary(folder / "A.LIB"), (std::vector<std::string>{"ONE", "TWO"}));
    EXPECT_TRUE(window->sourceModified());

    held.lock.reset();
    click("updateButton");
    EXPECT_EQ(dialogs.questions.size(), 1);
    EXPECT_EQ(namesInLibrary(folder / "A.LIB"), std::vector<std::string>{"TWO"});
}

// The save succeeded without a user attribute of the old file, and the window said nothing.
TEST_F(SaveQuestionTest, ASaveThatCouldNotKeepAnAttributeSaysSoAfterSaving) {
    if (!giveLargeAttribute(folder / "A.LIB")) GTEST_SKIP() << "no user attributes here";
    const RefusedAttributes refused;
    click("updateButton");
    if (!RefusedAttributes::filled()) GTEST_SKIP() << "no limit to a file's attributes here";
    EXPECT_TRUE(dialogs.failures.isEmpty());
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].startsWith("A.LIB was saved.\n\n" +
                                               toQString(folder / "A.LIB") +
                                               ": the new file lacks the extended attribute "))
        << dialogs.messages[0].toStdString();
    EXPECT_TRUE(dialogs.messages[0].contains("user.large")) << dialogs.messages[0].toStdString();
    EXPECT_FALSE(window->sourceModified());
}
