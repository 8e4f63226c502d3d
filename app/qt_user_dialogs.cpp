#include "qt_user_dialogs.h"

#include "file_io.h"
#include "library_format.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTreeView>

namespace {

/// Large enough that names, sizes, types and dates are shown whole beside the places list.
constexpr QSize kFileDialogSize{900, 560};
constexpr int kNameColumnWidth = 300;
constexpr int kSizeColumnWidth = 90;
constexpr int kTypeColumnWidth = 190;

/// Names library files by what they are in the dialog's type column, known by their signature
/// like the directory scan knows them, whatever the system's file types say.
class LibraryTypeProvider final : public QFileIconProvider {
public:
    QString type(const QFileInfo& info) const override {
        if (info.isFile()) {
            const auto header = readFilePrefix(
                QFile::encodeName(info.absoluteFilePath()).toStdString(), kHeaderSize);
            if (header && hasLibrarySignature(*header)) {
                return QStringLiteral("Autotrax component library");
            }
        }
        return QFileIconProvider::type(info);
    }
};

LibraryTypeProvider& libraryTypeProvider() {
    static LibraryTypeProvider provider;
    return provider;
}

/// Sets up an open-file dialog that accepts any name, also one typed that does not exist yet, and
/// starts in `directory` when it exists (the dialog would otherwise take its last part for a file
/// name to select).
void prepareOpenDialog(QFileDialog& dialog, const QString& directory, const QString& title) {
    if (!directory.isEmpty() && QDir(directory).exists()) dialog.setDirectory(directory);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setWindowTitle(title);
    dialog.setIconProvider(&libraryTypeProvider());
    dialog.setViewMode(QFileDialog::Detail);
    dialog.resize(kFileDialogSize);
    if (auto* details = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
        QHeaderView* header = details->header();
        header->resizeSection(0, kNameColumnWidth);
        header->resizeSection(1, kSizeColumnWidth);
        header->resizeSection(2, kTypeColumnWidth);
        header->setStretchLastSection(true);
    }
}

QString chosenFile(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted) return {};
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

}  // namespace

bool QtUserDialogs::askYesNo(QWidget* owner, const QString& text) {
    QMessageBox box(QMessageBox::Warning, QCoreApplication::applicationName(), text,
                    QMessageBox::Yes | QMessageBox::No, owner);
    return box.exec() == QMessageBox::Yes;
}

bool QtUserDialogs::askYesNoDefaultNo(QWidget* owner, const QString& text) {
    QMessageBox box(QMessageBox::Warning, QCoreApplication::applicationName(), text,
                    QMessageBox::Yes | QMessageBox::No, owner);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

BackupChoice QtUserDialogs::askAboutBackup(QWidget* owner, const QString& text) {
    QMessageBox box(QMessageBox::Warning, QCoreApplication::applicationName(), text,
                    QMessageBox::NoButton, owner);
    QPushButton* restore = box.addButton(QObject::tr("&Restore"), QMessageBox::AcceptRole);
    QPushButton* discard =
        box.addButton(QObject::tr("&Discard Backup"), QMessageBox::DestructiveRole);
    QPushButton* later = box.addButton(QObject::tr("&Later"), QMessageBox::RejectRole);
    box.setDefaultButton(later);
    box.setEscapeButton(later);
    box.exec();
    if (box.clickedButton() == restore) return BackupChoice::restore;
    if (box.clickedButton() == discard) return BackupChoice::discard;
    return BackupChoice::keep;
}

void QtUserDialogs::reportFailure(QWidget* owner, const QString& text) {
    QMessageBox box(QMessageBox::Warning, QCoreApplication::applicationName(), text,
                    QMessageBox::Ok, owner);
    box.exec();
}

QString QtUserDialogs::chooseFileInDirectory(QWidget* owner, const QString& startDirectory) {
    // Only the directory of the chosen name is used.
    QFileDialog dialog(owner);
    prepareOpenDialog(dialog, startDirectory, QObject::tr("Locate Library Directory"));
    return chosenFile(dialog);
}

QString QtUserDialogs::chooseLibraryFile(QWidget* owner, const QString& startDirectory) {
    // An open dialog serves loading and saving alike; a name that does not exist yet starts a new
    // library. The pattern matches MYLIB.LIB as well as mylib.lib, since Qt's dialog compares
    // names without regard to case.
    QFileDialog dialog(owner);
    prepareOpenDialog(dialog, startDirectory, QObject::tr("Choose Destination Library"));
    dialog.setLabelText(QFileDialog::Accept, QObject::tr("Choose"));
    const QString libraryFiles = QStringLiteral("Library files (*.lib)");
    const QString allFiles = QStringLiteral("All Files (*.*)");
    dialog.setNameFilters({libraryFiles, allFiles});
    dialog.selectNameFilter(libraryFiles);
    dialog.setDefaultSuffix(QStringLiteral("lib"));
    // "*.*" means every file to the user, but Qt would hide the names without a dot.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog, allFiles](const QString& filter) {
                         auto* files = dialog.findChild<QFileSystemModel*>();
                         if (filter == allFiles && files)
                             files->setNameFilters({QStringLiteral("*")});
                     });
    return chosenFile(dialog);
}

void QtUserDialogs::inform(QWidget* owner, const QString& text) {
    QMessageBox box(QMessageBox::Information, QCoreApplication::applicationName(), text,
                    QMessageBox::Ok, owner);
    box.exec();
}

QString QtUserDialogs::chooseFileToWrite(QWidget* owner, const QString& title,
                                         const QString& suggestedPath, const QStringList& filters) {
    QFileDialog dialog(owner);
    const QFileInfo suggested(suggestedPath);
    if (suggested.dir().exists()) dialog.setDirectory(suggested.dir());
    dialog.selectFile(suggested.fileName());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setWindowTitle(title);
    dialog.setViewMode(QFileDialog::Detail);
    dialog.resize(kFileDialogSize);
    dialog.setNameFilters(filters);
    // The extension follows the chosen type: "*.png" gives "png".
    auto suffixOf = [](const QString& filter) {
        const qsizetype star = filter.indexOf(QStringLiteral("*."));
        if (star < 0) return QString();
        const qsizetype end = filter.indexOf(QRegularExpression(QStringLiteral("[ ;)]")), star);
        return filter.mid(star + 2, end < 0 ? -1 : end - star - 2);
    };
    if (!filters.isEmpty()) dialog.setDefaultSuffix(suffixOf(filters.first()));
    QObject::connect(
        &dialog, &QFileDialog::filterSelected, &dialog,
        [&dialog, suffixOf](const QString& filter) { dialog.setDefaultSuffix(suffixOf(filter)); });
    return chosenFile(dialog);
}

QString QtUserDialogs::chooseFolder(QWidget* owner, const QString& title,
                                    const QString& startDirectory) {
    QFileDialog dialog(owner);
    if (!startDirectory.isEmpty() && QDir(startDirectory).exists()) {
        dialog.setDirectory(startDirectory);
    }
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setWindowTitle(title);
    dialog.resize(kFileDialogSize);
    return chosenFile(dialog);
}
