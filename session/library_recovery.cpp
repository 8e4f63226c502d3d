#include "library_recovery.h"

#include "library_file_scan.h"
#include "library_lock.h"
#include "staged_writes.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

std::vector<std::string> interruptedBackups(const std::string& path) {
    return findInterruptedBackups(path);
}

SaveResult restoreBackup(const std::string& path, const std::string& backup,
                         std::chrono::milliseconds wait) {
    const LockResult locked = LibraryLock::acquire({path}, wait);
    if (!locked) return SaveResult::failure(locked.reason);
    // A backup is at most as large as a library a save could write.
    const auto bytes = readFilePrefix(backup, std::size_t{1} << 30);
    if (!bytes) {
        return SaveResult::failure("cannot read the backup \"" + backup +
                                   "\": " + std::strerror(errno));
    }
    SaveResult restored = writeFileAtomically(path, *bytes);
    if (restored) ::unlink(backup.c_str());
    return restored;
}

SaveResult dismissBackup(const std::string& backup) {
    if (::unlink(backup.c_str()) != 0 && errno != ENOENT) {
        return SaveResult::failure("cannot remove the backup \"" + backup +
                                   "\": " + std::strerror(errno));
    }
    return SaveResult::success();
}

std::string recoveryRefusal(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 ? S_ISREG(info.st_mode) : errno == ENOENT) return {};
    std::string why = findLibraryFileProblem(path).reason;
    return why.empty() ? "cannot be written" : why;
}

std::optional<std::string> backupToOffer(const std::string& path) {
    if (!recoveryRefusal(path).empty()) return std::nullopt;
    std::vector<std::string> backups = interruptedBackups(path);
    if (backups.empty()) return std::nullopt;
    return std::move(backups.front());
}

SaveResult settleBackup(const std::string& path, const std::string& backup, BackupChoice choice,
                        std::chrono::milliseconds wait) {
    switch (choice) {
        case BackupChoice::restore:
            return restoreBackup(path, backup, wait);
        case BackupChoice::discard:
            return dismissBackup(backup);
        case BackupChoice::keep:
            break;
    }
    return SaveResult::success();
}
