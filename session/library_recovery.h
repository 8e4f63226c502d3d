#pragma once

#include "file_io.h"

#include <chrono>
#include <optional>
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

/// Why no backup can be put back at `path`: something that is no regular file is in the way (a
/// folder, a FIFO, a device, a loop of links), as a lower-case clause that does not name the
/// file; empty for a regular file or nothing at all.
std::string recoveryRefusal(const std::string& path);

/// The backup to offer the user when the library at `path` is opened to be changed: the newest
/// that a killed in-place save left beside it, or none (also when `recoveryRefusal` refuses). Older
/// ones are offered in turn, once this one is restored or discarded.
std::optional<std::string> backupToOffer(const std::string& path);

/// What the user chose to do with an offered backup.
enum class BackupChoice {
    /// Put it back as the library, and remove it.
    restore,
    /// Remove it, keeping the library as it is.
    discard,
    /// Leave both as they are, to be offered again the next time.
    keep,
};

/// Carries out `choice` for `backup` of the library at `path`; restoring waits up to `wait` for
/// the library's lock. Keeping does nothing and succeeds.
SaveResult settleBackup(const std::string& path, const std::string& backup, BackupChoice choice,
                        std::chrono::milliseconds wait);
