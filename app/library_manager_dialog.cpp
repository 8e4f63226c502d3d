// The main window: its controls, the refresh that keeps counters and buttons current, and the
// handlers of the source side (locating a directory, opening, showing, deleting and writing back
// its libraries) and the destination side (choosing, loading, saving and clearing the library
// being assembled, copying into it with the lamp that shows a refusal). The rules those handlers
// follow live in the two library sessions; what stays here is how the window shows them.

#include "library_manager_dialog.h"

#include "about_dialog.h"
#include "accessibility.h"
#include "app_icon.h"
#include "copy_refusal_texts.h"
#include "dialog_units.h"
#include "export_actions.h"
#include "failure_message.h"
#include "file_name_text.h"
#include "fitted_font.h"
#include "focus_style.h"
#include "lamp_images.h"
#include "library.h"
#include "library_file_scan.h"
#include "library_recovery.h"
#include "samples_directory.h"
#include "sorted_list_box.h"
#include "status_light.h"
#include "user_dialogs.h"
#include "viewer_panel.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHoverEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>

#include <chrono>
#include <filesystem>
#include <optional>
#include <system_error>

namespace {

const char* const kTitle = "Protel Autotrax Library Manager";
const char* const kSourceQuestion = "Source library has changed.\n\nSave it?";
const char* const kDestinationQuestion = "Destination library has changed.\n\nSave it?";
const char* const kLoadQuestion =
    "Opening a new destination library will clear the current contents. \n\nContinue?";
const char* const kClearQuestion = "Do you really intend to clear the destination library data?";
const char* const kNoLibraryFiles = "NO LIB FILES FOUND!";
const char* const kReplaceExistingQuestion = "%1 already exists.\n\nReplace it?";
const char* const kReplaceNonLibraryQuestion =
    "%1 is not a library file.\n\nReplace it with the destination library?";
const char* const kChangedOnDiskQuestion =
    "%1 was changed by another program since it was opened.\n\nReplace it?";
const char* const kBusyQuestion = "Another program is writing %1.\n\nTry again?";
/// How long a save waits for another program writing the file before asking.
constexpr std::chrono::milliseconds kLockWait{1500};
const char* const kChangedSinceSavedQuestion =
    "%1 was changed by another program since it was last saved.\n\nReplace it?";
const char* const kBackupQuestion =
    "A save of %1 was interrupted, so the file may be incomplete. A backup beside it holds the "
    "library as it was before that save.\n\nRestore the library from the backup?";

std::string toPath(const QString& path) { return QFile::encodeName(path).toStdString(); }
QString fromPath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

/// The name a question calls a file by: the last part of its path, as it is on disk.
QString fileNameOf(const std::string& path) { return fromPath(path.substr(path.rfind('/') + 1)); }

/// Places `control` at a rectangle given in dialog units and names it for tests and tools; `id`
/// 0 marks a control without an id of its own.
template <typename Control>
Control* place(Control* control, const DialogUnits& units, QRect rectInUnits, int id,
               const char* objectName) {
    control->setGeometry(
        units.rect(rectInUnits.x(), rectInUnits.y(), rectInUnits.width(), rectInUnits.height()));
    control->setObjectName(QString::fromLatin1(objectName));
    if (id != 0) control->setProperty("controlId", id);
    return control;
}

QLabel* makeLabel(QWidget* parent, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

QLineEdit* makeReadOnlyField(QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setReadOnly(true);
    return field;
}

void setEnabledIfChanged(QWidget* control, bool enabled) {
    if (control->isEnabled() != enabled) control->setEnabled(enabled);
}

void setTextIfChanged(QLineEdit* field, const QString& text) {
    if (field->text() != text) field->setText(text);
}

}  // namespace

LibraryManagerDialog::LibraryManagerDialog(UserDialogs& dialogs, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs) {
    // A main window of its own: title bar with a close box, no minimise or maximise box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    createControls();

    closeAction_ = new QAction(tr("&Close"), this);
    connect(closeAction_, &QAction::triggered, this, &QDialog::reject);
    aboutAction_ = new QAction(tr("&About Cobblestack..."), this);
    aboutAction_->setShortcut(QKeySequence(Qt::Key_F1));
    aboutAction_->setShortcutVisibleInContextMenu(true);
    connect(aboutAction_, &QAction::triggered, this, &LibraryManagerDialog::showAboutBox);
    addAction(aboutAction_);  // so that F1 works anywhere in the window
    exports_ = new ExportActions(*this, dialogs_, source_, destination_);
    // What the user comes for first, the program's own entries last, Close apart from the rest.
    contextMenu_ = new QMenu(this);
    contextMenu_->setObjectName(QStringLiteral("contextMenu"));
    contextMenu_->addAction(exports_->exportComponent());
    contextMenu_->addAction(exports_->exportSourceLibrary());
    contextMenu_->addAction(exports_->exportDestinationLibrary());
    contextMenu_->addAction(exports_->savePicture());
    contextMenu_->addSeparator();
    contextMenu_->addAction(aboutAction_);
    contextMenu_->addSeparator();
    contextMenu_->addAction(closeAction_);

    setWindowIcon(applicationIcon());
    destination_.startEmpty();

    for (QWidget* button : {updateButton_, deleteSourceButton_, copyButton_, clearButton_,
                            deleteDestinationButton_}) {
        button->setEnabled(false);
    }
    messageText_->clear();
    setWindowTitle(QString::fromLatin1(kTitle));

    lampTimer_ = new QTimer(this);
    lampTimer_->setSingleShot(true);
    lampTimer_->setTimerType(Qt::PreciseTimer);
    lampTimer_->setInterval(1200);
    connect(lampTimer_, &QTimer::timeout, this, &LibraryManagerDialog::onLampTimer);

    connect(closeButton_, &QPushButton::clicked, this, &QDialog::accept);
    connect(locateButton_, &QPushButton::clicked, this, &LibraryManagerDialog::locateDirectory);
    connect(updateButton_, &QPushButton::clicked, this, [this] { saveSource(); });
    connect(deleteSourceButton_, &QPushButton::clicked, this,
            &LibraryManagerDialog::deleteSelectedSource);
    connect(copyButton_, &QPushButton::clicked, this, &LibraryManagerDialog::copyComponent);
    connect(deleteDestinationButton_, &QPushButton::clicked, this,
            &LibraryManagerDialog::deleteSelectedDestination);
    connect(clearButton_, &QPushButton::clicked, this, &LibraryManagerDialog::clearDestination);
    connect(loadButton_, &QPushButton::clicked, this, &LibraryManagerDialog::loadDestination);
    connect(saveButton_, &QPushButton::clicked, this, [this] { saveDestination(); });
    connect(fileList_, &SortedListBox::itemSelectionChanged, this, [this] {
        // Qt lets a click beside the entries take the selection away; that opens nothing.
        if (fileList_->selectedRow() >= 0) openSelectedFile();
    });
    connect(sourceList_, &SortedListBox::itemSelectionChanged, this,
            &LibraryManagerDialog::showSelectedSource);
    connect(destinationList_, &SortedListBox::itemSelectionChanged, this,
            &LibraryManagerDialog::showSelectedDestination);

    // The refresh runs when the loop is about to wait, and only if something was handled since
    // the last one, so that an idle window lets the loop sleep.
    connect(QAbstractEventDispatcher::instance(thread()), &QAbstractEventDispatcher::aboutToBlock,
            this, &LibraryManagerDialog::runIdleRefresh);
    qApp->installEventFilter(this);
}

LibraryManagerDialog::~LibraryManagerDialog() {
    qApp->removeEventFilter(this);
    viewerPanel_->clearComponent(false);
}

void LibraryManagerDialog::createControls() {
    const DialogUnits units{QFontMetrics(font())};
    setFixedSize(units.size(537, 265));

    // Created in tab order; the labels, the viewer and the lamp take no focus.
    closeButton_ =
        place(new QPushButton(tr("Close"), this), units, {7, 242, 87, 16}, 1, "closeButton");
    closeButton_->setDefault(true);
    fileList_ = place(new SortedListBox(this), units, {7, 7, 87, 212}, 1001, "fileList");
    locateButton_ = place(new QPushButton(tr("Locate Directory"), this), units, {7, 223, 87, 16},
                          1002, "locateButton");
    sourceList_ = place(new SortedListBox(this), units, {104, 43, 75, 176}, 1003, "sourceList");
    auto* componentsLabel = place(makeLabel(this, tr("Library Components")), units,
                                  {105, 7, 75, 15}, 0, "libraryComponentsLabel");
    viewerPanel_ = place(new ViewerPanel(this), units, {189, 7, 258, 232}, 1004, "viewerPanel");
    updateButton_ = place(new QPushButton(tr("Update Library"), this), units, {104, 223, 75, 16},
                          1005, "updateButton");
    destinationList_ =
        place(new SortedListBox(this), units, {453, 43, 75, 139}, 1006, "destinationList");
    deleteDestinationButton_ = place(new QPushButton(tr("Delete Component"), this), units,
                                     {453, 242, 75, 16}, 1007, "deleteDestinationButton");
    copyButton_ = place(new QPushButton(tr("Copy Component to Destination Library"), this), units,
                        {189, 242, 258, 16}, 1008, "copyButton");
    saveButton_ = place(new QPushButton(tr("Save Library File"), this), units, {453, 203, 75, 16},
                        1009, "saveButton");
    deleteSourceButton_ = place(new QPushButton(tr("Delete Component"), this), units,
                                {104, 242, 75, 16}, 1010, "deleteSourceButton");
    loadButton_ = place(new QPushButton(tr("Load Library"), this), units, {453, 223, 49, 16}, 1011,
                        "loadButton");
    sourceCountField_ =
        place(makeReadOnlyField(this), units, {151, 26, 26, 12}, 1000, "sourceCountField");
    auto* sourceCountLabel =
        place(makeLabel(this, tr("Components:")), units, {105, 26, 43, 12}, 0, "sourceCountLabel");
    destinationCountField_ =
        place(makeReadOnlyField(this), units, {503, 26, 26, 12}, 1012, "destinationCountField");
    auto* destinationCountLabel = place(makeLabel(this, tr("Components:")), units,
                                        {453, 26, 43, 12}, 0, "destinationCountLabel");
    messageText_ =
        place(makeLabel(this, tr("Duplicate!")), units, {453, 7, 58, 15}, 1014, "messageText");
    statusLight_ =
        place(new StatusLight(kIdleLampImage, kFullLampImage, kDuplicateLampImage, 0, this), units,
              {515, 8, 15, 13}, 1013, "statusLight");
    destinationNameField_ =
        place(makeReadOnlyField(this), units, {453, 186, 75, 14}, 1015, "destinationNameField");
    clearButton_ =
        place(new QPushButton(tr("Clear"), this), units, {505, 223, 24, 16}, 1016, "clearButton");

    const QList<QWidget*> tabOrder = {closeButton_,
                                      fileList_,
                                      locateButton_,
                                      sourceList_,
                                      updateButton_,
                                      destinationList_,
                                      deleteDestinationButton_,
                                      copyButton_,
                                      saveButton_,
                                      deleteSourceButton_,
                                      loadButton_,
                                      sourceCountField_,
                                      destinationCountField_,
                                      destinationNameField_,
                                      clearButton_};
    for (qsizetype i = 1; i < tabOrder.size(); ++i) setTabOrder(tabOrder[i - 1], tabOrder[i]);

    // Some desktop fonts are a little wider than the message's control; a pixel smaller is better
    // than a cut-off refusal. One pixel is kept free at the right, before the lamp.
    messageText_->setFont(fontFittingWidth(
        messageText_->font(),
        {QString::fromLatin1(kTooManyComponentsText), QString::fromLatin1(kAlreadyExistsText)},
        messageText_->contentsRect().width() - 1));

    // The lists and buttons show plainly which of them has the keyboard focus.
    auto* focusStyle = new FocusStyle;
    focusStyle->setParent(this);
    for (QWidget* control : tabOrder) {
        if (qobject_cast<SortedListBox*>(control) || qobject_cast<QPushButton*>(control)) {
            control->setStyle(focusStyle);
        }
    }

    // Names a screen reader can tell apart where a control has no caption of its own.
    componentsLabel->setBuddy(sourceList_);
    sourceCountLabel->setBuddy(sourceCountField_);
    destinationCountLabel->setBuddy(destinationCountField_);
    fileList_->setAccessibleName(tr("Library files"));
    sourceList_->setAccessibleName(tr("Source library components"));
    destinationList_->setAccessibleName(tr("Destination library components"));
    sourceCountField_->setAccessibleName(tr("Source components"));
    destinationCountField_->setAccessibleName(tr("Destination components"));
    destinationNameField_->setAccessibleName(tr("Destination file"));
    viewerPanel_->setAccessibleName(tr("Component viewer"));
    statusLight_->setAccessibleName(tr("Copy status lamp"));
    // The message names itself by its text, so a screen reader reads the refusal it shows.
    messageText_->setAccessibleDescription(tr("Copy status"));
    deleteSourceButton_->setAccessibleName(tr("Delete Component from source library"));
    deleteDestinationButton_->setAccessibleName(tr("Delete Component from destination library"));
}

const Component* LibraryManagerDialog::shownComponent() const { return viewerPanel_->shown(); }

QString LibraryManagerDialog::sourcePath() const { return fromPath(source_.path()); }

QString LibraryManagerDialog::sourceDirectory() const { return fromPath(sourceDirectory_); }

QString LibraryManagerDialog::destinationPath() const { return fromPath(destination_.path()); }

QString LibraryManagerDialog::destinationName() const { return fromPath(destination_.fileName()); }

void LibraryManagerDialog::refreshControls() {
    // The lists show the sessions' libraries, entry for component, so their counts are the
    // libraries' sizes.
    setTextIfChanged(sourceCountField_, QString::number(source_.componentCount()));
    setTextIfChanged(destinationCountField_, QString::number(destination_.componentCount()));
    const bool sourceSelected = sourceList_->selectedRow() >= 0;
    setEnabledIfChanged(deleteSourceButton_, sourceSelected);
    setEnabledIfChanged(copyButton_, sourceSelected && copyAllowed_);
    setEnabledIfChanged(updateButton_, !source_.path().empty());
    setEnabledIfChanged(deleteDestinationButton_, destinationList_->selectedRow() >= 0);
    setEnabledIfChanged(clearButton_, destination_.componentCount() > 0);
    emit controlsRefreshed();
}

void LibraryManagerDialog::runIdleRefresh() {
    if (!refreshPending_) return;
    refreshControls();
    // Cleared afterwards: what the refresh itself set off needs no second refresh.
    refreshPending_ = false;
}

bool LibraryManagerDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete &&
        watched == QApplication::focusWidget()) {
        // Only on the way to the focused control, not again as the key travels up to the window.
        if (watched == sourceList_) {
            deleteSelectedSource();
        } else if (watched == destinationList_) {
            deleteSelectedDestination();
        }
    }
    noteHandledEvent(watched, event);
    return false;  // the key goes on to the control and the window as usual
}

