#pragma once

#include "failure.h"

#include <chrono>
#include <memory>
#include <string>
#include <vector>

class LibraryLock;

/// What an attempt to lock library files gave: the lock, or why there is none. `path` is the file
/// that was busy or failed, as given.
struct LockResult : Failure {
    enum class Status {
        locked,
        /// Another writer held one of the files for the whole wait.
        busy,
        /// A lock file could not be made or locked; `reason` says why.
        failed,
    };
    Status status = Status::failed;
    std::unique_ptr<LibraryLock> lock;
    explicit operator bool() const { return status == Status::locked; }
};

/// An exclusive lock that writers of a library file take turns on, held over the whole
/// read-check-write-rename of a save, so that two writers never work from the same old content.
///
/// The lock is an `flock` on a hidden lock file beside the library (named in the pattern of a
/// save's temporaries, so the directory scan never lists it). The kernel releases it when its
/// process dies; a writer that releases it removes the file while still holding it, and a writer
/// that then gets the lock on the removed file sees that it is no longer the one at the path and
/// starts again, so that two writers never hold two different files for one library. Two
/// descriptors of one process exclude each other as two processes do.
class LibraryLock final {
public:
    ~LibraryLock();
    LibraryLock(const LibraryLock&) = delete;
    LibraryLock& operator=(const LibraryLock&) = delete;

    /// Locks every file of `paths` (the same file reached by several paths once), in one fixed
    /// order, so that writers of overlapping sets cannot each wait for the other. Waits up to
    /// `wait` in all; on failure no file stays locked.
    static LockResult acquire(const std::vector<std::string>& paths,
                              std::chrono::milliseconds wait);

private:
    struct Held {
        std::string lockPath;
        int fd = -1;
    };
    explicit LibraryLock(std::vector<Held> held);

    std::vector<Held> held_;
};

/// The reason given when another writer held a file for the whole of `wait` ("another program is
/// writing it (waited 5 s)").
std::string busyReason(std::chrono::milliseconds wait);
