#pragma once

#include <QObject>
#include <QString>

class Component;
class LibrarySession;
class QAction;
class QWidget;
class UserDialogs;

/// The window's ways out to other programs: the shown component, or a whole library, as KiCad
/// footprints, and the shown component as a picture. Each action asks where to write through the
/// window's `UserDialogs`, writes every file whole or not at all, and tells the user what it did or
/// why it could not. The sessions, the dialogs and `shownComponent` are the window's and outlive
/// this object.
class ExportActions final : public QObject {
    Q_OBJECT
public:
    ExportActions(QWidget& window, UserDialogs& dialogs, const LibrarySession& source,
                  const LibrarySession& destination);

    QAction* exportComponent() const { return exportComponent_; }
    QAction* exportSourceLibrary() const { return exportSource_; }
    QAction* exportDestinationLibrary() const { return exportDestination_; }
    QAction* savePicture() const { return savePicture_; }

    /// Enables each action when there is something for it: a shown component, or a library with
    /// components. `shown` is the shown component or none; `pictureWidth` and `pictureHeight` the
    /// size in pixels a picture of it is drawn at, as in the panel.
    void update(const Component* shown, int pictureWidth, int pictureHeight);

    /// Where the file dialogs start when nothing was written yet: the located directory.
    void setStartDirectory(const QString& directory) { startDirectory_ = directory; }

private:
    void writeComponentFootprint();
    void writeLibraryFootprints(const LibrarySession& session, const QString& title);
    void writePicture();
    QString startFolder() const;
    void remember(const QString& writtenPath);

    QWidget& window_;
    UserDialogs& dialogs_;
    const LibrarySession& source_;
    const LibrarySession& destination_;
    const Component* shown_ = nullptr;
    int pictureWidth_ = 1;
    int pictureHeight_ = 1;
    QString startDirectory_;
    QString lastFolder_;

    QAction* exportComponent_ = nullptr;
    QAction* exportSource_ = nullptr;
    QAction* exportDestination_ = nullptr;
    QAction* savePicture_ = nullptr;
};
