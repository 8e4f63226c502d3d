#include "library_lock.h"

#include "staged_writes.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

enum class Attempt { locked, unneeded, busy, failed };

/// Locks the file at `lockPath`, creating it when missing, until `deadline`.
Attempt lockOne(const std::string& lockPath, Clock::time_point deadline, int& fd, int& error) {
    std::chrono::milliseconds pause{1};
    for (;;) {
        // Anyone who may save the library may take turns at it, so the empty file is readable.
        fd = ::open(lockPath.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd < 0) {
            error = errno;
            struct stat info {};
            // Where no file can be made, no save can write either (a rename and a rewrite in
            // place both need a file beside the library), so there is nobody to take turns with
            // and the save says itself why it cannot write.
            const bool noFileCanBeMade = error == EACCES || error == EPERM || error == EROFS ||
                                         error == ENOENT || error == ENOTDIR || error == ENOSPC ||
                                         error == EDQUOT || error == ENAMETOOLONG;
            if (noFileCanBeMade && ::lstat(lockPath.c_str(), &info) != 0 &&
                (errno == ENOENT || errno == ENOTDIR)) {
                return Attempt::unneeded;
            }
            return Attempt::failed;
        }
        ::fchmod(fd, 0644);  // whatever the umask, so that other users may open it too
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            // Locked, but perhaps a file its last holder removed: only the one at the path counts.
            struct stat held {};
            struct stat named {};
            if (::fstat(fd, &held) == 0 && ::stat(lockPath.c_str(), &named) == 0 &&
                held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
                return Attempt::locked;
            }
            ::close(fd);
            continue;
        }
        error = errno;
        ::close(fd);
        fd = -1;
        if (error != EWOULDBLOCK && error != EINTR) return Attempt::failed;
        const auto now = Clock::now();
        if (now >= deadline) return Attempt::busy;
        std::this_thread::sleep_for(std::min<Clock::duration>(pause, deadline - now));
        pause = std::min(pause * 2, std::chrono::milliseconds{25});
    }
}

}  // namespace

LibraryLock::LibraryLock(std::vector<Held> held) : held_(std::move(held)) {}

LibraryLock::~LibraryLock() {
    // In the opposite order, and each file removed while it is still held.
    for (auto it = held_.rbegin(); it != held_.rend(); ++it) {
        ::unlink(it->lockPath.c_str());
        ::close(it->fd);
    }
}

LockResult LibraryLock::acquire(const std::vector<std::string>& paths,
                                std::chrono::milliseconds wait) {
    std::vector<std::pair<std::string, std::string>> order;  // lock file, path as given
    for (const std::string& path : paths) order.emplace_back(lockFilePath(path), path);
    std::sort(order.begin(), order.end());
    order.erase(std::unique(order.begin(), order.end(),
                            [](const auto& a, const auto& b) { return a.first == b.first; }),
                order.end());

    const auto deadline = Clock::now() + wait;
    std::vector<Held> held;
    LockResult result;
    for (const auto& [lockPath, path] : order) {
        int fd = -1;
        int error = 0;
        const Attempt attempt = lockOne(lockPath, deadline, fd, error);
        if (attempt == Attempt::locked) held.push_back({lockPath, fd});
        if (attempt == Attempt::locked || attempt == Attempt::unneeded) continue;
        // What was locked so far is given back by the destructor.
        LibraryLock partial(std::move(held));
        result.path = path;
        if (attempt == Attempt::busy) {
            result.status = LockResult::Status::busy;
            result.reason = busyReason(wait);
        } else {
            result.status = LockResult::Status::failed;
            result.reason = "cannot take turns with other writers: the lock file \"" +
                            lockPath.substr(lockPath.rfind('/') + 1) +
                            "\" cannot be used: " + std::strerror(error);
        }
        return result;
    }
    result.status = LockResult::Status::locked;
    result.lock.reset(new LibraryLock(std::move(held)));
    return result;
}

std::string busyReason(std::chrono::milliseconds wait) {
    const double seconds = std::chrono::duration<double>(wait).count();
    char text[32];
    if (seconds == std::floor(seconds)) {
        std::snprintf(text, sizeof text, "%.0f", seconds);
    } else {
        std::snprintf(text, sizeof text, "%g", seconds);
    }
    return std::string("another program is writing it (waited ") + text + " s)";
}
