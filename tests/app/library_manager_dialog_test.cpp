#include "about_dialog.h"
#include "status_light.h"
#include "window_fixture.h"

#include <QAccessible>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QSet>
#include <QSignalSpy>
#include <QTimer>

namespace {

const QString kSourceQuestion = "Source library has changed.\n\nSave it?";
const QString kDestinationQuestion = "Destination library has changed.\n\nSave it?";

QStringList enabledButtons(const QWidget& window) {
    QStringList names;
    for (const auto* button : window.findChildren<QPushButton*>()) {
        if (button->isEnabled()) names.append(button->objectName());
    }
    names.sort();
    return names;
}

/// Closes the first modal dialog or popup menu that appears, after running `inspect` on it.
void closeWhenShown(std::function<void(QWidget*)> inspect) {
    auto* timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, inspect] {
        QWidget* shown = QApplication::activePopupWidget();
        if (!shown) shown = QApplication::activeModalWidget();
        if (!shown) return;
        timer->stop();
        timer->deleteLater();
        inspect(shown);
        shown->close();
    });
    timer->start();
}

}  // namespace

TEST_F(WindowTest, StartsWithEmptyCountsAnIdleLampAndOnlyFourButtonsEnabled) {
    EXPECT_EQ(window->windowTitle(), "Protel Autotrax Library Manager");
    EXPECT_EQ(text("sourceCountField"), "0");
    EXPECT_EQ(text("destinationCountField"), "0");
    EXPECT_EQ(message(), "");
    EXPECT_EQ(control<StatusLight>("statusLight")->state(), 1);
    EXPECT_EQ(enabledButtons(*window),
              QStringList({"closeButton", "loadButton", "locateButton", "saveButton"}));
    EXPECT_TRUE(window->copyAllowed());
    EXPECT_FALSE(window->sourceModified());
    EXPECT_FALSE(window->destinationModified());
    EXPECT_EQ(window->sourceLibrary(), nullptr);
    ASSERT_NE(window->destinationLibrary(), nullptr);
    EXPECT_EQ(window->destinationLibrary()->size(), 0u);
    EXPECT_EQ(window->shownComponent(), nullptr);
}

TEST_F(WindowTest, ControlsFollowTheLayoutInTabOrderWithCloseAsDefaultButton) {
    // The tab stops in layout order, each with the id of its place in the layout.
    const std::vector<std::pair<const char*, int>> tabStops = {{"closeButton", 1},
                                                               {"fileList", 1001},
                                                               {"locateButton", 1002},
                                                               {"sourceList", 1003},
                                                               {"updateButton", 1005},
                                                               {"destinationList", 1006},
                                                               {"deleteDestinationButton", 1007},
                                                               {"copyButton", 1008},
                                                               {"saveButton", 1009},
                                                               {"deleteSourceButton", 1010},
                                                               {"loadButton", 1011},
                                                               {"sourceCountField", 1000},
                                                               {"destinationCountField", 1012},
                                                               {"destinationNameField", 1015},
                                                               {"clearButton", 1016}};
    QWidget* widget = button("closeButton");
    for (const auto& [name, id] : tabStops) {
        EXPECT_EQ(widget->objectName(), name);
        EXPECT_EQ(widget->property("controlId").toInt(), id) << name;
        EXPECT_TRUE(widget->focusPolicy() & Qt::TabFocus) << name;
        do {
            widget = widget->nextInFocusChain();
        } while (!(widget->focusPolicy() & Qt::TabFocus) || !widget->isVisibleTo(window.get()));
    }
    EXPECT_EQ(widget->objectName(), "closeButton") << "the chain wraps round";

    EXPECT_TRUE(button("closeButton")->isDefault());
    EXPECT_EQ(QApplication::focusWidget(), button("closeButton"));
    for (const char* caption : {"viewerPanel", "statusLight"}) {
        EXPECT_EQ(control(caption)->focusPolicy(), Qt::NoFocus) << caption;
    }
    // The viewer lies between the source and destination columns, the lamp beside the message.
    EXPECT_LT(list("sourceList")->geometry().right(), control("viewerPanel")->geometry().left());
    EXPECT_LT(control("viewerPanel")->geometry().right(),
              list("destinationList")->geometry().left());
    EXPECT_LT(control("messageText")->geometry().right(),
              control("statusLight")->geometry().left());
}

TEST_F(WindowTest, CaptionlessControlsHaveDistinctAccessibleNames) {
    QSet<QString> names;
    for (const char* name : {"fileList", "sourceList", "destinationList", "sourceCountField",
                             "destinationCountField", "destinationNameField", "viewerPanel",
                             "statusLight", "deleteSourceButton", "deleteDestinationButton"}) {
        const QString accessible = control(name)->accessibleName();
        EXPECT_FALSE(accessible.isEmpty()) << name;
        names.insert(accessible);
    }
    EXPECT_EQ(names.size(), 10);
}

