#pragma once

#include "component_names.h"

#include <optional>
#include <string>
#include <vector>

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

/// One footprint file to read, and the library it comes from.
struct FootprintFile {
    std::string path;
    /// The .pretty folder's name without the extension, or empty.
    std::string library;
};

/// The footprint files that `inputs` name: each .kicad_mod file given, and every .kicad_mod file
/// of each folder given, by name. A missing or unreadable input, a folder without footprints and
/// more than 100,000 files in all are problems. The result is whether there were none.
bool collectFootprintFiles(const std::vector<std::string>& inputs,
                           std::vector<FootprintFile>& files, std::vector<ImportProblem>& problems);

/// The names file beside a library: its path followed by `.names`. Each import writes there, for
/// every footprint it placed in the library, a `KICAD_NAME<TAB>SHORT` line (KICAD_NAME being
/// LIBRARY:NAME for a footprint of a .pretty folder), merged with the lines already there, and
/// takes its lines as names for the footprints no names file of the user's names.
std::string namesFilePath(const std::string& library);

/// The most a names file may hold: a short list typed by a person or written by imports.
inline constexpr std::size_t kMaxNamesFileBytes = 1024 * 1024;

/// The short names a user gave in the file at `path` (see `parseNameOverrides`); none, with a
/// problem, when the file cannot be read, is larger than 1 MiB or has a bad line.
std::optional<NameOverrides> readNamesFile(const std::string& path,
                                           std::vector<ImportProblem>& problems);