void LibraryManagerDialog::noteHandledEvent(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::Paint:
        case QEvent::UpdateRequest:
        case QEvent::UpdateLater:
            return;
        case QEvent::Timer:
            // The text cursor's blink; every other timer counts, the lamp's included.
            if (qobject_cast<QLineEdit*>(watched)) return;
            break;
        case QEvent::MouseMove: {
            const QPointF position = static_cast<QMouseEvent*>(event)->globalPosition();
            if (position == lastMousePosition_) return;
            lastMousePosition_ = position;
            break;
        }
        case QEvent::HoverMove: {
            const auto* hover = static_cast<QHoverEvent*>(event);
            if (hover->position() == hover->oldPosF()) return;
            break;
        }
        default:
            break;
    }
    refreshPending_ = true;
}

void LibraryManagerDialog::contextMenuEvent(QContextMenuEvent* event) {
    // Stands in for the window menu, which a program cannot extend on every desktop.
    const QRect panel = viewerPanel_->contentsRect();
    exports_->update(viewerPanel_->shown(), panel.width(), panel.height());
    exports_->setStartDirectory(sourceDirectory());
    contextMenu_->exec(event->globalPos());
}

void LibraryManagerDialog::showAboutBox() {
    AboutDialog box(this);
    box.exec();
}

