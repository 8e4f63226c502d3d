#include "samples_directory.h"
#include "window_fixture.h"

#include <QApplication>

namespace fs = std::filesystem;

namespace {

const QString kSourceQuestion = "Source library has changed.\n\nSave it?";

}  // namespace

TEST_F(WindowTest, LocateListsTheLibrariesOfTheDirectorySortedWhateverTheirNames) {
    writeLibrary(folder / "b.LIB", {"X"});
    writeLibrary(folder / "A.dat", {"X"});
    writeLibrary(folder / ".hidden", {"X"});
    writeLibrary(folder / "zz", {"X"});
    writeFileBytes(folder / "notes.LIB", std::vector<std::uint8_t>(64, 'x'));
    writeFileBytes(folder / "empty.LIB", {});
    auto header = readFileBytes(folder / "b.LIB");
    header.resize(15);
    writeFileBytes(folder / "short.LIB", header);
    fs::create_directory(folder / "DIR.LIB");
    writeLibrary(folder / "DIR.LIB" / "inner.LIB", {"X"});

    locate(folder.path());

    EXPECT_EQ(list("fileList")->texts(), QStringList({".hidden", "A.dat", "b.LIB", "zz"}));
    EXPECT_EQ(window->sourceDirectory(), toQString(folder.path()) + "/");
    EXPECT_EQ(list("fileList")->selectedRow(), -1);
}

TEST_F(WindowTest, LocateStartsInTheSamplesAndThenWhereTheUserLastLocated) {
    fs::create_directory(folder / "one");
    locate(folder / "one");
    locate(folder.path());
    EXPECT_EQ(dialogs.directoryStarts,
              QStringList({samplesDirectory(), toQString(folder / "one") + "/"}));
}

TEST_F(WindowTest, CancelledLocateKeepsTheFileList) {
    writeLibrary(folder / "A.LIB", {"X"});
    locate(folder.path());
    dialogs.files = {QString()};
    click("locateButton");
    EXPECT_EQ(list("fileList")->texts(), QStringList({"A.LIB"}));
}

TEST_F(WindowTest, ADirectoryWithoutLibrariesShowsThePlaceholderWhichOpensAnEmptyLibrary) {
    writeLibrary(folder / "A.LIB", {"ONE", "TWO"});
    fs::create_directory(folder / "none");
    writeFileBytes(folder / "none" / "readme.txt", std::vector<std::uint8_t>(20, 'r'));
    locate(folder.path());
    openFile("A.LIB");
    choose("sourceList", "ONE");
    click("deleteSourceButton");

    locate(folder / "none");
    EXPECT_EQ(list("fileList")->texts(), QStringList({"NO LIB FILES FOUND!"}));
    EXPECT_EQ(list("sourceList")->texts(), QStringList({"TWO"})) << "locating asks nothing";
    EXPECT_TRUE(window->sourceModified());

    dialogs.answers = {false};
    openFile("NO LIB FILES FOUND!");
    EXPECT_EQ(dialogs.questions, QStringList({kSourceQuestion}));
    EXPECT_EQ(list("sourceList")->count(), 0);
    EXPECT_EQ(window->shownComponent(), nullptr);
    EXPECT_TRUE(button("updateButton")->isEnabled());
    EXPECT_FALSE(window->sourceModified());
    EXPECT_EQ(namesInLibrary(folder / "A.LIB"), (std::vector<std::string>{"ONE", "TWO"}));

    // The placeholder names no file: a library given its text after the scan is not read.
    locate(folder / "none");
    writeLibrary(folder / "none" / "NO LIB FILES FOUND!", {"LATE"});
    openFile("NO LIB FILES FOUND!");
    EXPECT_EQ(list("sourceList")->count(), 0);
}

TEST_F(WindowTest, OpeningAFileListsItsComponentsSortedWithoutSelection) {
    writeLibrary(folder / "A.LIB", {"beta", "ALPHA", "Gamma", "delta"});
    locate(folder.path());
    openFile("A.LIB");
    EXPECT_EQ(window->sourcePath(), toQString(folder / "A.LIB"));
    EXPECT_EQ(list("sourceList")->texts(), QStringList({"ALPHA", "beta", "delta", "Gamma"}));
    EXPECT_EQ(list("sourceList")->selectedRow(), -1);
    EXPECT_EQ(window->shownComponent(), nullptr);
    EXPECT_FALSE(window->sourceModified());
}