TEST_F(WindowTest, RefreshFollowsTheListsAtTheNextIdleMoment) {
    writeLibrary(folder / "A.LIB", {"ONE", "TWO", "THREE"});
    locate(folder.path());
    openFile("A.LIB");
    EXPECT_EQ(text("sourceCountField"), "3");
    EXPECT_TRUE(button("updateButton")->isEnabled());
    EXPECT_FALSE(button("copyButton")->isEnabled());

    choose("sourceList", "TWO");
    EXPECT_TRUE(button("copyButton")->isEnabled());
    EXPECT_TRUE(button("deleteSourceButton")->isEnabled());

    click("copyButton");
    EXPECT_EQ(text("destinationCountField"), "1");
    EXPECT_TRUE(button("clearButton")->isEnabled());
    EXPECT_FALSE(button("deleteDestinationButton")->isEnabled());
    choose("destinationList", "TWO");
    EXPECT_TRUE(button("deleteDestinationButton")->isEnabled());
}

TEST_F(WindowTest, AnIdleWindowLetsTheLoopSleep) {
    QSignalSpy refreshes(window.get(), &LibraryManagerDialog::controlsRefreshed);
    spinEventLoop(400);
    // A refresh that set off the next one would run hundreds of times here.
    EXPECT_LE(refreshes.count(), 3);
}

namespace {

struct DeleteKeyCase {
    const char* focus;
    int sourceLeft;
    int destinationLeft;
};

struct ClosingCase {
    const char* name;
    bool saveSource;
    bool saveDestination;
    QString destinationFile;  // answer of the file dialog; empty cancels it
};

}  // namespace

class DeleteKey : public WindowTest, public testing::WithParamInterface<DeleteKeyCase> {};

TEST_P(DeleteKey, DeletesOneEntryOfTheFocusedListOnly) {
    writeLibrary(folder / "A.LIB", {"ONE", "TWO", "THREE"});
    locate(folder.path());
    openFile("A.LIB");
    for (const char* name : {"ONE", "TWO"}) {
        choose("sourceList", name);
        click("copyButton");
    }
    choose("destinationList", "ONE");
    choose("sourceList", "THREE");

    control(GetParam().focus)->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), control(GetParam().focus));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
    settle();

    EXPECT_EQ(list("sourceList")->count(), GetParam().sourceLeft);
    EXPECT_EQ(list("destinationList")->count(), GetParam().destinationLeft);
    EXPECT_FALSE(window->isHidden());
}

INSTANTIATE_TEST_SUITE_P(WindowTest, DeleteKey,
                         testing::Values(DeleteKeyCase{"sourceList", 2, 2},
                                         DeleteKeyCase{"destinationList", 3, 1},
                                         DeleteKeyCase{"fileList", 3, 2},
                                         DeleteKeyCase{"copyButton", 3, 2},
                                         DeleteKeyCase{"destinationNameField", 3, 2}),
                         [](const auto& row) { return std::string(row.param.focus); });

TEST_F(WindowTest, DeleteKeyWithoutSelectionDeletesNothing) {
    writeLibrary(folder / "A.LIB", {"ONE", "TWO"});
    locate(folder.path());
    openFile("A.LIB");
    list("sourceList")->setFocus();
    QTest::keyClick(list("sourceList"), Qt::Key_Delete);
    settle();
    EXPECT_EQ(list("sourceList")->count(), 2);
    EXPECT_FALSE(window->sourceModified());
}

class ClosingKey : public WindowTest, public testing::WithParamInterface<Qt::Key> {};

TEST_P(ClosingKey, ClosesFromAListWithoutAskingWhenNothingChanged) {
    list("destinationList")->setFocus();
    QTest::keyClick(list("destinationList"), GetParam());
    settle();
    EXPECT_TRUE(window->isHidden());
    EXPECT_TRUE(dialogs.questions.isEmpty());
    EXPECT_EQ(window->destinationLibrary(), nullptr) << "freed on closing";
}

INSTANTIATE_TEST_SUITE_P(WindowTest, ClosingKey,
                         testing::Values(Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape));

class Closing : public WindowTest, public testing::WithParamInterface<ClosingCase> {};