void LibraryManagerDialog::done(int result) {
    if (closing_) return;
    closing_ = true;
    lampTimer_->stop();
    QDialog::done(result);  // hidden now, and the modal run ends once this returns
    promptSaveSource();
    promptSaveDestination();
    // The window is gone from the screen, so the viewer is cleared without a repaint.
    viewerPanel_->clearComponent(false);
    source_.close();
    destination_.close();
}

void LibraryManagerDialog::promptSaveSource() {
    // A failed save has been explained; asking again lets the user retry or give up.
    while (source_.modified() && dialogs_.askYesNo(this, QString::fromLatin1(kSourceQuestion))) {
        if (saveSource() != SaveOutcome::failed) return;
    }
}

void LibraryManagerDialog::promptSaveDestination() {
    while (destination_.modified() &&
           dialogs_.askYesNo(this, QString::fromLatin1(kDestinationQuestion))) {
        if (saveDestination() != SaveOutcome::failed) return;
    }
}

const Component* LibraryManagerDialog::selectedComponent(const SortedListBox& list,
                                                         const Library* library) {
    if (list.selectedRow() < 0 || !library) return nullptr;
    return library->findByName(list.selectedName());
}

void LibraryManagerDialog::showSelected(SortedListBox& list, const Library* library) {
    if (const Component* component = selectedComponent(list, library)) {
        viewerPanel_->showComponent(component);
    }
    list.setFocus();  // so that the Delete key acts on this list next
}

