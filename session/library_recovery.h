#pragma once

#include "file_io.h"

#include <chrono>
#include <string>
#include <vector>

/// Backups that killed in-place saves of a library left beside it, newest first: each holds the
/// library as it was before a save that may have left the file torn.
std::vector<std::string> interruptedBackups(const std::string& path);

/// Puts the library at `path` back as the backup `backup` holds it, with the file's lock held
/// (waiting up to `wait`), and removes the backup once that succeeded.
SaveResult restoreBackup(const std::string& path, const std::string& backup,
                         std::chrono::milliseconds wait);

/// Removes the backup `backup` because the user chose not to restore it.
SaveResult dismissBackup(const std::string& backup);
