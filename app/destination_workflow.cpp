// The destination side of the main window: choosing, loading, saving and clearing the
// destination library, copying components into it with the lamp that shows a refusal, and
// showing and deleting its components.

#include "accessibility.h"
#include "copy_refusal_texts.h"
#include "library.h"
#include "library_format.h"
#include "library_manager_dialog.h"
#include "sorted_list_box.h"
#include "status_light.h"
#include "user_dialogs.h"
#include "viewer_panel.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {

const char* const kLoadQuestion =
    "Opening a new destination library will clear the current contents. \n\nContinue?";
const char* const kClearQuestion = "Do you really intend to clear the destination library data?";

constexpr int kLampIdle = 1;
constexpr int kLampFull = 2;
constexpr int kLampDuplicate = 3;

}  // namespace

QString LibraryManagerDialog::chooseDestinationFile() {
    QString start = sourceDirectory_;
    if (!destinationPath_.isEmpty()) start = QFileInfo(destinationPath_).absolutePath();
    const QString path = dialogs_.chooseLibraryFile(this, start);
    if (path.isEmpty()) return {};

    destinationPath_ = path;
    // The shown name gets ".LIB" when the path has no extension; the path itself keeps none.
    QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    if (!name.contains(QLatin1Char('.'))) name += QStringLiteral(".LIB");
    destinationName_ = name;
    destinationNameField_->setText(destinationName_);
    return destinationName_;
}

void LibraryManagerDialog::resetDestination() {
    if (destinationLibrary_) viewerPanel_->releaseComponentsOf(*destinationLibrary_);
    destinationLibrary_ = std::make_unique<Library>();
    destinationList_->clear();
    destinationModified_ = true;
}

void LibraryManagerDialog::loadDestination() {
    // Copies not yet saved are only dropped after a warning, also before any file was chosen.
    if ((!destinationPath_.isEmpty() || destinationModified_) &&
        !dialogs_.askYesNo(this, QString::fromLatin1(kLoadQuestion))) {
        return;
    }
    if (chooseDestinationFile().isEmpty()) return;
    resetDestination();
    destinationLibrary_->load(QFile::encodeName(destinationPath_).toStdString(), *destinationList_);
    destinationModified_ = false;
}

LibraryManagerDialog::SaveOutcome LibraryManagerDialog::saveDestination() {
    if (destinationPath_.isEmpty()) chooseDestinationFile();
    if (destinationPath_.isEmpty() || !destinationLibrary_) return SaveOutcome::notWritten;
    const SaveResult result =
        destinationLibrary_->save(QFile::encodeName(destinationPath_).toStdString());
    if (!result) {
        reportSaveFailure(tr("The destination library was not saved."), result.reason);
        return SaveOutcome::failed;
    }
    destinationModified_ = false;
    return SaveOutcome::saved;
}

void LibraryManagerDialog::clearDestination() {
    if (destinationList_->count() == 0) return;
    if (!dialogs_.askYesNo(this, QString::fromLatin1(kClearQuestion))) return;
    resetDestination();
}

void LibraryManagerDialog::copyComponent() {
    // The order of the checks matters: a full destination is reported before anything else.
    if (!sourceLibrary_) return;
    if (destinationCount_ >= static_cast<int>(kSlotCount)) {
        refuseCopy(kLampFull, QString::fromLatin1(kTooManyComponentsText));
        return;
    }
    const Component* component = selectedComponent(*sourceList_, sourceLibrary_.get());
    if (!component) return;
    if (destinationLibrary_->findByName(component->displayName())) {
        refuseCopy(kLampDuplicate, QString::fromLatin1(kAlreadyExistsText));
        return;
    }
    destinationLibrary_->addCopy(*component, *destinationList_);
    destinationModified_ = true;
}

void LibraryManagerDialog::refuseCopy(int lampState, const QString& message) {
    statusLight_->setState(lampState);
    messageText_->setText(message);
    announce(messageText_);
    lampTimer_->start();
    // Disabling the focused button would hand the focus to "Save Library File", where Enter
    // would then save; the list the user copies from is the better place for it.
    if (copyButton_->hasFocus()) sourceList_->setFocus();
    copyButton_->setEnabled(false);
    copyAllowed_ = false;
}

void LibraryManagerDialog::onLampTimer() {
    statusLight_->setState(kLampIdle);
    messageText_->clear();
    lampTimer_->stop();
    // The refresh that follows enables the button again when a source component is selected.
    copyButton_->setEnabled(false);
    copyAllowed_ = true;
}

void LibraryManagerDialog::showSelectedDestination() {
    showSelected(*destinationList_, destinationLibrary_.get());
}

void LibraryManagerDialog::deleteSelectedDestination() {
    if (!removeSelected(*destinationList_, destinationLibrary_.get())) return;
    showSelectedDestination();
    destinationModified_ = true;
}