bool LibraryManagerDialog::removeSelected(SortedListBox& list, LibrarySession& session) {
    const int row = list.selectedRow();
    const Component* component = selectedComponent(list, session.library());
    if (!component) return false;
    if (viewerPanel_->shown() == component) viewerPanel_->clearComponent();
    if (!session.remove(component)) return false;
    list.removeRow(row);
    list.selectRow(row);  // the entry that followed, if any
    return true;
}

bool LibraryManagerDialog::mayWriteOver(LibrarySession& session) {
    const char* question = nullptr;
    switch (session.questionBeforeSave()) {
        case LibrarySession::SaveQuestion::none:
            return true;
        case LibrarySession::SaveQuestion::replaceExisting:
            question = kReplaceExistingQuestion;
            break;
        case LibrarySession::SaveQuestion::replaceNonLibrary:
            question = kReplaceNonLibraryQuestion;
            break;
        case LibrarySession::SaveQuestion::changedOnDisk:
            question =
                session.lastWroteFile() ? kChangedSinceSavedQuestion : kChangedOnDiskQuestion;
            break;
    }
    // Yes writes over a file, so Enter alone must not give it.
    if (!dialogs_.askYesNoDefaultNo(
            this, QString::fromLatin1(question).arg(fileNameOf(session.path())))) {
        return false;
    }
    session.allowReplacing();
    return true;
}

