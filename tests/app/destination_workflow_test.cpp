#include "component.h"
#include "library.h"
#include "library_format.h"
#include "primitive_factory.h"
#include "status_light.h"
#include "window_fixture.h"

#include <QApplication>
#include <QElapsedTimer>

#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

const QString kLoadQuestion =
    "Opening a new destination library will clear the current contents. \n\nContinue?";
const QString kClearQuestion = "Do you really intend to clear the destination library data?";

std::vector<std::string> numberedNames(int count) {
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) names.push_back("C" + std::to_string(1000 + i));
    return names;
}

}  // namespace

/// A window whose source library A.LIB holds ONE, TWO and THREE.
class DestinationTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        writeLibrary(folder / "A.LIB", {"ONE", "TWO", "THREE"});
        locate(folder.path());
        openFile("A.LIB");
    }

    void copy(const QString& name) {
        choose("sourceList", name);
        click("copyButton");
    }

    /// Load Library with `file` (relative to the folder) chosen in the dialog.
    void load(const std::string& file) {
        dialogs.files.push_back(toQString(folder / file));
        click("loadButton");
    }
};

TEST_F(DestinationTest, NamesDifferingOnlyInCaseAreBothCopied) {
    writeLibrary(folder / "B.LIB", {"one", "Two"});
    copy("ONE");
    locate(folder.path());
    openFile("B.LIB");
    copy("one");
    EXPECT_EQ(list("destinationList")->texts(), QStringList({"ONE", "one"}));
    EXPECT_EQ(message(), "");
}

TEST_F(DestinationTest, ADuplicateIsRefusedWithTheBlueLampAndCopyLockedFor1200ms) {
    load("OUT.LIB");
    copy("TWO");
    click("saveButton");
    QElapsedTimer clock;
    clock.start();
    click("copyButton");

    EXPECT_EQ(control<StatusLight>("statusLight")->state(), 3);
    EXPECT_EQ(message(), "Already exists");
    EXPECT_FALSE(button("copyButton")->isEnabled());
    EXPECT_FALSE(window->copyAllowed());
    EXPECT_EQ(QApplication::focusWidget(), list("sourceList")) << "not on a button Enter presses";
    EXPECT_EQ(list("destinationList")->count(), 1);
    EXPECT_FALSE(window->destinationModified());

    choose("sourceList", "ONE");  // another selection does not unlock the button
    spinEventLoop(300);
    if (clock.elapsed() < 1100) {
        EXPECT_FALSE(button("copyButton")->isEnabled());
    }

    ASSERT_TRUE(waitUntil([&] { return button("copyButton")->isEnabled(); }));
    EXPECT_GE(clock.elapsed(), 1190);
    EXPECT_EQ(control<StatusLight>("statusLight")->state(), 1);
    EXPECT_EQ(message(), "");
    EXPECT_TRUE(window->copyAllowed());
    click("copyButton");
    EXPECT_EQ(list("destinationList")->texts(), QStringList({"ONE", "TWO"}));
}

TEST_F(DestinationTest, The199thAnd200thCopiesSucceedAndThe201stIsRefusedRed) {
    // 198 components to start with; the limit wins over a duplicate name.
    writeLibrary(folder / "FULL.LIB", numberedNames(198));
    writeLibrary(folder / "MORE.LIB", {"X199", "X200", "X201", "C1000"});
    load("FULL.LIB");
    ASSERT_EQ(text("destinationCountField"), "198");
    locate(folder.path());
    openFile("MORE.LIB");

    copy("X199");
    copy("X200");
    EXPECT_EQ(text("destinationCountField"), "200");
    EXPECT_EQ(message(), "");
    for (const QString name : {"X201", "C1000"}) {
        copy(name);
        EXPECT_EQ(control<StatusLight>("statusLight")->state(), 2) << name.toStdString();
        EXPECT_EQ(message(), "Too many comps!!");
        EXPECT_EQ(list("destinationList")->count(), 200);
        ASSERT_TRUE(waitUntil([&] { return button("copyButton")->isEnabled(); }));
    }
    EXPECT_EQ(window->destinationLibrary()->size(), kSlotCount);
}

