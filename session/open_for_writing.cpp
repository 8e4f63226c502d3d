#include "open_for_writing.h"

#include "library_file_scan.h"
#include "library_recovery.h"

#include <cerrno>
#include <sys/stat.h>

WritableLibrary openForWriting(const std::string& path, bool createWhenMissing,
                               std::chrono::milliseconds wait) {
    LockResult locked = LibraryLock::acquire({path}, wait);
    if (!locked) {
        WritableLibrary result;
        result.failure = std::move(locked.reason);
        result.busy = locked.status == LockResult::Status::busy;
        return result;
    }
    return openLockedForWriting(path, createWhenMissing, std::move(locked.lock));
}

WritableLibrary openLockedForWriting(const std::string& path, bool createWhenMissing,
                                     std::shared_ptr<LibraryLock> lock) {
    WritableLibrary result;
    if (!interruptedBackups(path).empty()) {
        result.note = "an interrupted save left a backup of it; see `cobble recover " + path + "`";
    }
    struct stat info {};
    if (createWhenMissing && ::stat(path.c_str(), &info) != 0 && errno == ENOENT) {
        result.session = std::make_unique<LibrarySession>(LibrarySession::WritePolicy::anyFile);
        result.session->startEmpty();
        result.session->setPath(path);
        result.session->holdLock(std::move(lock));
        result.created = true;
        return result;
    }
    auto session =
        std::make_unique<LibrarySession>(LibrarySession::WritePolicy::onlyOverLibraryFile);
    session->holdLock(std::move(lock));
    if (!session->open(path)) {
        LibraryFileProblem problem = findLibraryFileProblem(path);
        // A file that passed the look at its header and still did not load went away or
        // changed in between, or could not be read whole.
        if (problem.reason.empty()) {
            problem.reason = "cannot be read";
            problem.unreadable = true;
        }
        result.failure = std::move(problem.reason);
        result.unreadable = problem.unreadable;
        // Something in the way that is no file at all (a FIFO, a device, a loop of links) is a
        // destination that cannot be written, as every command that writes answers it.
        struct stat seen {};
        const bool followed = ::stat(path.c_str(), &seen) == 0;
        if (followed ? !S_ISREG(seen.st_mode) && !S_ISDIR(seen.st_mode) : errno == ELOOP) {
            result.unreadable = false;
        }
        return result;
    }
    result.session = std::move(session);
    return result;
}
