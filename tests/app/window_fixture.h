#pragma once

#include "component.h"
#include "library.h"
#include "library_file_builder.h"
#include "library_manager_dialog.h"
#include "scripted_user_dialogs.h"
#include "sorted_list_box.h"
#include "window_test_support.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

/// A shown, active main window answering from a script, and a temporary folder for its files.
class WindowTest : public testing::Test {
protected:
    void SetUp() override {
        window = std::make_unique<LibraryManagerDialog>(dialogs);
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        settle();
    }

    void TearDown() override {
        window.reset();
        EXPECT_TRUE(dialogs.answers.empty()) << "unused answers";
        EXPECT_TRUE(dialogs.files.empty()) << "unused file choices";
    }

    template <typename Control = QWidget>
    Control* control(const char* name) const {
        auto* found = window->findChild<Control*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    SortedListBox* list(const char* name) const { return control<SortedListBox>(name); }
    QPushButton* button(const char* name) const { return control<QPushButton>(name); }
    QString text(const char* fieldName) const { return control<QLineEdit>(fieldName)->text(); }
    QString message() const { return control<QLabel>("messageText")->text(); }

    /// Lets the loop handle what is pending and reach an idle moment, so the refresh has run.
    void settle() { spinEventLoop(20); }

    /// Clicks an enabled button as the user would.
    void click(const char* name) {
        QPushButton* target = button(name);
        EXPECT_TRUE(target->isEnabled()) << name << " is disabled";
        QTest::mouseClick(target, Qt::LeftButton);
        settle();
    }

    /// Selects the entry with `entry` as the user would, which the list announces.
    void choose(const char* listName, const QString& entry) {
        SortedListBox* target = list(listName);
        const auto found = target->findItems(entry, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << entry.toStdString() << " in " << listName;
        target->setCurrentItem(found.first());
        settle();
    }

    void locate(const std::filesystem::path& directory) {
        dialogs.files.push_back(toQString(directory / "any name"));
        click("locateButton");
    }

    void openFile(const QString& name) { choose("fileList", name); }

    QString shownName() const {
        const Component* shown = window->shownComponent();
        return shown ? QString::fromLatin1(shown->displayName()) : QString();
    }

    ScriptedUserDialogs dialogs;
    std::unique_ptr<LibraryManagerDialog> window;
    TemporaryDirectory folder;
};