TEST_F(DestinationTest, LoadWithANewNameStartsAnEmptyDestinationThatSavesAsAValidLibrary) {
    copy("ONE");
    dialogs.answers = {true};  // the copy would be dropped, so Load asks first
    load("NEW.LIB");
    EXPECT_EQ(dialogs.questions, QStringList({kLoadQuestion}));
    EXPECT_EQ(list("destinationList")->count(), 0);
    EXPECT_EQ(text("destinationNameField"), "NEW.LIB");
    EXPECT_FALSE(window->destinationModified());
    EXPECT_FALSE(fs::exists(folder / "NEW.LIB"));

    click("saveButton");
    const auto bytes = readFileBytes(folder / "NEW.LIB");
    ASSERT_EQ(bytes.size(), kRecordAreaOffset);
    EXPECT_TRUE(hasLibrarySignature(bytes));
    EXPECT_TRUE(namesInLibrary(folder / "NEW.LIB").empty());
}

TEST_F(DestinationTest, LoadWithoutChangesOrFileAsksNothing) {
    writeLibrary(folder / "D.LIB", {"OLD"});
    load("D.LIB");
    EXPECT_TRUE(dialogs.questions.isEmpty());
    EXPECT_EQ(list("destinationList")->texts(), QStringList({"OLD"}));
    EXPECT_EQ(window->destinationPath(), toQString(folder / "D.LIB"));
}

TEST_F(DestinationTest, LoadAnsweredNoOrCancelledKeepsEverything) {
    copy("ONE");
    dialogs.answers = {false};
    click("loadButton");
    dialogs.answers = {true};
    dialogs.files = {QString()};
    click("loadButton");
    EXPECT_EQ(list("destinationList")->texts(), QStringList({"ONE"}));
    EXPECT_TRUE(window->destinationModified());
    EXPECT_TRUE(window->destinationPath().isEmpty());
}

TEST_F(DestinationTest, LoadReplacesTheShownDestinationComponentSafely) {
    writeLibrary(folder / "D.LIB", {"OLD"});
    load("D.LIB");
    choose("destinationList", "OLD");
    ASSERT_EQ(shownName(), "OLD");
    dialogs.answers = {true};
    load("D.LIB");
    EXPECT_EQ(window->shownComponent(), nullptr);
    EXPECT_EQ(list("destinationList")->texts(), QStringList({"OLD"}));
}

TEST_F(DestinationTest, ANameWithoutExtensionShowsWithLibWhileThePathKeepsNone) {
    load("plain");
    EXPECT_EQ(text("destinationNameField"), "plain.LIB");
    EXPECT_EQ(window->destinationName(), "plain.LIB");
    EXPECT_EQ(window->destinationPath(), toQString(folder / "plain"));
    copy("ONE");
    click("saveButton");
    EXPECT_EQ(namesInLibrary(folder / "plain"), std::vector<std::string>{"ONE"});
    EXPECT_FALSE(fs::exists(folder / "plain.LIB"));
}

TEST_F(DestinationTest, SaveAsksForAFileOnlyOnceAndACancelWritesNothing) {
    copy("ONE");
    dialogs.files = {QString()};
    click("saveButton");
    EXPECT_TRUE(window->destinationModified());
    EXPECT_TRUE(window->destinationPath().isEmpty());

    dialogs.files = {toQString(folder / "OUT.LIB")};
    click("saveButton");
    EXPECT_FALSE(window->destinationModified());
    copy("TWO");
    click("saveButton");  // no dialog this time
    EXPECT_EQ(namesInLibrary(folder / "OUT.LIB"), (std::vector<std::string>{"ONE", "TWO"}));
}

TEST_F(DestinationTest, ClearKeepsTheFileNameAndMarksTheDestinationChanged) {
    load("OUT.LIB");
    copy("ONE");
    copy("TWO");
    click("saveButton");
    choose("destinationList", "TWO");

    dialogs.answers = {false};
    click("clearButton");
    EXPECT_EQ(list("destinationList")->count(), 2);

    dialogs.answers = {true};
    click("clearButton");
    EXPECT_EQ(dialogs.questions, QStringList({kClearQuestion, kClearQuestion}));
    EXPECT_EQ(list("destinationList")->count(), 0);
    EXPECT_EQ(window->shownComponent(), nullptr);
    EXPECT_EQ(text("destinationNameField"), "OUT.LIB");
    EXPECT_TRUE(window->destinationModified());
    EXPECT_FALSE(button("clearButton")->isEnabled());

    click("saveButton");
    EXPECT_TRUE(namesInLibrary(folder / "OUT.LIB").empty());
    EXPECT_TRUE(hasLibrarySignature(readFileBytes(folder / "OUT.LIB")));
}

