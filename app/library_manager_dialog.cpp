#include "library_manager_dialog.h"

#include "about_dialog.h"
#include "app_icon.h"
#include "copy_refusal_texts.h"
#include "dialog_units.h"
#include "fitted_font.h"
#include "focus_style.h"
#include "lamp_images.h"
#include "library.h"
#include "sorted_list_box.h"
#include "status_light.h"
#include "user_dialogs.h"
#include "viewer_panel.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFile>
#include <QFontMetrics>
#include <QHoverEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>

namespace {

const char* const kTitle = "Protel Autotrax Library Manager";
const char* const kSourceQuestion = "Source library has changed.\n\nSave it?";
const char* const kDestinationQuestion = "Destination library has changed.\n\nSave it?";

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

    setWindowIcon(applicationIcon());
    destinationLibrary_ = std::make_unique<Library>();

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

void LibraryManagerDialog::refreshControls() {
    sourceCount_ = sourceList_->count();
    setTextIfChanged(sourceCountField_, QString::number(sourceCount_));
    destinationCount_ = destinationList_->count();
    setTextIfChanged(destinationCountField_, QString::number(destinationCount_));
    const bool sourceSelected = sourceList_->selectedRow() >= 0;
    setEnabledIfChanged(deleteSourceButton_, sourceSelected);
    setEnabledIfChanged(copyButton_, sourceSelected && copyAllowed_);
    setEnabledIfChanged(updateButton_, !sourcePath_.isEmpty());
    setEnabledIfChanged(deleteDestinationButton_, destinationList_->selectedRow() >= 0);
    setEnabledIfChanged(clearButton_, destinationList_->count() > 0);
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
    QMenu menu(this);
    menu.addAction(closeAction_);
    menu.addSeparator();
    menu.addAction(aboutAction_);
    menu.exec(event->globalPos());
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
    sourceLibrary_.reset();
    destinationLibrary_.reset();
}

void LibraryManagerDialog::promptSaveSource() {
    // A failed save has been explained; asking again lets the user retry or give up.
    while (sourceModified_ && dialogs_.askYesNo(this, QString::fromLatin1(kSourceQuestion))) {
        if (saveSource() != SaveOutcome::failed) return;
    }
}

void LibraryManagerDialog::promptSaveDestination() {
    while (destinationModified_ &&
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

bool LibraryManagerDialog::removeSelected(SortedListBox& list, Library* library) {
    const int row = list.selectedRow();
    const Component* component = selectedComponent(list, library);
    if (!component) return false;
    if (viewerPanel_->shown() == component) viewerPanel_->clearComponent();
    if (!library->remove(component)) return false;
    list.removeRow(row);
    list.selectRow(row);  // the entry that followed, if any
    return true;
}

void LibraryManagerDialog::reportSaveFailure(const QString& what, const std::string& reason) {
    dialogs_.reportFailure(this, what + QStringLiteral("\n\n") + QString::fromStdString(reason));
}
