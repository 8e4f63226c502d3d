#include "file_io.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

/// The most links followed on the way to the file, as many as the kernel itself follows.
constexpr int kMaxLinkHops = 40;

constexpr std::string_view kTemporaryMarker = ".save-";
constexpr std::string_view kBackupMarker = ".backup-";

enum class SaveFileKind { Temporary, Backup };

struct SaveFileName {
    SaveFileKind kind;
    std::string_view target;
};

bool isDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

/// Splits ".NAME<marker>PID-N" into its kind and NAME. The marker is looked for from the end, so
/// NAME may itself contain dots, dashes and even a marker.
std::optional<SaveFileName> parseSaveFileName(std::string_view fileName) {
    if (fileName.size() < 2 || fileName.front() != '.') return std::nullopt;
    for (const auto& [marker, kind] : {std::pair{kTemporaryMarker, SaveFileKind::Temporary},
                                       std::pair{kBackupMarker, SaveFileKind::Backup}}) {
        const std::size_t at = fileName.rfind(marker);
        if (at == std::string_view::npos || at < 2) continue;
        const std::string_view tail = fileName.substr(at + marker.size());
        const std::size_t dash = tail.find('-');
        if (dash == std::string_view::npos || !isDigits(tail.substr(0, dash)) ||
            !isDigits(tail.substr(dash + 1))) {
            continue;
        }
        return SaveFileName{kind, fileName.substr(1, at - 1)};
    }
    return std::nullopt;
}

std::string quoted(const fs::path& path) { return "\"" + path.string() + "\""; }

/// `what` is a view and `path` a reference, so that an `errno` passed with them is read before
/// anything could change it.
std::string describe(std::string_view what, const fs::path& path, int error) {
    return std::string(what) + " " + quoted(path) + ": " + std::strerror(error) + ".";
}

fs::path directoryOf(const fs::path& target) {
    if (target.has_parent_path()) return target.parent_path();
    std::error_code error;
    fs::path current = fs::current_path(error);
    return error ? fs::path(".") : current;
}

struct ResolvedPath {
    fs::path path;
    int error = 0;
};

/// Follows a chain of symbolic links to the path that holds the file, so that saving through a
/// link replaces the file it points at and keeps the link. A dangling link resolves to the file
/// it names; a loop, or a chain longer than the kernel would follow, is an error rather than a
/// link to be replaced.
ResolvedPath resolveLinks(fs::path path) {
    for (int hops = 0; hops <= kMaxLinkHops; ++hops) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return {path, 0};
        std::error_code error;
        const fs::path link = fs::read_symlink(path, error);
        if (error) return {path, error.value()};
        path = link.is_absolute() ? link : path.parent_path() / link;
    }
    return {path, ELOOP};
}

/// Holds SIGXFSZ back while a save writes, so that passing the file size limit makes the write
/// fail with EFBIG, which is reported, instead of ending the program with a half-written file
/// beside the target. A SIGXFSZ the save itself raised is taken off the pending set before the
/// old mask returns; one that was pending before is left for its owner.
class FileSizeSignalBlock {
public:
    FileSizeSignalBlock() {
        sigemptyset(&signal_);
        sigaddset(&signal_, SIGXFSZ);
        pthread_sigmask(SIG_BLOCK, &signal_, &previous_);
        pendingBefore_ = isPending();
    }
    ~FileSizeSignalBlock() {
        const int savedErrno = errno;
        if (!pendingBefore_ && isPending()) {
            const timespec immediately{};
            while (sigtimedwait(&signal_, nullptr, &immediately) < 0 && errno == EINTR) {
            }
        }
        pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
        errno = savedErrno;
    }
    FileSizeSignalBlock(const FileSizeSignalBlock&) = delete;
    FileSizeSignalBlock& operator=(const FileSizeSignalBlock&) = delete;

private:
    static bool isPending() {
        sigset_t pending;
        sigemptyset(&pending);
        return sigpending(&pending) == 0 && sigismember(&pending, SIGXFSZ) == 1;
    }

    sigset_t signal_{};
    sigset_t previous_{};
    bool pendingBefore_ = false;
};

/// Closes a descriptor on every way out of a scope unless it was closed explicitly.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            const int savedErrno = errno;
            ::close(fd_);
            errno = savedErrno;
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return fd_; }
    bool isOpen() const { return fd_ >= 0; }
    /// Closes now and says whether the close succeeded: a late write error may show only here.
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

bool writeAllAt(int fd, std::span<const std::uint8_t> data, off_t offset) {
    while (!data.empty()) {
        const ssize_t n = ::pwrite(fd, data.data(), data.size(), offset);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data = data.subspan(static_cast<std::size_t>(n));
        offset += n;
    }
    return true;
}

