#include "library_recovery.h"

#include "library_lock.h"
#include "staged_writes.h"

#include <cerrno>
#include <cstring>
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
