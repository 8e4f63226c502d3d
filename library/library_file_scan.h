#pragma once

#include <string>
#include <vector>

/// The names (without directory) of the plain files in `directory` whose first 16 bytes carry
/// the library signature, hidden files included, in the order the system lists them. Directories
/// and special files (FIFOs, devices, sockets) are never opened; a symbolic link counts as the
/// file it points at. Files that cannot be read are skipped, and a directory that cannot be
/// listed gives no names. Names are the system's bytes, unconverted.
std::vector<std::string> findLibraryFiles(const std::string& directory);