/// Copies all of `from` to `to` from offset 0 and cuts `to` to the same length.
bool copyContent(int from, int to) {
    std::array<std::uint8_t, 65536> buffer{};
    off_t offset = 0;
    for (;;) {
        const ssize_t n = ::pread(from, buffer.data(), buffer.size(), offset);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) break;
        if (!writeAllAt(to, std::span(buffer.data(), static_cast<std::size_t>(n)), offset)) {
            return false;
        }
        offset += n;
    }
    return ::ftruncate(to, offset) == 0;
}

/// Creates a new, empty file beside `target` under a name no other file has, with `mode` less the
/// process's umask. Returns its descriptor and path, or -1 and sets errno.
int createSibling(const fs::path& target, std::string_view marker, mode_t mode,
                  fs::path& siblingPath) {
    static std::atomic<unsigned> counter = 0;
    const fs::path directory = directoryOf(target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        siblingPath = directory / ("." + target.filename().string() + std::string(marker) +
                                   std::to_string(::getpid()) + "-" + std::to_string(counter++));
        const int fd = ::open(siblingPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

void syncDirectoryOf(const fs::path& target) {
    const int fd = ::open(directoryOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

/// Removes the temporaries that killed saves of `target` left beside it. Only regular files whose
/// name is a temporary of exactly this target and which were last written more than
/// kStaleTemporaryAge ago; a save still running keeps writing to its file, so it is never one.
void removeStaleTemporaries(const fs::path& target) {
    const std::string name = target.filename().string();
    const fs::path directory = directoryOf(target);
    const std::time_t now = std::time(nullptr);
    std::error_code error;
    fs::directory_iterator entries(directory, error);
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
        const fs::path& candidate = entries->path();
        const std::string candidateName = candidate.filename().string();
        const auto parsed = parseSaveFileName(candidateName);
        if (!parsed || parsed->kind != SaveFileKind::Temporary || parsed->target != name) continue;
        struct stat info {};
        if (::lstat(candidate.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
        if (now - info.st_mtime <= kStaleTemporaryAge.count()) continue;
        ::unlink(candidate.c_str());
    }
}

enum class Replacement { Done, Failed, NeedsInPlace };

/// Writes `data` to a new file beside `target` and renames it over the target. Answers
/// NeedsInPlace, with nothing left behind, when the new file cannot be given the existing file's
/// owner and group: a new owner would be a loss nobody asked for.
Replacement replaceByRename(const fs::path& target, const struct stat* existing,
                            std::span<const std::uint8_t> data, SaveResult& result) {
    fs::path temporary;
    Descriptor file(createSibling(target, kTemporaryMarker, 0666, temporary));
    if (!file.isOpen()) {
        const int error = errno;
        result =
            SaveResult::failure(describe("Cannot create a file in", directoryOf(target), error));
        return Replacement::Failed;
    }
    auto fail = [&](std::string_view what, int error) {
        ::unlink(temporary.c_str());
        result = SaveResult::failure(describe(what, target, error));
        return Replacement::Failed;
    };
    if (existing) {
        struct stat created {};
        if (::fstat(file.get(), &created) != 0) return fail("Cannot write", errno);
        if ((created.st_uid != existing->st_uid || created.st_gid != existing->st_gid) &&
            ::fchown(file.get(), existing->st_uid, existing->st_gid) != 0) {
            // EPERM for a user who may write another's file, EINVAL for an owner unknown here;
            // either way the file is rewritten in place rather than handed to a new owner.
            ::unlink(temporary.c_str());
            return Replacement::NeedsInPlace;
        }
        // After fchown, which clears the set-user-ID and set-group-ID bits.
        if (::fchmod(file.get(), existing->st_mode & 07777) != 0) {
            return fail("Cannot give the new file the permissions of", errno);
        }
    }
    if (!writeAllAt(file.get(), data, 0)) return fail("Cannot write", errno);
    if (::fsync(file.get()) != 0) return fail("Cannot flush to the disk", errno);
    if (!file.close()) return fail("Cannot write", errno);
    if (::rename(temporary.c_str(), target.c_str()) != 0) return fail("Cannot replace", errno);
    return Replacement::Done;
}

/// Rewrites `target` in place, which keeps every hard link, the owner, the group and the
/// permissions. The old bytes are copied to a flushed backup beside it first; when writing the new
/// ones fails they are put back, and the backup is kept only if even that fails.
SaveResult rewriteInPlace(const fs::path& target, const struct stat& existing,
                          std::span<const std::uint8_t> data) {
    Descriptor file(::open(target.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC));
    if (!file.isOpen()) return SaveResult::failure(describe("Cannot open", target, errno));
    struct stat opened {};
    if (::fstat(file.get(), &opened) != 0) {
        return SaveResult::failure(describe("Cannot open", target, errno));
    }
    if (opened.st_dev != existing.st_dev || opened.st_ino != existing.st_ino) {
        return SaveResult::failure(quoted(target) +
                                   " was replaced by another file during the save; nothing was "
                                   "written.");
    }

    fs::path backupPath;
    Descriptor backup(createSibling(target, kBackupMarker, 0600, backupPath));
    if (!backup.isOpen()) {
        const int error = errno;
        return SaveResult::failure(
            describe("Cannot create a backup file in", directoryOf(target), error));
    }
    if (!copyContent(file.get(), backup.get()) || ::fsync(backup.get()) != 0 || !backup.close()) {
        const int error = errno;
        ::unlink(backupPath.c_str());
        return SaveResult::failure(describe("Cannot make a backup of", target, error) +
                                   " Nothing was written.");
    }
    // The backup's name must be on the disk before the file it protects is touched.
    syncDirectoryOf(target);

    const bool written = writeAllAt(file.get(), data, 0) &&
                         ::ftruncate(file.get(), static_cast<off_t>(data.size())) == 0 &&
                         ::fsync(file.get()) == 0;
    if (written) {
        ::unlink(backupPath.c_str());
        return SaveResult::success();
    }
    const int error = errno;
    const std::string reason = describe("Cannot write", target, error);
    const Descriptor saved(::open(backupPath.c_str(), O_RDONLY | O_CLOEXEC));
    if (saved.isOpen() && copyContent(saved.get(), file.get()) && ::fsync(file.get()) == 0) {
        ::unlink(backupPath.c_str());
        return SaveResult::failure(reason + " Its previous content was put back.");
    }
    return SaveResult::failure(reason + " Its previous content is kept in " + quoted(backupPath) +
                               ".");
}

}  // namespace

bool isSaveTemporaryName(std::string_view fileName) {
    return parseSaveFileName(fileName).has_value();
}

int openRegularFile(const std::string& path, struct stat& info) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

std::optional<std::vector<std::uint8_t>> readFilePrefix(const std::string& path,
                                                        std::size_t limit) {
    struct stat info {};
    const int fd = openRegularFile(path, info);
    if (fd < 0) return std::nullopt;
    std::vector<std::uint8_t> data(std::min(static_cast<std::size_t>(info.st_size), limit));
    std::size_t filled = 0;
    while (filled < data.size()) {
        const ssize_t n = ::read(fd, data.data() + filled, data.size() - filled);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) break;  // the file shrank since fstat
        filled += static_cast<std::size_t>(n);
    }
    ::close(fd);
    data.resize(filled);
    return data;
}

SaveResult writeFileAtomically(const std::string& path, std::span<const std::uint8_t> data) {
    if (path.empty()) return SaveResult::failure("No file name was given.");
    std::error_code noCurrentFolder;
    fs::path given = fs::absolute(path, noCurrentFolder);
    if (noCurrentFolder) given = path;

    const ResolvedPath resolved = resolveLinks(given);
    if (resolved.error != 0) {
        return SaveResult::failure(describe("Cannot follow the link", given, resolved.error));
    }
    const fs::path& target = resolved.path;

    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (!exists && errno != ENOENT) {
        // Whatever is there cannot be looked at, so it must not be replaced blindly.
        return SaveResult::failure(describe("Cannot save to", target, errno));
    }
    if (exists && S_ISDIR(existing.st_mode)) {
        return SaveResult::failure(describe("Cannot save over the folder", target, EISDIR));
    }
    if (exists && !S_ISREG(existing.st_mode)) {
        return SaveResult::failure("Cannot save over " + quoted(target) +
                                   ": it is not a plain file.");
    }
    // Renaming over a file needs only the folder's permission, and the superuser passes every
    // access check; a file whose write bits were all taken away to protect it is left alone.
    if (exists && (existing.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        return SaveResult::failure("Cannot write to " + quoted(target) +
                                   ": the file is read-only.");
    }
    if (exists && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
        return SaveResult::failure(describe("Cannot write to", target, errno));
    }

    const FileSizeSignalBlock blockSizeSignal;
    SaveResult result = SaveResult::success();
    Replacement outcome = Replacement::NeedsInPlace;
    if (!exists || existing.st_nlink <= 1) {
        outcome = replaceByRename(target, exists ? &existing : nullptr, data, result);
    }
    if (outcome == Replacement::NeedsInPlace) result = rewriteInPlace(target, existing, data);
    if (!result) return result;

    syncDirectoryOf(target);
    removeStaleTemporaries(target);
    return result;
}
