#pragma once

#include "console.h"
#include "footprint_files.h"
#include "footprint_import.h"

#include <cstddef>
#include <string>
#include <utility>
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
    /// Leave the mapping and the footprints' summaries out of the report: only what was written
    /// (or that nothing was) and the problems.
    bool quiet = false;
    /// How long to wait for another program writing a library of the set.
    double waitSeconds = kDefaultWriteWait;
    FootprintImportOptions footprint;
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
    /// What the user should know that is no refusal (an interrupted save left a backup of a
    /// library; a save could not give the new file an attribute of the old), by file.
    std::vector<std::pair<std::string, std::string>> notes;
};

/// Reads, names and converts the footprints (kicad/) and adds them to the library's set
/// (`LibrarySet`), which applies the window's copy rule and writes every library or none.
/// Nothing is written unless every footprint was placed (or `skipRefused` is set).
KicadImportResult importKicadFootprints(const KicadImportRequest& request);

/// Adds KiCad footprints to a library: the report (name mapping, each footprint's summary, what
/// was written) on the output stream, each problem as `cobble: FILE: what` on the error stream.
/// Success when everything asked for was written (or, with a dry run, would be); Trouble when an
/// input could not be read; Failure for any other refusal, and then nothing is written.
ExitStatus runImportKicad(const KicadImportRequest& request, const Console& console);