TEST_P(Closing, AsksAboutSourceThenDestinationAndObeysTheAnswers) {
    const ClosingCase& c = GetParam();
    writeLibrary(folder / "A.LIB", {"ONE", "TWO", "THREE"});
    const auto before = readFileBytes(folder / "A.LIB");
    locate(folder.path());
    openFile("A.LIB");
    choose("sourceList", "ONE");
    click("copyButton");
    click("deleteSourceButton");

    dialogs.answers = {c.saveSource, c.saveDestination};
    if (c.saveDestination) {
        // No destination file was chosen yet, so Yes opens the file dialog.
        dialogs.files = {c.destinationFile.isEmpty()
                             ? QString()
                             : toQString(folder / c.destinationFile.toStdString())};
    }
    click("closeButton");

    EXPECT_TRUE(window->isHidden());
    EXPECT_EQ(dialogs.questions, QStringList({kSourceQuestion, kDestinationQuestion}));
    if (c.saveSource) {
        EXPECT_EQ(namesInLibrary(folder / "A.LIB"), (std::vector<std::string>{"THREE", "TWO"}));
    } else {
        EXPECT_EQ(readFileBytes(folder / "A.LIB"), before);
    }
    const bool written = c.saveDestination && !c.destinationFile.isEmpty();
    EXPECT_EQ(std::filesystem::exists(folder / "OUT.LIB"), written);
    if (written) {
        EXPECT_EQ(namesInLibrary(folder / "OUT.LIB"), std::vector<std::string>{"ONE"});
    }
    EXPECT_EQ(window->sourceLibrary(), nullptr);
    EXPECT_EQ(window->destinationLibrary(), nullptr);
    EXPECT_EQ(window->shownComponent(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(WindowTest, Closing,
                         testing::Values(ClosingCase{"NoNo", false, false, {}},
                                         ClosingCase{"YesNo", true, false, {}},
                                         ClosingCase{"NoYes", false, true, "OUT.LIB"},
                                         ClosingCase{"YesYesCancelled", true, true, {}}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(WindowTest, ClosingAfterAFailedSaveAsksAgainUntilTheUserGivesUp) {
    writeLibrary(folder / "A.LIB", {"ONE", "TWO"});
    locate(folder.path());
    openFile("A.LIB");
    choose("sourceList", "ONE");
    click("deleteSourceButton");
    // The file has become a folder, so writing it back fails.
    std::filesystem::remove(folder / "A.LIB");
    std::filesystem::create_directory(folder / "A.LIB");

    dialogs.answers = {true, true, false};
    window->reject();

    EXPECT_EQ(dialogs.questions, QStringList({kSourceQuestion, kSourceQuestion, kSourceQuestion}));
    EXPECT_EQ(dialogs.failures.size(), 2);
    EXPECT_TRUE(window->isHidden());
}

TEST_F(WindowTest, ClosingByTheCloseBoxAsksOnceAndCannotBeCancelled) {
    writeLibrary(folder / "A.LIB", {"ONE", "TWO"});
    locate(folder.path());
    openFile("A.LIB");
    choose("sourceList", "ONE");
    click("deleteSourceButton");
    dialogs.answers = {false};
    window->close();  // what the title bar's close box does
    window->accept();
    settle();
    EXPECT_EQ(dialogs.questions, QStringList({kSourceQuestion}));
    EXPECT_TRUE(window->isHidden());
    EXPECT_EQ(window->sourceLibrary(), nullptr);
}

TEST_F(WindowTest, AboutBoxOpensFromF1AndChangesNothing) {
    writeLibrary(folder / "A.LIB", {"ONE", "TWO"});
    locate(folder.path());
    openFile("A.LIB");
    choose("sourceList", "TWO");
    const QStringList buttonsBefore = enabledButtons(*window);

    bool shown = false;
    closeWhenShown([&](QWidget* box) { shown = qobject_cast<AboutDialog*>(box) != nullptr; });
    QTest::keyClick(list("sourceList"), Qt::Key_F1);
    ASSERT_TRUE(waitUntil([&] { return shown; }));
    settle();

    EXPECT_FALSE(window->isHidden());
    EXPECT_EQ(enabledButtons(*window), buttonsBefore);
    EXPECT_EQ(list("sourceList")->selectedText(), "TWO");
    EXPECT_EQ(shownName(), "TWO");
    EXPECT_EQ(text("sourceCountField"), "2");
    EXPECT_FALSE(window->sourceModified());
    EXPECT_FALSE(window->destinationModified());
}

// Close ends the program, so it comes last, apart; each entry has its own mnemonic; and the
// menu is the same object at every opening, so that screen readers keep valid objects for it.
TEST_F(WindowTest, ContextMenuPutsCloseLastApartWithDistinctMnemonicsAndIsBuiltOnce) {
    QStringList entries;
    QList<QMenu*> menus;
    auto openMenu = [&] {
        closeWhenShown([&](QWidget* popup) {
            if (auto* menu = qobject_cast<QMenu*>(popup)) {
                menus.append(menu);
                entries.clear();
                for (const QAction* action : menu->actions()) {
                    entries.append(action->isSeparator() ? QStringLiteral("-") : action->text());
                }
            }
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2),
                                window->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(window.get(), &event);
    };
    openMenu();
    openMenu();
    ASSERT_EQ(menus.size(), 2);
    EXPECT_EQ(menus[0], menus[1]);
    ASSERT_GE(entries.size(), 4);
    EXPECT_EQ(entries.mid(entries.size() - 4),
              QStringList({"-", "&About Cobblestack...", "-", "&Close"}));
    QSet<QChar> mnemonics;
    for (const QString& entry : entries) {
        if (entry == QStringLiteral("-")) continue;
        const qsizetype amp = entry.indexOf(QLatin1Char('&'));
        ASSERT_GE(amp, 0) << entry.toStdString();
        const QChar key = entry[amp + 1].toLower();
        EXPECT_FALSE(mnemonics.contains(key)) << entry.toStdString();
        mnemonics.insert(key);
    }
    EXPECT_FALSE(window->isHidden());
}
