// The source side of the main window: locating a directory, opening one of its libraries,
// showing and deleting its components, and writing it back.

#include "library.h"
#include "library_file_scan.h"
#include "library_manager_dialog.h"
#include "samples_directory.h"
#include "sorted_list_box.h"
#include "user_dialogs.h"
#include "viewer_panel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const char* const kNoLibraryFiles = "NO LIB FILES FOUND!";

}  // namespace

void LibraryManagerDialog::locateDirectory() {
    // The first time in the samples, so that a new user sees libraries at once; later where the
    // user last located.
    const QString start = sourceDirectory_.isEmpty() ? samplesDirectory() : sourceDirectory_;
    const QString picked = dialogs_.chooseFileInDirectory(this, start);
    if (picked.isEmpty()) return;

    fileList_->clear();
    const QString path = QFileInfo(picked).absoluteFilePath();
    sourceDirectory_ = path.left(path.lastIndexOf(QLatin1Char('/')) + 1);
    const auto names = findLibraryFiles(QFile::encodeName(sourceDirectory_).toStdString());
    for (const std::string& name : names) {
        fileList_->addSorted(QFile::decodeName(QByteArray::fromStdString(name)));
    }
    if (names.empty()) fileList_->addSorted(QString::fromLatin1(kNoLibraryFiles));
}

void LibraryManagerDialog::openSelectedFile() {
    promptSaveSource();
    sourcePath_ = sourceDirectory_ + fileList_->selectedText();
    if (sourceLibrary_) viewerPanel_->releaseComponentsOf(*sourceLibrary_);
    sourceLibrary_ = std::make_unique<Library>();
    sourceList_->clear();
    sourceFromLibraryFile_ =
        sourceLibrary_->load(QFile::encodeName(sourcePath_).toStdString(), *sourceList_);
    sourceModified_ = false;
}

void LibraryManagerDialog::showSelectedSource() {
    showSelected(*sourceList_, sourceLibrary_.get());
}

void LibraryManagerDialog::deleteSelectedSource() {
    if (!removeSelected(*sourceList_, sourceLibrary_.get())) return;
    showSelectedSource();
    sourceModified_ = true;
}

LibraryManagerDialog::SaveOutcome LibraryManagerDialog::saveSource() {
    if (!sourceLibrary_) return SaveOutcome::notWritten;
    if (!sourceFromLibraryFile_) {
        // Writing would create a stray file for the placeholder entry, or replace a file that
        // could not be read as a library, perhaps someone else's, by an empty library.
        dialogs_.reportFailure(
            this, tr("There is no library to update: \"%1\" could not be read as a library "
                     "file, so it was left as it is.")
                      .arg(QDir::toNativeSeparators(sourcePath_)));
        return SaveOutcome::notWritten;
    }
    const SaveResult result = sourceLibrary_->save(QFile::encodeName(sourcePath_).toStdString());
    if (!result) {
        // The library stays marked changed, so closing or opening another file offers it again.
        reportSaveFailure(tr("The source library was not saved."), result.reason);
        return SaveOutcome::failed;
    }
    sourceModified_ = false;
    return SaveOutcome::saved;
}
