// How the window maps each answer to the offer of an interrupted save's backup to its lists and
// files, for the source library and for the destination.

#include "interrupted_save.h"
#include "window_fixture.h"

#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

QString backupQuestion(const QString& name) {
    return "A save of " + name +
           " was interrupted, so the file may be incomplete. A backup beside it holds the library "
           "as it was before that save.\n\nRestore the library from the backup?";
}

struct OfferCase {
    const char* label;
    BackupChoice choice;
    /// The names the window shows and the file holds afterwards.
    QStringList shown;
    bool backupKept;
};

const std::vector<std::string> kTorn = {"ONE"};
const std::vector<std::string> kBefore = {"ONE", "TWO"};

}  // namespace

class BackupOffer : public WindowTest, public testing::WithParamInterface<OfferCase> {
protected:
    void expectSettled(const fs::path& library, const fs::path& backup, const char* listName) {
        const OfferCase& expected = GetParam();
        EXPECT_EQ(dialogs.backupQuestions,
                  QStringList{backupQuestion(toQString(library.filename()))});
        EXPECT_EQ(list(listName)->texts(), expected.shown);
        std::vector<std::string> held;
        for (const QString& name : expected.shown) held.push_back(name.toStdString());
        EXPECT_EQ(namesInLibrary(library), held);
        EXPECT_EQ(fs::exists(backup), expected.backupKept);
        EXPECT_TRUE(dialogs.failures.isEmpty()) << dialogs.failures.join('\n').toStdString();
        dialogs.backupQuestions.clear();
    }
};

TEST_P(BackupOffer, ComesBeforeTheSourceIsOpenedAndDoesWhatWasChosen) {
    const fs::path library = folder / "A.LIB";
    writeLibrary(library, kTorn);
    const fs::path backup = writeInterruptedBackup(library, kBefore);
    locate(folder.path());
    EXPECT_EQ(list("fileList")->texts(), QStringList{"A.LIB"}) << "the backup is not listed";
    dialogs.backupChoices = {GetParam().choice};
    openFile("A.LIB");
    expectSettled(library, backup, "sourceList");
}

TEST_P(BackupOffer, ComesBeforeTheDestinationIsLoadedAndDoesWhatWasChosen) {
    const fs::path library = folder / "D.LIB";
    writeLibrary(library, kTorn);
    const fs::path backup = writeInterruptedBackup(library, kBefore);
    dialogs.files = {toQString(library)};
    dialogs.backupChoices = {GetParam().choice};
    click("loadButton");
    expectSettled(library, backup, "destinationList");
    EXPECT_FALSE(window->destinationModified());
}

INSTANTIATE_TEST_SUITE_P(
    Answers, BackupOffer,
    testing::Values(OfferCase{"Restore", BackupChoice::restore, {"ONE", "TWO"}, false},
                    OfferCase{"Discard", BackupChoice::discard, {"ONE"}, false},
                    OfferCase{"Later", BackupChoice::keep, {"ONE"}, true}),
    [](const testing::TestParamInfo<OfferCase>& row) { return row.param.label; });

TEST_F(WindowTest, ABackupThatCannotBeRestoredIsReportedAndKeptAndTheFileOpens) {
    const fs::path library = folder / "A.LIB";
    writeLibrary(library, kTorn);
    const fs::path backup = writeInterruptedBackup(library, kBefore);
    fs::permissions(library, fs::perms::owner_read);  // never replaced, not even by root
    locate(folder.path());
    dialogs.backupChoices = {BackupChoice::restore};
    openFile("A.LIB");
    ASSERT_EQ(dialogs.failures.size(), 1);
    EXPECT_TRUE(dialogs.failures[0].startsWith("The backup of A.LIB was not restored.\n\n"))
        << dialogs.failures[0].toStdString();
    EXPECT_EQ(list("sourceList")->texts(), QStringList{"ONE"});
    EXPECT_TRUE(fs::exists(backup));
}