TEST_F(WindowTest, SelectingAComponentShowsItAndFocusesTheList) {
    writeLibrary(folder / "A.LIB", {"ONE", "TWO"});
    locate(folder.path());
    openFile("A.LIB");
    choose("sourceList", "TWO");
    EXPECT_EQ(shownName(), "TWO");
    EXPECT_EQ(QApplication::focusWidget(), list("sourceList"));
    QTest::keyClick(list("sourceList"), Qt::Key_Up);
    EXPECT_EQ(shownName(), "ONE") << "the arrow keys show each component in turn";
}

TEST_F(WindowTest, NamesWithCodesAbove127AreFoundByTheirListText) {
    const std::string name = "R\xE9SIST\xFF";
    writeLibrary(folder / "A.LIB", {name, "PLAIN"});
    locate(folder.path());
    openFile("A.LIB");
    const QString shown = QString::fromLatin1(name);
    EXPECT_TRUE(list("sourceList")->texts().contains(shown));
    choose("sourceList", shown);
    EXPECT_EQ(shownName(), shown);
    click("copyButton");
    EXPECT_EQ(list("destinationList")->texts(), QStringList({shown}));
}

namespace {

struct DeletionCase {
    const char* name;
    QString deleted;
    QString selectedAfter;  // empty: nothing selected
};

}  // namespace

class SourceDeletion : public WindowTest, public testing::WithParamInterface<DeletionCase> {};

