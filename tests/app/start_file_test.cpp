#include "window_fixture.h"

#include <QDir>

namespace fs = std::filesystem;

// A library given on the command line opens as if it had been picked in Locate Directory and
// then chosen in the file list.
TEST_F(WindowTest, AStartFileListsItsFolderAndOpensAsTheSourceLibrary) {
    writeLibrary(folder / "B.LIB", {"beta", "ALPHA"});
    writeLibrary(folder / "other", {"X"});
    writeFileBytes(folder / "notes.txt", std::vector<std::uint8_t>(40, 'n'));

    window->openStartFile((folder / "B.LIB").string());
    settle();

    EXPECT_EQ(list("fileList")->texts(), QStringList({"B.LIB", "other"}));
    EXPECT_EQ(list("fileList")->selectedText(), "B.LIB");
    EXPECT_EQ(window->sourceDirectory(), toQString(folder.path()) + "/");
    EXPECT_EQ(window->sourcePath(), toQString(folder / "B.LIB"));
    EXPECT_EQ(list("sourceList")->texts(), QStringList({"ALPHA", "beta"}));
    EXPECT_TRUE(button("updateButton")->isEnabled());
    EXPECT_TRUE(dialogs.failures.isEmpty()) << dialogs.failures.join("|").toStdString();
}

TEST_F(WindowTest, AStartFileGivenRelativeOrWithAnUndecodableNameOpensItsOwnBytes) {
    const std::string name = "\xE9t\xE9.LIB";  // Latin-1, not valid UTF-8
    writeLibrary(folder / name, {"ONE"});
    const fs::path before = fs::current_path();
    fs::current_path(folder.path());
    window->openStartFile("./" + name);
    fs::current_path(before);
    settle();

    EXPECT_EQ(list("fileList")->count(), 1);
    EXPECT_EQ(list("fileList")->selectedData().toStdString(), name);
    EXPECT_EQ(list("sourceList")->texts(), QStringList({"ONE"}));
    EXPECT_TRUE(dialogs.failures.isEmpty());

    window->openStartFile(folder.path().string());
    settle();
    EXPECT_EQ(window->sourceDirectory(), toQString(folder.path()) + "/") << "a folder is listed";
    EXPECT_EQ(list("fileList")->selectedRow(), -1);
    EXPECT_TRUE(dialogs.failures.isEmpty());
}

TEST_F(WindowTest, AStartFileThatIsNoLibraryIsNamedInAMessageAndOnlyItsFolderIsListed) {
    writeLibrary(folder / "A.LIB", {"X"});
    writeFileBytes(folder / "fake.LIB", std::vector<std::uint8_t>(64, 'x'));
    struct Case {
        fs::path path;
        QStringList fileList;
        const char* reason;
    };
    const Case cases[] = {
        {folder / "fake.LIB",
         {"A.LIB"},
         "not a library file: bytes 3 to 15 do not read \"PCB 4 LIBRARY\""},
        {folder / "gone.LIB", {"A.LIB"}, "no such file"},
        {folder / "nowhere" / "gone.LIB", {}, "no such file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.string());
        window = std::make_unique<LibraryManagerDialog>(dialogs);
        dialogs.failures.clear();
        window->openStartFile(c.path.string());
        settle();
        EXPECT_EQ(dialogs.failures, QStringList(QDir::toNativeSeparators(toQString(c.path)) +
                                                " was not opened.\n\n" + c.reason));
        EXPECT_EQ(list("fileList")->texts(), c.fileList);
        EXPECT_EQ(list("fileList")->selectedRow(), -1);
        EXPECT_EQ(window->sourceLibrary(), nullptr);
        EXPECT_FALSE(button("updateButton")->isEnabled()) << "nothing to write back";
    }
}
