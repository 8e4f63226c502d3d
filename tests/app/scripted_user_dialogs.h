#pragma once

#include "user_dialogs.h"

#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <deque>
#include <functional>

/// Answers the window's questions and file choices from a script and records what was asked.
/// A question or file choice that the script did not foresee fails the test and is answered No
/// or cancelled.
class ScriptedUserDialogs final : public UserDialogs {
public:
    bool askYesNo(QWidget*, const QString& text) override {
        questions.append(text);
        if (whileAsking) whileAsking();
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected question: " << text.toStdString();
            return false;
        }
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }

    bool askYesNoDefaultNo(QWidget* owner, const QString& text) override {
        defaultNoQuestions.append(text);
        return askYesNo(owner, text);
    }

    BackupChoice askAboutBackup(QWidget*, const QString& text) override {
        backupQuestions.append(text);
        if (backupChoices.empty()) {
            ADD_FAILURE() << "unexpected question about a backup: " << text.toStdString();
            return BackupChoice::keep;
        }
        const BackupChoice choice = backupChoices.front();
        backupChoices.pop_front();
        return choice;
    }

    void reportFailure(QWidget*, const QString& text) override { failures.append(text); }

    QString chooseFileInDirectory(QWidget*, const QString& startDirectory) override {
        directoryStarts.append(startDirectory);
        return next("Locate Directory");
    }

    QString chooseLibraryFile(QWidget*, const QString& startDirectory) override {
        libraryFileStarts.append(startDirectory);
        return next("destination file");
    }

    void inform(QWidget*, const QString& text) override { messages.append(text); }

    QString chooseFileToWrite(QWidget*, const QString& title, const QString& suggestedPath,
                              const QStringList&) override {
        writeTitles.append(title);
        suggestedPaths.append(suggestedPath);
        return next("file to write");
    }

    QString chooseFolder(QWidget*, const QString& title, const QString&) override {
        folderTitles.append(title);
        return next("folder");
    }

    /// Runs while each question is open, to look at the window then.
    std::function<void()> whileAsking;
    /// Yes is true; each question takes the next answer.
    std::deque<bool> answers;
    /// Each question about a backup takes the next choice.
    std::deque<BackupChoice> backupChoices;
    /// Each file dialog takes the next path; an empty one cancels.
    std::deque<QString> files;

    QStringList questions;
    /// The questions among them asked with No as the default button.
    QStringList defaultNoQuestions;
    QStringList backupQuestions;
    QStringList failures;
    QStringList messages;
    QStringList writeTitles;
    QStringList suggestedPaths;
    QStringList folderTitles;
    QStringList directoryStarts;
    QStringList libraryFileStarts;

private:
    QString next(const char* which) {
        if (files.empty()) {
            ADD_FAILURE() << "unexpected " << which << " dialog";
            return {};
        }
        QString path = files.front();
        files.pop_front();
        return path;
    }
};
