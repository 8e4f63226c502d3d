#pragma once

#include "user_dialogs.h"

/// The user dialogs as Qt message boxes and Qt's own (non-native) file dialog. Message boxes carry
/// the program's name as their caption.
class QtUserDialogs final : public UserDialogs {
public:
    bool askYesNo(QWidget* owner, const QString& text) override;
    bool askYesNoDefaultNo(QWidget* owner, const QString& text) override;
    BackupChoice askAboutBackup(QWidget* owner, const QString& text) override;
    void reportFailure(QWidget* owner, const QString& text) override;
    QString chooseFileInDirectory(QWidget* owner, const QString& startDirectory) override;
    QString chooseLibraryFile(QWidget* owner, const QString& startDirectory) override;
    void inform(QWidget* owner, const QString& text) override;
    QString chooseFileToWrite(QWidget* owner, const QString& title, const QString& suggestedPath,
                              const QStringList& filters) override;
    QString chooseFolder(QWidget* owner, const QString& title,
                         const QString& startDirectory) override;
};
