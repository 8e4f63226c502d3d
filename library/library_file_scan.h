#pragma once

#include "failure.h"

#include <string>
#include <vector>

/// The names (without directory) of the plain files in `directory` whose first 16 bytes carry
/// the library signature, hidden files included, in the order the system lists them. Directories
/// and special files (FIFOs, devices, sockets) are never opened; a symbolic link counts as the
/// file it points at. Files that cannot be read are skipped, and a directory that cannot be
/// listed gives no names. Names are the system's bytes, unconverted.
std::vector<std::string> findLibraryFiles(const std::string& directory);

/// Why a file is not a library file that the scan could list: the `reason` ("no such file", "is a
/// folder, not a library file", "not a library file: shorter than the 16-byte header", ...) is
/// empty when the file is a library file.
struct LibraryFileProblem : Failure {
    /// Whether the file could not be read at all (missing, a folder, a special file, no access),
    /// rather than read and found to be no library.
    bool unreadable = false;
};
LibraryFileProblem findLibraryFileProblem(const std::string& path);

/// The `reason` of `findLibraryFileProblem`.
std::string libraryFileProblem(const std::string& path);