LibraryManagerDialog::SaveOutcome LibraryManagerDialog::writeSession(LibrarySession& session,
                                                                     const QString& whatFailed) {
    for (;;) {
        // No leaves the file as it is and the library marked changed, so it is offered again.
        if (!mayWriteOver(session)) return SaveOutcome::notWritten;
        const SessionSave result = session.save(kLockWait);
        if (result) {
            // Saved, but without something the old file had (a user attribute the system
            // refused): the user should know.
            if (!result.note.empty()) {
                dialogs_.inform(this,
                                failureMessage(tr("%1 was saved.").arg(fileNameOf(session.path())),
                                               result.note, session.path()));
            }
            return SaveOutcome::saved;
        }
        // A change the save found with the lock held is asked about like any other.
        if (result.changed) continue;
        if (result.busy) {
            const QString question =
                QString::fromLatin1(kBusyQuestion).arg(fileNameOf(session.path()));
            if (dialogs_.askYesNoDefaultNo(this, question)) continue;
            return SaveOutcome::failed;
        }
        // The library stays marked changed, so closing or opening another file offers it again.
        dialogs_.reportFailure(this,
                               failureMessage(whatFailed, result.reason,
                                              result.path.empty() ? session.path() : result.path));
        return SaveOutcome::failed;
    }
}

void LibraryManagerDialog::offerBackupOf(const std::string& path) {
    const std::optional<std::string> backup = backupToOffer(path);
    if (!backup) return;
    const BackupChoice choice =
        dialogs_.askAboutBackup(this, QString::fromLatin1(kBackupQuestion).arg(fileNameOf(path)));
    const SaveResult settled = settleBackup(path, *backup, choice, kLockWait);
    if (settled) return;
    // What is there is opened all the same, and the backup is offered again next time.
    const QString whatFailed = choice == BackupChoice::restore
                                   ? tr("The backup of %1 was not restored.")
                                   : tr("The backup of %1 was not removed.");
    dialogs_.reportFailure(this,
                           failureMessage(whatFailed.arg(fileNameOf(path)), settled.reason, path));
}

