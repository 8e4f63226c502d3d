#pragma once

#include "library_session.h"

#include <QDialog>
#include <QPointF>
#include <QString>

class Component;
class ExportActions;
class Library;
class QAction;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class SortedListBox;
class StatusLight;
class QMenu;
class UserDialogs;
class ViewerPanel;

/// The main window: the file list of a located directory, the source library with its component
/// list, the viewer, and the destination library being assembled by copying components into it.
/// The two libraries live in two `LibrarySession`s, which hold the rules of opening, copying and
/// saving; the window maps their outcomes to lists, questions, the lamp and messages. The viewer
/// only refers to the component it shows, and the window clears it before that component or its
/// library goes away.
///
/// Every question and file choice goes through the `UserDialogs` it is given, which must outlive
/// it. Closing cannot be cancelled: the window hides, offers to save a changed source and then a
/// changed destination library, and frees both.
class LibraryManagerDialog final : public QDialog {
    Q_OBJECT
public:
    explicit LibraryManagerDialog(UserDialogs& dialogs, QWidget* parent = nullptr);
    ~LibraryManagerDialog() override;

    /// Brings the counters and the button states up to date with the lists. Runs by itself each
    /// time the event loop has handled events and is about to wait for more.
    void refreshControls();

    /// Opens the About box modally.
    void showAboutBox();

    /// Starts with a file, as if it had been picked in "Locate Directory" and its entry then
    /// chosen: the file list shows the library files of its folder and the file is opened as
    /// the source library. A file that is missing or is not a library is named in a message
    /// box with the reason, and only its folder is listed; a folder is listed itself. `path` is
    /// the system's bytes.
    void openStartFile(const std::string& path);

    bool sourceModified() const { return source_.modified(); }
    bool destinationModified() const { return destination_.modified(); }
    bool copyAllowed() const { return copyAllowed_; }
    QString sourcePath() const;
    QString sourceDirectory() const;
    QString destinationPath() const;
    QString destinationName() const;
    const Library* sourceLibrary() const { return source_.library(); }
    const Library* destinationLibrary() const { return destination_.library(); }
    /// The component the viewer shows, or none.
    const Component* shownComponent() const;

signals:
    /// Sent at the end of each `refreshControls`.
    void controlsRefreshed();

protected:
    /// Ends the window: hides it, then asks the save questions and frees both libraries. Runs
    /// once; a second call does nothing.
    void done(int result) override;
    /// Notes which events were handled since the last refresh, and applies the Delete key rule
    /// before the focused list sees the key.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    /// Whether a save wrote its file; a failure has already been shown to the user.
    enum class SaveOutcome { saved, failed, notWritten };

    void createControls();
    void runIdleRefresh();
    void noteHandledEvent(QObject* watched, QEvent* event);

    static const Component* selectedComponent(const SortedListBox& list, const Library* library);
    void showSelected(SortedListBox& list, const Library* library);
    bool removeSelected(SortedListBox& list, LibrarySession& session);
    /// Asks whatever `session` needs agreed before it writes over its file; whether it may.
    bool mayWriteOver(LibrarySession& session);
    /// Saves `session` once the user agrees to what it would write over; a failure is shown
    /// with `whatFailed` and the reason.
    SaveOutcome writeSession(LibrarySession& session, const QString& whatFailed);
    /// Before the library at `path` is opened to be changed: offers the backup that an
    /// interrupted save of it left, if any, and does what the user chose.
    void offerBackupOf(const std::string& path);
    /// Lets the viewer drop any component of the library `session` is about to replace or free.
    void releaseLibraryOf(const LibrarySession& session);

    void promptSaveSource();
    void promptSaveDestination();

    void locateDirectory();
    /// Fills the file list with the library files of `directory`, which ends in a separator.
    void listLibraryFiles(const std::string& directory);
    void openSelectedFile();
    void showSelectedSource();
    void deleteSelectedSource();
    SaveOutcome saveSource();

    QString chooseDestinationFile();
    void resetDestination();
    void loadDestination();
    SaveOutcome saveDestination();
    void clearDestination();
    void copyComponent();
    void refuseCopy(CopyVerdict verdict);
    void onLampTimer();
    void showSelectedDestination();
    void deleteSelectedDestination();

    UserDialogs& dialogs_;

    /// The library opened from the file list; "Update Library" writes only over a file that
    /// was read as a library.
    LibrarySession source_{LibrarySession::WritePolicy::onlyOverLibraryFile};
    /// The library assembled by copying; its file may be a new one.
    LibrarySession destination_{LibrarySession::WritePolicy::anyFile};
    bool copyAllowed_ = true;
    /// The located directory as the system's bytes, ending in a separator. The file list keeps
    /// each file's name bytes with its entry, since a name that is not valid UTF-8 shows only
    /// approximately and two such names may show alike.
    std::string sourceDirectory_;

    bool refreshPending_ = true;
    QPointF lastMousePosition_;
    bool closing_ = false;

    QPushButton* closeButton_ = nullptr;
    SortedListBox* fileList_ = nullptr;
    QPushButton* locateButton_ = nullptr;
    SortedListBox* sourceList_ = nullptr;
    ViewerPanel* viewerPanel_ = nullptr;
    QPushButton* updateButton_ = nullptr;
    SortedListBox* destinationList_ = nullptr;
    QPushButton* deleteDestinationButton_ = nullptr;
    QPushButton* copyButton_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QPushButton* deleteSourceButton_ = nullptr;
    QPushButton* loadButton_ = nullptr;
    QLineEdit* sourceCountField_ = nullptr;
    QLineEdit* destinationCountField_ = nullptr;
    QLabel* messageText_ = nullptr;
    StatusLight* statusLight_ = nullptr;
    QLineEdit* destinationNameField_ = nullptr;
    QPushButton* clearButton_ = nullptr;
    QTimer* lampTimer_ = nullptr;
    QAction* closeAction_ = nullptr;
    QAction* aboutAction_ = nullptr;
    ExportActions* exports_ = nullptr;
    /// The context menu, built once and kept: a menu made anew at each opening would leave
    /// screen readers holding the accessible objects of one already destroyed.
    QMenu* contextMenu_ = nullptr;
};
