#include "qt_user_dialogs.h"

#include "library_file_builder.h"
#include "window_test_support.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

namespace {

/// The names the file dialog lists once it has read its folder.
QStringList listedNames(QFileDialog& dialog) {
    auto* view = dialog.findChild<QListView*>(QStringLiteral("listView"));
    if (!view) return {};
    QStringList names;
    const QModelIndex root = view->rootIndex();
    for (int row = 0; row < view->model()->rowCount(root); ++row) {
        names.append(view->model()->index(row, 0, root).data().toString());
    }
    names.sort();
    return names;
}

/// Opens a file dialog through `open` on `folder`, lets `inspect` look at it, and cancels it.
void inspectFileDialog(const std::function<QString(QtUserDialogs&)>& open,
                       const std::function<void(QFileDialog&)>& inspect) {
    bool inspected = false;
    auto* timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [&inspected, timer, inspect] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        timer->stop();
        timer->deleteLater();
        inspect(*dialog);
        inspected = true;
        dialog->reject();
    });
    timer->start();
    QtUserDialogs dialogs;
    EXPECT_EQ(open(dialogs), QString());
    EXPECT_TRUE(inspected);
}

void inspectLibraryFileDialog(const QString& folder,
                              const std::function<void(QFileDialog&)>& inspect) {
    inspectFileDialog(
        [&folder](QtUserDialogs& dialogs) { return dialogs.chooseLibraryFile(nullptr, folder); },
        inspect);
}

/// The type column's text for `name` once the dialog has read its folder.
QString listedType(QFileDialog& dialog, const QString& name) {
    auto* view = dialog.findChild<QListView*>(QStringLiteral("listView"));
    if (!view) return {};
    const QModelIndex root = view->rootIndex();
    for (int row = 0; row < view->model()->rowCount(root); ++row) {
        if (view->model()->index(row, 0, root).data().toString() == name) {
            return view->model()->index(row, 2, root).data().toString();
        }
    }
    return {};
}

}  // namespace

TEST(QtUserDialogs, LibraryFilterShowsLibFilesOfEitherCaseAndAllFilesShowsEverything) {
    TemporaryDirectory folder;
    for (const char* name : {"UPPER.LIB", "lower.lib", "other.txt", "noext"}) {
        writeFileBytes(folder / name, std::vector<std::uint8_t>(20, 0));
    }
    inspectLibraryFileDialog(toQString(folder.path()), [](QFileDialog& dialog) {
        EXPECT_EQ(dialog.nameFilters(), QStringList({"Library files (*.lib)", "All Files (*.*)"}));
        EXPECT_EQ(dialog.selectedNameFilter(), "Library files (*.lib)");
        EXPECT_EQ(dialog.defaultSuffix(), "lib");
        EXPECT_TRUE(waitUntil([&] { return listedNames(dialog).size() >= 2; }));
        spinEventLoop(100);
        EXPECT_EQ(listedNames(dialog), QStringList({"UPPER.LIB", "lower.lib"}));
        // Chosen as the user does, with the keyboard on the file type box.
        auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        ASSERT_NE(types, nullptr);
        QTest::keyClick(types, Qt::Key_Down);
        EXPECT_EQ(dialog.selectedNameFilter(), "All Files (*.*)");
        EXPECT_TRUE(waitUntil([&] { return listedNames(dialog).size() >= 4; }, 2000))
            << listedNames(dialog).join(", ").toStdString();
    });
}

TEST(QtUserDialogs, BothDialogsSayWhatTheyAreForAndShowTheirColumnsWhole) {
    TemporaryDirectory folder;
    writeLibrary(folder / "IC.LIB", {"DIP14"});
    writeFileBytes(folder / "notes.lib", std::vector<std::uint8_t>(20, 'x'));
    const QString path = toQString(folder.path());
    inspectLibraryFileDialog(path, [](QFileDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Choose Destination Library");
        EXPECT_EQ(dialog.labelText(QFileDialog::Accept), "Choose");
        EXPECT_GE(dialog.width(), 800);
        EXPECT_EQ(dialog.viewMode(), QFileDialog::Detail);
        EXPECT_TRUE(waitUntil([&] { return !listedType(dialog, "IC.LIB").isEmpty(); }));
        EXPECT_EQ(listedType(dialog, "IC.LIB"), "Autotrax component library");
        EXPECT_NE(listedType(dialog, "notes.lib"), "Autotrax component library")
            << "known by the signature, not the name";
    });
    inspectFileDialog(
        [&path](QtUserDialogs& dialogs) { return dialogs.chooseFileInDirectory(nullptr, path); },
        [](QFileDialog& dialog) {
            EXPECT_EQ(dialog.windowTitle(), "Locate Library Directory");
            EXPECT_GE(dialog.width(), 800);
        });
}

namespace {

/// Answers the next message box with `answer`, noting the text of its default button.
void answerNextBox(const std::function<void(QMessageBox&)>& answer, QString& defaultText) {
    auto* timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, answer, &defaultText] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        timer->stop();
        timer->deleteLater();
        if (box->defaultButton()) defaultText = box->defaultButton()->text().remove('&');
        answer(*box);
    });
    timer->start();
}

}  // namespace

// A question whose Yes writes over a file is answered No by Enter as well as by Escape.
TEST(QtUserDialogs, EnterAndEscapeBothAnswerNoToAQuestionThatDefaultsToNo) {
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        QString defaultText;
        answerNextBox([key](QMessageBox& box) { QTest::keyClick(&box, key); }, defaultText);
        QtUserDialogs dialogs;
        EXPECT_FALSE(dialogs.askYesNoDefaultNo(nullptr, QStringLiteral("X already exists.")))
            << key;
        EXPECT_EQ(defaultText, "No");
    }
}

// Neither replacing the library nor deleting the backup may be what Enter or Escape does; each
// button gives its own answer.
TEST(QtUserDialogs, ABackupIsKeptByEnterAndEscapeAndEachButtonGivesItsChoice) {
    const auto keyPress = [](Qt::Key key) {
        return [key](QMessageBox& box) { QTest::keyClick(&box, key); };
    };
    const auto buttonClick = [](const char* text) {
        return [text](QMessageBox& box) {
            for (QAbstractButton* button : box.buttons()) {
                if (button->text().remove('&') == QLatin1String(text)) button->click();
            }
        };
    };
    const std::vector<std::pair<std::function<void(QMessageBox&)>, BackupChoice>> answers{
        {keyPress(Qt::Key_Return), BackupChoice::keep},
        {keyPress(Qt::Key_Escape), BackupChoice::keep},
        {buttonClick("Restore"), BackupChoice::restore},
        {buttonClick("Discard Backup"), BackupChoice::discard},
        {buttonClick("Later"), BackupChoice::keep},
    };
    for (std::size_t i = 0; i < answers.size(); ++i) {
        QString defaultText;
        answerNextBox(answers[i].first, defaultText);
        QtUserDialogs dialogs;
        EXPECT_EQ(dialogs.askAboutBackup(nullptr, QStringLiteral("A save was interrupted.")),
                  answers[i].second)
            << "answer " << i;
        EXPECT_EQ(defaultText, "Later");
    }
}