void LibraryManagerDialog::releaseLibraryOf(const LibrarySession& session) {
    if (const Library* library = session.library()) viewerPanel_->releaseComponentsOf(*library);
}

// The source side.

void LibraryManagerDialog::locateDirectory() {
    // The first time in the samples, so that a new user sees libraries at once; later where the
    // user last located.
    const QString start = sourceDirectory_.empty() ? samplesDirectory() : sourceDirectory();
    const QString picked = dialogs_.chooseFileInDirectory(this, start);
    if (picked.isEmpty()) return;

    const std::string path = toPath(QFileInfo(picked).absoluteFilePath());
    listLibraryFiles(path.substr(0, path.rfind('/') + 1));
}

void LibraryManagerDialog::listLibraryFiles(const std::string& directory) {
    fileList_->clear();
    sourceDirectory_ = directory;
    const auto names = findLibraryFiles(sourceDirectory_);
    for (const std::string& name : names) {
        // The tooltip gives the whole path, which a narrow list may cut short.
        fileList_->addSorted(fileNameText(name), QByteArray::fromStdString(name))
            ->setToolTip(QDir::toNativeSeparators(fileNameText(sourceDirectory_ + name)));
    }
    // The placeholder carries no file name, so that choosing it never reads a file, not even
    // one of its name that appeared after the scan.
    if (names.empty()) fileList_->addSorted(QString::fromLatin1(kNoLibraryFiles), QByteArray());
}

void LibraryManagerDialog::openStartFile(const std::string& path) {
    // Made absolute on the bytes themselves, since a name that is not valid UTF-8 would not
    // survive a detour through QString.
    std::string absolute =
        std::filesystem::absolute(std::filesystem::path(path)).lexically_normal().string();
    std::error_code error;
    if (std::filesystem::is_directory(absolute, error)) {
        // A folder is what Locate Directory asks for: it is listed, and nothing is opened.
        if (absolute.back() != '/') absolute += '/';
        listLibraryFiles(absolute);
        return;
    }
    const std::size_t slash = absolute.rfind('/');
    const std::string name = absolute.substr(slash + 1);
    // Before the file is looked at: a save that was interrupted may have left it too short to
    // read as a library.
    offerBackupOf(absolute);
    const std::string problem = libraryFileProblem(absolute);
    if (std::filesystem::is_directory(absolute.substr(0, slash + 1), error)) {
        listLibraryFiles(absolute.substr(0, slash + 1));
    }
    if (!problem.empty()) {
        dialogs_.reportFailure(
            this, failureMessage(
                      tr("%1 was not opened.").arg(QDir::toNativeSeparators(fromPath(absolute))),
                      problem));
        return;
    }
    // A library the scan does not list (a save's hidden temporary) opens all the same.
    fileList_->selectRow(fileList_->rowOfData(QByteArray::fromStdString(name)));
    releaseLibraryOf(source_);
    source_.open(absolute, *sourceList_);
}

void LibraryManagerDialog::openSelectedFile() {
    // Opened by the bytes the scan found, never by the shown text, which may not spell them.
    const std::string name = fileList_->selectedData().toStdString();
    promptSaveSource();
    releaseLibraryOf(source_);
    if (name.empty()) {
        // The placeholder: an empty source library, at the path its text forms, that "Update
        // Library" refuses to write since no library was read there.
        sourceList_->clear();
        source_.startEmpty();
        source_.setPath(sourceDirectory_ + kNoLibraryFiles);
        return;
    }
    // "Update Library" writes the file back, so a backup an interrupted save left is offered
    // before the file is read.
    offerBackupOf(sourceDirectory_ + name);
    source_.open(sourceDirectory_ + name, *sourceList_);
}

void LibraryManagerDialog::showSelectedSource() { showSelected(*sourceList_, source_.library()); }

void LibraryManagerDialog::deleteSelectedSource() {
    if (removeSelected(*sourceList_, source_)) showSelectedSource();
}

