#include "export_actions.h"

#include "component.h"
#include "component_file_names.h"
#include "component_names.h"
#include "component_render.h"
#include "failure_message.h"
#include "file_io.h"
#include "footprint_export.h"
#include "footprint_files.h"
#include "library.h"
#include "library_export.h"
#include "library_session.h"
#include "palette_png.h"
#include "user_dialogs.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QWidget>

#include <span>
#include <string>
#include <vector>

namespace {

std::string pathBytes(const QString& path) { return QFile::encodeName(path).toStdString(); }

QString fromBytes(const std::string& bytes) {
    return QFile::decodeName(QByteArray::fromStdString(bytes));
}

/// The file-name stem a file of `component` gets, as the command-line tools name it.
QString fileStem(const Component& component) {
    const std::string name = component.displayName();
    return fromBytes(componentFileNames(std::span<const std::string>(&name, 1)).front());
}

/// The library's name for its footprint folder: the file name without its extension.
std::string libraryName(const LibrarySession& session, const char* fallback) {
    std::string name = session.fileName();
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return name.empty() ? std::string(fallback) : name;
}

std::span<const std::uint8_t> bytesOf(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::span<const std::uint8_t> bytesOf(const QByteArray& data) {
    return {reinterpret_cast<const std::uint8_t*>(data.constData()),
            static_cast<std::size_t>(data.size())};
}

/// The export's options for a library: the KiCad names of the names file an import wrote beside
/// it, when there is one that reads; otherwise the components' own names.
KicadExportOptions exportOptionsFor(const LibrarySession& session) {
    KicadExportOptions options;
    if (session.path().empty()) return options;
    const std::string names = namesFilePath(session.path());
    std::vector<ImportProblem> problems;
    if (!QFileInfo::exists(fromBytes(names))) return options;
    if (const auto overrides = readNamesFile(names, problems)) {
        options.footprintNames = footprintNamesByShortName(*overrides);
    }
    return options;
}

QString notesText(const std::vector<std::string>& notes) {
    QString text;
    for (const std::string& note : notes) text += QStringLiteral("\n") + fromBytes(note);
    return text;
}

}  // namespace

ExportActions::ExportActions(QWidget& window, UserDialogs& dialogs, const LibrarySession& source,
                             const LibrarySession& destination)
    : QObject(&window),
      window_(window),
      dialogs_(dialogs),
      source_(source),
      destination_(destination) {
    exportComponent_ = new QAction(tr("Export Co&mponent to KiCad..."), this);
    exportSource_ = new QAction(tr("Export &Source Library to KiCad..."), this);
    exportDestination_ = new QAction(tr("Export &Destination Library to KiCad..."), this);
    savePicture_ = new QAction(tr("Save &Picture..."), this);
    connect(exportComponent_, &QAction::triggered, this, &ExportActions::writeComponentFootprint);
    connect(exportSource_, &QAction::triggered, this,
            [this] { writeLibraryFootprints(source_, tr("Export Source Library to KiCad")); });
    connect(exportDestination_, &QAction::triggered, this, [this] {
        writeLibraryFootprints(destination_, tr("Export Destination Library to KiCad"));
    });
    connect(savePicture_, &QAction::triggered, this, &ExportActions::writePicture);
    update(nullptr, 1, 1);
}

void ExportActions::update(const Component* shown, int pictureWidth, int pictureHeight) {
    shown_ = shown;
    pictureWidth_ = pictureWidth;
    pictureHeight_ = pictureHeight;
    exportComponent_->setEnabled(shown != nullptr);
    savePicture_->setEnabled(shown != nullptr);
    exportSource_->setEnabled(source_.componentCount() > 0);
    exportDestination_->setEnabled(destination_.componentCount() > 0);
}

QString ExportActions::startFolder() const {
    if (!lastFolder_.isEmpty()) return lastFolder_;
    return startDirectory_.isEmpty() ? QDir::homePath() : startDirectory_;
}

void ExportActions::remember(const QString& writtenPath) {
    lastFolder_ = QFileInfo(writtenPath).absolutePath();
}

void ExportActions::writeComponentFootprint() {
    if (!shown_) return;
    const Component& component = *shown_;
    const QString path = dialogs_.chooseFileToWrite(
        &window_, tr("Export Component to KiCad"),
        QDir(startFolder()).filePath(fileStem(component) + QStringLiteral(".kicad_mod")),
        {tr("KiCad footprint (*.kicad_mod)")});
    if (path.isEmpty()) return;
    const FootprintText footprint = exportFootprint(component, KicadExportOptions{});
    const SaveResult written = writeFileAtomically(pathBytes(path), bytesOf(footprint.text));
    if (!written) {
        dialogs_.reportFailure(&window_, failureMessage(tr("The component was not exported."),
                                                        written.reason, pathBytes(path)));
        return;
    }
    remember(path);
    dialogs_.inform(&window_, tr("Exported %1 to %2.")
                                      .arg(QString::fromStdString(footprintName(component)),
                                           QDir::toNativeSeparators(path)) +
                                  notesText(footprint.notes));
}

void ExportActions::writeLibraryFootprints(const LibrarySession& session, const QString& title) {
    const Library* library = session.library();
    if (!library || library->size() == 0) return;
    const QString folder = dialogs_.chooseFolder(&window_, title, startFolder());
    if (folder.isEmpty()) return;
    const std::string name = libraryName(session, &session == &source_ ? "Source" : "Destination");
    const LibraryExportResult result =
        exportLibraryToKicad(*library, name, pathBytes(folder), exportOptionsFor(session));
    if (!result) {
        dialogs_.reportFailure(&window_, failureMessage(tr("The library was not exported."),
                                                        result.reason, result.folder));
        return;
    }
    lastFolder_ = folder;
    // In the words of the single footprint's message, the notes after it one per line.
    const std::size_t count = result.footprints.size();
    const QString what = count == 1 ? tr("1 footprint") : tr("%1 footprints").arg(count);
    QString text =
        tr("Exported %1 to %2.").arg(what, QDir::toNativeSeparators(fromBytes(result.folder)));
    for (const ExportedFootprint& footprint : result.footprints) {
        for (const std::string& note : footprint.notes) {
            text += QStringLiteral("\n") + QString::fromStdString(footprint.name) +
                    QStringLiteral(": ") + fromBytes(note);
        }
    }
    dialogs_.inform(&window_, text);
}

void ExportActions::writePicture() {
    if (!shown_) return;
    const Component& component = *shown_;
    const QString path = dialogs_.chooseFileToWrite(
        &window_, tr("Save Picture"),
        QDir(startFolder()).filePath(fileStem(component) + QStringLiteral(".png")),
        {tr("PNG image (*.png)"), tr("SVG image (*.svg)")});
    if (path.isEmpty()) return;
    SaveResult written;
    if (path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive)) {
        written = writeFileAtomically(
            pathBytes(path), bytesOf(renderComponentSvg(component, pictureWidth_, pictureHeight_)));
    } else {
        // Encoded in memory first, so that the file is written whole or not at all.
        const QByteArray png =
            encodePng(renderComponentImage(component, pictureWidth_, pictureHeight_));
        written = png.isEmpty() ? SaveResult::failure("the picture could not be made")
                                : writeFileAtomically(pathBytes(path), bytesOf(png));
    }
    if (!written) {
        dialogs_.reportFailure(&window_, failureMessage(tr("The picture was not saved."),
                                                        written.reason, pathBytes(path)));
        return;
    }
    remember(path);
}
