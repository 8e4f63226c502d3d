#pragma once

#include "library_recovery.h"

#include <QString>
#include <QStringList>

class QWidget;

/// The questions and file choices the window puts to the user. The window asks through this
/// interface only, so the program shows real boxes and dialogs while tests answer from a script.
class UserDialogs {
public:
    virtual ~UserDialogs() = default;

    /// A Yes/No question with a warning icon, owned by `owner`; true only for Yes.
    virtual bool askYesNo(QWidget* owner, const QString& text) = 0;

    /// The same question with No as the default button, for a Yes that destroys something (a
    /// file written over): Enter alone never agrees to it.
    virtual bool askYesNoDefaultNo(QWidget* owner, const QString& text) = 0;

    /// Asks what to do with the backup an interrupted save left: restore it, discard it, or keep
    /// it for later. Keeping it is the default button and Escape, since it is the one answer
    /// that neither replaces the library nor deletes the backup.
    virtual BackupChoice askAboutBackup(QWidget* owner, const QString& text) = 0;

    /// Tells the user that something failed and why; returns once the user has read it.
    virtual void reportFailure(QWidget* owner, const QString& text) = 0;

    /// Lets the user pick or type any file of the directory to be listed, starting in
    /// `startDirectory`. The full path of the answer, which need not exist; empty when cancelled.
    virtual QString chooseFileInDirectory(QWidget* owner, const QString& startDirectory) = 0;

    /// Lets the user pick or type the destination library file, offering *.lib files first and
    /// adding ".lib" to a typed name without extension. The full path, which need not exist;
    /// empty when cancelled.
    virtual QString chooseLibraryFile(QWidget* owner, const QString& startDirectory) = 0;

    /// Tells the user what a finished task did; returns once the user has read it.
    virtual void inform(QWidget* owner, const QString& text) = 0;

    /// Lets the user name a file to be written, titled `title`, starting at `suggestedPath`
    /// (a folder and a file name), offering `filters` ("PNG image (*.png)"); a typed name without
    /// extension gets the one of the chosen filter, and replacing an existing file is confirmed
    /// first. The full path; empty when cancelled.
    virtual QString chooseFileToWrite(QWidget* owner, const QString& title,
                                      const QString& suggestedPath, const QStringList& filters) = 0;

    /// Lets the user pick a folder, titled `title`, starting in `startDirectory`. The full path;
    /// empty when cancelled.
    virtual QString chooseFolder(QWidget* owner, const QString& title,
                                 const QString& startDirectory) = 0;
};