TEST_F(DestinationTest, AFailedSaveIsReportedAndTheDestinationStaysChanged) {
    load("missing/OUT.LIB");
    copy("ONE");
    click("saveButton");
    ASSERT_EQ(dialogs.failures.size(), 1);
    EXPECT_TRUE(dialogs.failures.first().contains("missing"))
        << dialogs.failures.first().toStdString();
    EXPECT_TRUE(window->destinationModified());
}

class DestinationDeletion : public DestinationTest,
                            public testing::WithParamInterface<std::pair<QString, QString>> {};

TEST_P(DestinationDeletion, SelectsAndShowsTheFollowingEntry) {
    const auto& [deleted, selectedAfter] = GetParam();
    copy("ONE");
    copy("TWO");
    copy("THREE");
    choose("destinationList", deleted);
    click("deleteDestinationButton");
    EXPECT_EQ(list("destinationList")->selectedText(), selectedAfter);
    EXPECT_EQ(shownName(), selectedAfter);
    EXPECT_EQ(text("destinationCountField"), "2");
    EXPECT_EQ(button("deleteDestinationButton")->isEnabled(), !selectedAfter.isEmpty());
    EXPECT_TRUE(window->destinationModified());
    EXPECT_EQ(window->destinationLibrary()->size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(WindowTest, DestinationDeletion,
                         testing::Values(std::pair<QString, QString>{"ONE", "THREE"},
                                         std::pair<QString, QString>{"TWO", QString()}));

TEST_F(WindowTest, AWholeSessionFromLocatingToASavedLibraryThatLoadsAgain) {
    writeLibrary(folder / "DIP.LIB", {"DIP8", "DIP14", "DIP16"});
    writeLibrary(folder / "SOT.LIB", {"SOT23", "SOT89"});
    locate(folder.path());
    EXPECT_EQ(list("fileList")->texts(), QStringList({"DIP.LIB", "SOT.LIB"}));

    openFile("DIP.LIB");
    choose("sourceList", "DIP14");
    EXPECT_EQ(shownName(), "DIP14");
    click("copyButton");
    EXPECT_TRUE(window->destinationModified());
    EXPECT_EQ(list("sourceList")->selectedText(), "DIP14") << "a copy keeps the selection";
    EXPECT_EQ(shownName(), "DIP14");
    choose("sourceList", "DIP8");
    click("copyButton");
    openFile("SOT.LIB");
    choose("sourceList", "SOT89");
    click("copyButton");

    dialogs.files = {toQString(folder / "MINE.LIB")};
    click("saveButton");
    EXPECT_EQ(text("destinationNameField"), "MINE.LIB");
    EXPECT_FALSE(window->destinationModified());

    dialogs.answers = {true};
    dialogs.files = {toQString(folder / "MINE.LIB")};
    click("loadButton");
    EXPECT_EQ(list("destinationList")->texts(), QStringList({"DIP14", "DIP8", "SOT89"}));

    locate(folder.path());
    EXPECT_EQ(list("fileList")->texts(), QStringList({"DIP.LIB", "MINE.LIB", "SOT.LIB"}));
    click("closeButton");
    EXPECT_EQ(dialogs.questions.size(), 1) << "nothing changed since the save";
    EXPECT_EQ(namesInLibrary(folder / "MINE.LIB"),
              (std::vector<std::string>{"DIP14", "DIP8", "SOT89"}));
}

// A copy after which no file could hold the library (records beyond the 16-bit index) is
// refused like a full destination.
TEST_F(DestinationTest, ACopyBeyondTheRecordIndexIsRefusedRed) {
    for (const auto& [name, tracks] : {std::pair{"BIG1", 20000}, std::pair{"BIG2", 13000}}) {
        Component big(makeEntry(name));
        for (int i = 0; i < tracks; ++i) big.addPrimitive(makeTrack(1, 0, 0, i, i, 5));
        Library library;
        PlainNameList names;
        library.addCopy(big, names);
        ASSERT_TRUE(library.save((folder / (std::string(name) + ".LIB")).string()));
    }
    copy("ONE");
    locate(folder.path());
    openFile("BIG1.LIB");
    copy("BIG1");
    openFile("BIG2.LIB");
    copy("BIG2");
    EXPECT_EQ(control<StatusLight>("statusLight")->state(), 2);
    EXPECT_EQ(message(), "Too many comps!!");
    EXPECT_EQ(list("destinationList")->texts(), QStringList({"BIG1", "ONE"}));
}