TEST_P(SourceDeletion, SelectsAndShowsTheFollowingEntry) {
    writeLibrary(folder / "A.LIB", {"A1", "B2", "C3"});
    locate(folder.path());
    openFile("A.LIB");
    choose("sourceList", GetParam().deleted);
    click("deleteSourceButton");

    const QString after = GetParam().selectedAfter;
    EXPECT_EQ(list("sourceList")->selectedText(), after);
    EXPECT_EQ(shownName(), after) << "the removed component is never shown";
    EXPECT_FALSE(list("sourceList")->texts().contains(GetParam().deleted));
    EXPECT_EQ(text("sourceCountField"), "2");
    EXPECT_TRUE(window->sourceModified());
    EXPECT_EQ(window->sourceLibrary()->size(), 2u);
    EXPECT_EQ(button("deleteSourceButton")->isEnabled(), !after.isEmpty());
    EXPECT_EQ(button("copyButton")->isEnabled(), !after.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(WindowTest, SourceDeletion,
                         testing::Values(DeletionCase{"First", "A1", "B2"},
                                         DeletionCase{"Middle", "B2", "C3"},
                                         DeletionCase{"Last", "C3", {}}),
                         [](const auto& row) { return std::string(row.param.name); });

class SwitchingFiles : public WindowTest, public testing::WithParamInterface<bool> {};

TEST_P(SwitchingFiles, AsksTheSourceQuestionAndObeysIt) {
    const bool save = GetParam();
    writeLibrary(folder / "A.LIB", {"ONE", "TWO"});
    writeLibrary(folder / "B.LIB", {"THREE"});
    locate(folder.path());
    openFile("A.LIB");
    choose("sourceList", "ONE");
    click("deleteSourceButton");

    dialogs.answers = {save};
    openFile("B.LIB");

    EXPECT_EQ(dialogs.questions, QStringList({kSourceQuestion}));
    const std::vector<std::string> expected =
        save ? std::vector<std::string>{"TWO"} : std::vector<std::string>{"ONE", "TWO"};
    EXPECT_EQ(namesInLibrary(folder / "A.LIB"), expected);
    EXPECT_EQ(list("sourceList")->texts(), QStringList({"THREE"}));
    EXPECT_EQ(window->sourcePath(), toQString(folder / "B.LIB"));
    EXPECT_FALSE(window->sourceModified());
    EXPECT_EQ(window->shownComponent(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(WindowTest, SwitchingFiles, testing::Bool());

TEST_F(WindowTest, UpdateLibraryWritesTheSourceBackToItsOwnFile) {
    writeLibrary(folder / "A.LIB", {"ONE", "TWO", "THREE"});
    fs::create_directory(folder / "other");
    writeLibrary(folder / "other" / "B.LIB", {"X"});
    locate(folder.path());
    openFile("A.LIB");
    choose("sourceList", "TWO");
    click("deleteSourceButton");
    locate(folder / "other");  // changes neither the source library nor its path

    click("updateButton");
    EXPECT_FALSE(window->sourceModified());
    EXPECT_EQ(namesInLibrary(folder / "A.LIB"), (std::vector<std::string>{"ONE", "THREE"}));
    EXPECT_EQ(namesInLibrary(folder / "other" / "B.LIB"), std::vector<std::string>{"X"});
}

TEST_F(WindowTest, AFailedUpdateIsReportedAndTheSourceStaysChanged) {
    writeLibrary(folder / "A.LIB", {"ONE", "TWO"});
    locate(folder.path());
    openFile("A.LIB");
    choose("sourceList", "ONE");
    click("deleteSourceButton");
    fs::remove(folder / "A.LIB");
    fs::create_directory(folder / "A.LIB");

    click("updateButton");
    ASSERT_EQ(dialogs.failures.size(), 1);
    EXPECT_TRUE(dialogs.failures.first().contains("A.LIB"))
        << dialogs.failures.first().toStdString();
    EXPECT_TRUE(window->sourceModified());
}

// "Update Library" must not create a file for the placeholder entry, nor replace a listed file
// that no longer reads as a library by an empty library.
TEST_F(WindowTest, UpdateWritesOnlyOverALibraryItRead) {
    fs::create_directory(folder / "none");
    locate(folder / "none");
    openFile("NO LIB FILES FOUND!");
    click("updateButton");
    EXPECT_FALSE(fs::exists(folder / "none" / "NO LIB FILES FOUND!"));
    EXPECT_EQ(dialogs.failures.size(), 1);

    writeLibrary(folder / "A.LIB", {"ONE"});
    locate(folder.path());
    const std::vector<std::uint8_t> notes(64, 'x');
    writeFileBytes(folder / "A.LIB", notes);  // replaced after the scan listed it
    openFile("A.LIB");
    click("updateButton");
    EXPECT_EQ(readFileBytes(folder / "A.LIB"), notes);
    EXPECT_EQ(dialogs.failures.size(), 2);
}

// A name that is not valid UTF-8 showed as U+FFFD and the file spelled with U+FFFD was opened
// and updated instead; such names must show apart and each open its own file.
TEST_F(WindowTest, FilesWhoseNamesDecodeAlikeShowApartAndOpenOnlyTheirOwnFiles) {
    const std::vector<std::pair<std::string, std::string>> files = {
        {"LIB\xE9.LIB", "LATIN"}, {"LIB\xE8.LIB", "OTHER"}, {"LIB\xEF\xBF\xBD.LIB", "UTF8"}};
    for (const auto& [name, component] : files) writeLibrary(folder / name, {component, "KEEP"});
    locate(folder.path());
    SortedListBox* fileList = list("fileList");
    ASSERT_EQ(fileList->count(), 3);
    EXPECT_EQ(fileList->texts(), QStringList({"LIB\\xE8.LIB", "LIB\\xE9.LIB",
                                              QString::fromUtf8("LIB\xEF\xBF\xBD.LIB")}));
    EXPECT_EQ(fileList->item(0)->toolTip(),
              toQString(folder.path()) + QStringLiteral("/LIB\\xE8.LIB"));

    std::vector<bool> seen(files.size(), false);
    for (int row = 0; row < fileList->count(); ++row) {
        std::vector<std::vector<std::uint8_t>> before;
        for (const auto& file : files) before.push_back(readFileBytes(folder / file.first));
        fileList->setCurrentRow(row);
        settle();
        std::size_t opened = files.size();
        for (std::size_t i = 0; i < files.size(); ++i) {
            if (list("sourceList")->texts().contains(QString::fromStdString(files[i].second))) {
                opened = i;
            }
        }
        ASSERT_LT(opened, files.size()) << "row " << row << " opened none of the files";
        EXPECT_FALSE(seen[opened]) << files[opened].second << " opened twice";
        seen[opened] = true;

        choose("sourceList", QString::fromStdString(files[opened].second));
        click("deleteSourceButton");
        click("updateButton");
        EXPECT_TRUE(dialogs.questions.isEmpty());
        for (std::size_t i = 0; i < files.size(); ++i) {
            if (i == opened) {
                EXPECT_EQ(namesInLibrary(folder / files[i].first),
                          std::vector<std::string>{"KEEP"});
            } else {
                EXPECT_EQ(readFileBytes(folder / files[i].first), before[i]) << files[i].second;
            }
        }
    }
    for (const auto& file : files) EXPECT_TRUE(fs::exists(folder / file.first));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 3)
        << "no file under a lossy name";
}
