#pragma once

#include "console.h"
#include "footprint_export.h"

#include <string>
#include <vector>

/// `cobble export kicad LIB... --out DIR [--unit-mm X] [--drill-ratio R | --drill-mm D] [--json]`.
struct ExportKicadOptions {
    std::vector<std::string> libraries;
    std::string outDirectory;
    KicadExportOptions footprint;
    /// A names file (`KICAD_NAME<TAB>SHORT`) whose KiCad names the footprints get back; empty
    /// for none.
    std::string namesFile;
    bool json = false;
};

/// The footprint folder names for libraries of these names (file names without extension), in
/// the same order: `NAME.pretty`, and for a name already taken ignoring letter case (two
/// libraries from different folders, or `IC` and `ic`) `NAME~2.pretty`, `NAME~3.pretty`, ...
/// skipping any another library has. Empty for a name that cannot be a folder.
std::vector<std::string> prettyFolderNames(const std::vector<std::string>& libraryNames);

/// Exports every library into `DIR/<library name>.pretty/`. Every library is read before anything
/// is written, so a file that cannot be read or is not a library writes nothing at all; a file
/// that cannot be written ends the export there, naming it.
ExitStatus runExportKicad(const ExportKicadOptions& options, const Console& console);