LibraryManagerDialog::SaveOutcome LibraryManagerDialog::saveSource() {
    if (!source_.hasLibrary()) return SaveOutcome::notWritten;
    if (source_.refusesToWrite()) {
        // Writing would create a stray file for the placeholder entry, or replace a file that
        // could not be read as a library, perhaps someone else's, by an empty library.
        dialogs_.reportFailure(
            this, tr("There is no library to update: \"%1\" could not be read as a library "
                     "file, so it was left as it is.")
                      .arg(QDir::toNativeSeparators(sourcePath())));
        return SaveOutcome::notWritten;
    }
    return writeSession(source_, tr("The source library was not saved."));
}

// The destination side.

QString LibraryManagerDialog::chooseDestinationFile() {
    QString start = sourceDirectory();
    if (!destination_.path().empty()) start = QFileInfo(destinationPath()).absolutePath();
    const QString path = dialogs_.chooseLibraryFile(this, start);
    if (path.isEmpty()) return {};

    destination_.setPath(toPath(path));
    return destinationName();
}

void LibraryManagerDialog::resetDestination() {
    releaseLibraryOf(destination_);
    destination_.clear();
    destinationList_->clear();
}

void LibraryManagerDialog::loadDestination() {
    // Copies not yet saved are only dropped after a warning, also before any file was chosen.
    if ((!destination_.path().empty() || destination_.modified()) &&
        !dialogs_.askYesNo(this, QString::fromLatin1(kLoadQuestion))) {
        return;
    }
    if (chooseDestinationFile().isEmpty()) return;
    destinationNameField_->setText(destinationName());
    releaseLibraryOf(destination_);
    offerBackupOf(destination_.path());
    // A file that does not exist yet gives an empty library, which is how a new one is started.
    destination_.open(destination_.path(), *destinationList_);
}

LibraryManagerDialog::SaveOutcome LibraryManagerDialog::saveDestination() {
    const bool choosingNow = destination_.path().empty();
    if (choosingNow) chooseDestinationFile();
    if (destination_.refusesToWrite()) return SaveOutcome::notWritten;
    const SaveOutcome outcome =
        writeSession(destination_, tr("The destination library was not saved."));
    // The field names the file the destination is saved as, so a file picked now shows only
    // once the user has not turned it down.
    if (choosingNow && outcome == SaveOutcome::notWritten) {
        // The user would not replace the file just picked: the next save asks for a file again
        // rather than asking about this one.
        destination_.setPath({});
    } else if (choosingNow) {
        destinationNameField_->setText(destinationName());
    }
    return outcome;
}

void LibraryManagerDialog::clearDestination() {
    if (destination_.componentCount() == 0) return;
    if (!dialogs_.askYesNo(this, QString::fromLatin1(kClearQuestion))) return;
    resetDestination();
}

void LibraryManagerDialog::copyComponent() {
    if (!source_.hasLibrary()) return;
    const Component* component = selectedComponent(*sourceList_, source_.library());
    // A full destination is reported before anything else, a missing selection included.
    if (destination_.full()) {
        refuseCopy(CopyVerdict::full);
        return;
    }
    if (!component) return;
    const CopyVerdict verdict = destination_.copyIn(*component, *destinationList_);
    if (verdict != CopyVerdict::allowed) refuseCopy(verdict);
}

void LibraryManagerDialog::refuseCopy(CopyVerdict verdict) {
    // No file could hold the library with one more component either way: too many components,
    // or records beyond the reach of the record index.
    const bool full = verdict != CopyVerdict::duplicate;
    statusLight_->setState(full ? LampState::full : LampState::duplicate);
    messageText_->setText(QString::fromLatin1(full ? kTooManyComponentsText : kAlreadyExistsText));
    announce(messageText_);
    lampTimer_->start();
    // Disabling the focused button would hand the focus to "Save Library File", where Enter
    // would then save; the list the user copies from is the better place for it.
    if (copyButton_->hasFocus()) sourceList_->setFocus();
    copyButton_->setEnabled(false);
    copyAllowed_ = false;
}

void LibraryManagerDialog::onLampTimer() {
    statusLight_->setState(LampState::idle);
    messageText_->clear();
    lampTimer_->stop();
    // The refresh that follows enables the button again when a source component is selected.
    copyButton_->setEnabled(false);
    copyAllowed_ = true;
}

void LibraryManagerDialog::showSelectedDestination() {
    showSelected(*destinationList_, destination_.library());
}

void LibraryManagerDialog::deleteSelectedDestination() {
    if (removeSelected(*destinationList_, destination_)) showSelectedDestination();
}
