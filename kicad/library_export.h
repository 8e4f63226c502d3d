#pragma once

#include "failure.h"
#include "file_io.h"
#include "footprint_export.h"

#include <string>
#include <string_view>
#include <vector>

class Library;

/// What became of one component in a library export.
struct ExportedFootprint {
    /// The footprint name (the component's name in UTF-8).
    std::string name;
    /// The file it went to, without the folder.
    std::string fileName;
    /// What could not be carried over exactly (see `FootprintText::notes`).
    std::vector<std::string> notes;
};

/// The outcome of exporting a library: the folder, every footprint written, and on failure the
/// reason, naming the file or folder that could not be written; `path` is that file.
struct LibraryExportResult : Failure {
    bool ok = false;
    /// `DIR/<library name>.pretty`.
    std::string folder;
    /// The footprints written, in the library's list order. On failure, those known to be written
    /// before it.
    std::vector<ExportedFootprint> footprints;

    explicit operator bool() const { return ok; }

    /// A few lines for a person: the count written into the folder, then each note with its
    /// component's name, or the reason of the failure.
    std::string summary() const;
};

/// The folder name for a library: `libraryName` followed by `.pretty`. None when the name
/// cannot be one folder (empty, `.`, `..`, or holding `/`, `\` or a zero byte).
std::optional<std::string> prettyFolderName(std::string_view libraryName);

/// A library converted to the files of a footprint folder, before any is written.
/// `reason` says why the library cannot be exported (its name cannot name a folder).
struct ConvertedLibrary : Failure {
    /// `<library name>.pretty`.
    std::string folderName;
    /// Every component's footprint, in the library's order.
    std::vector<ExportedFootprint> footprints;
    /// The content of each footprint's file, in the same order.
    std::vector<std::string> texts;
};

/// Converts every component of `library` to the text of one `.kicad_mod` file. File names are
/// the components' safe, unique stems, so two names that differ only in case, or that hold
/// characters no file name may, still get a file each.
ConvertedLibrary convertLibraryToKicad(const Library& library, std::string_view libraryName,
                                       const KicadExportOptions& options);

/// Converts `library` and writes its files into `outDir/<libraryName>.pretty/`, creating the
/// folders as needed, through `writeFolderFiles`: the files of a library are written together,
/// so a file that cannot be written ends the export with a reason naming it and leaves every
/// file as it was or whole and new. Existing files of other names in the folder are left alone.
LibraryExportResult exportLibraryToKicad(const Library& library, std::string_view libraryName,
                                         const std::string& outDir,
                                         const KicadExportOptions& options);
