#pragma once

#include "footprint_import.h"

#include <cstddef>
#include <string>
#include <vector>

/// What `cobble import kicad` is asked to do.
struct KicadImportRequest {
    /// .kicad_mod files and .pretty folders (every .kicad_mod file in them, by name).
    std::vector<std::string> inputs;
    /// The library file the components go to; created when missing.
    std::string library;
    /// When the library is full, go on in LIB_2, LIB_3, ... beside it instead of refusing.
    bool split = false;
    /// Write what could be imported even when some footprints were refused; otherwise any
    /// refusal writes nothing.
    bool skipRefused = false;
    /// A file of `KICAD_NAME<TAB>SHORT` lines (see NameOverrides); empty for none.
    std::string namesFile;
    /// Do everything but write: the report says what would be written.
    bool dryRun = false;
    FootprintImportOptions footprint;
};

/// Why part of an import was refused: the file or folder it concerns and what is wrong with it.
struct ImportProblem {
    enum class Kind {
        /// A file or folder that could not be read at all (missing, unreadable).
        Unreadable,
        /// Read, and refused: malformed, not a library, a name taken, no room.
        Refused,
    };
    std::string file;
    std::string what;
    Kind kind = Kind::Refused;
};

/// The outcome: whether the libraries were written, the report a person reads (the name
/// mapping, each footprint's summary, what was written or why nothing was), and every problem.
struct KicadImportResult {
    bool ok = false;
    std::vector<std::string> messages;
    /// What was refused and why, in the order found; empty when `ok`, unless `skipRefused`.
    std::vector<ImportProblem> problems;
    /// The library files written, in order.
    std::vector<std::string> written;
    std::size_t imported = 0;
    /// Footprints that found no room (the library is full and --split was not given).
    std::vector<std::string> notFitted;
    /// Footprints refused, each as "NAME: reason".
    std::vector<std::string> refused;
};

/// Imports footprints into a library through the same copy rule as the window: a library takes
/// at most 200 components, and a component whose name it already holds is refused. Every file
/// is read within the parser's limits. Nothing is written unless every footprint was placed (or
/// `skipRefused` is set), and a file at the library's path that is not a library is never
/// written over. Each library is written whole and atomically with `Library::save`.
KicadImportResult importKicadFootprints(const KicadImportRequest& request);

/// The file the n-th library of a split goes to (n from 2): LIB.LIB gives LIB_2.LIB, a name
/// without an extension gets `_2` at its end.
std::string splitLibraryPath(const std::string& library, int n);
