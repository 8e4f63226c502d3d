#include "staged_writes.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <pthread.h>
#include <set>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

/// The most links followed on the way to the file, as many as the kernel itself follows.
constexpr int kMaxLinkHops = 40;

/// Where the system keeps a file's access control list, in its own binary form that is copied
/// as it is.
constexpr const char* kAccessAcl = "system.posix_acl_access";
constexpr std::string_view kUserAttributePrefix = "user.";

std::string quoted(const fs::path& path) { return "\"" + path.string() + "\""; }

/// A failure's reason: `what` went wrong, then the system's text for `error`. The reasons do not
/// name the file being saved (see `Failure`), only the other files they concern. `what` is a
/// view, so that an `errno` passed with it is read before anything could change it.
std::string describe(std::string_view what, int error) {
    return std::string(what) + ": " + std::strerror(error);
}

fs::path directoryOf(const fs::path& target) {
    if (target.has_parent_path()) return target.parent_path();
    std::error_code error;
    fs::path current = fs::current_path(error);
    return error ? fs::path(".") : current;
}

fs::path absolutePath(const std::string& path) {
    std::error_code noCurrentFolder;
    fs::path given = fs::absolute(path, noCurrentFolder);
    return noCurrentFolder ? fs::path(path) : given;
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
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() { reset(); }
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
    void reset(int fd = -1) {
        if (fd_ >= 0) {
            const int savedErrno = errno;
            ::close(fd_);
            errno = savedErrno;
        }
        fd_ = fd;
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

/// Creates a new, empty file beside `target` under a save file name of `kind` that no other file
/// has, with `mode` less the process's umask. Returns its descriptor and path, or -1 and sets
/// errno.
int createSibling(const fs::path& target, SaveFileKind kind, mode_t mode, fs::path& siblingPath) {
    static std::atomic<std::uint64_t> counter = 0;
    const fs::path directory = directoryOf(target);
    const std::string name = target.filename().string();
    for (int attempt = 0; attempt < 100; ++attempt) {
        siblingPath =
            directory / saveFileName(name, kind, static_cast<std::uint64_t>(::getpid()), counter++);
        const int fd = ::open(siblingPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

void syncDirectory(const fs::path& directory) {
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool processIsGone(std::uint64_t process) {
    if (process > static_cast<std::uint64_t>(INT_MAX)) return true;
    return ::kill(static_cast<pid_t>(process), 0) != 0 && errno == ESRCH;
}

/// Removes the temporaries that killed saves left in `directory`: regular files in the
/// temporaries' pattern whose process no longer runs and which were last written more than
/// kStaleTemporaryAge ago. A save still running keeps its process, so its file is never one.
/// Each folder is looked through once per process, since a listing costs as much as the folder
/// is large and a stale temporary appears only when a process is killed.
void removeStaleTemporaries(const fs::path& directory) {
    static std::mutex mutex;
    static std::set<std::string> swept;
    {
        const std::lock_guard<std::mutex> hold(mutex);
        if (!swept.insert(directory.string()).second) return;
    }
    const std::time_t now = std::time(nullptr);
    std::error_code error;
    fs::directory_iterator entries(directory, error);
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
        const fs::path& candidate = entries->path();
        const std::string candidateName = candidate.filename().string();
        const auto parsed = parseSaveFileName(candidateName);
        if (!parsed || parsed->kind != SaveFileKind::temporary) continue;
        struct stat info {};
        if (::lstat(candidate.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
        if (now - info.st_mtime <= kStaleTemporaryAge.count()) continue;
        if (!processIsGone(parsed->process)) continue;
        ::unlink(candidate.c_str());
    }
}

/// The value of the extended attribute `name` of the file at `path`, none when it has none (or
/// its file system keeps none). A failure to read sets `error`.
std::optional<std::vector<char>> readAttribute(const fs::path& path, const char* name, int& error) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        const ssize_t size = ::getxattr(path.c_str(), name, nullptr, 0);
        if (size < 0) {
            if (errno != ENODATA && errno != ENOTSUP) error = errno;
            return std::nullopt;
        }
        std::vector<char> value(static_cast<std::size_t>(size));
        const ssize_t read = ::getxattr(path.c_str(), name, value.data(), value.size());
        if (read >= 0) {
            value.resize(static_cast<std::size_t>(read));
            return value;
        }
        if (errno != ERANGE) {  // ERANGE: it grew in between, so ask its size again
            error = errno;
            return std::nullopt;
        }
    }
    error = ERANGE;
    return std::nullopt;
}

/// The names of the user extended attributes of the file at `path`.
std::vector<std::string> userAttributeNames(const fs::path& path, int& error) {
    std::vector<char> list;
    for (int attempt = 0; attempt < 8; ++attempt) {
        const ssize_t size = ::listxattr(path.c_str(), nullptr, 0);
        if (size < 0) {
            if (errno != ENOTSUP) error = errno;
            return {};
        }
        list.resize(static_cast<std::size_t>(size));
        const ssize_t read = ::listxattr(path.c_str(), list.data(), list.size());
        if (read >= 0) {
            list.resize(static_cast<std::size_t>(read));
            break;
        }
        if (errno != ERANGE) {
            error = errno;
            return {};
        }
    }
    std::vector<std::string> names;
    for (std::size_t at = 0; at < list.size();) {
        const std::string name(list.data() + at);
        at += name.size() + 1;
        if (name.starts_with(kUserAttributePrefix)) names.push_back(name);
    }
    return names;
}

/// Gives the new file `fd` the access control list of `target`, or takes away one it inherited
/// from its folder when the target has none. A file without its list could grant its group what
/// the list's mask granted named users, so a refusal fails the save.
bool copyAccessList(const fs::path& target, int fd, SaveResult& result) {
    int error = 0;
    const auto acl = readAttribute(target, kAccessAcl, error);
    if (error != 0) {
        result = SaveResult::failure(describe("cannot read its access control list", error) +
                                     "; nothing was written");
        return false;
    }
    const bool done =
        acl ? ::fsetxattr(fd, kAccessAcl, acl->data(), acl->size(), 0) == 0
            : ::fremovexattr(fd, kAccessAcl) == 0 || errno == ENODATA || errno == ENOTSUP;
    if (!done) {
        result = SaveResult::failure(
            describe("the new file cannot be given its access control list", errno) +
            "; nothing was written");
    }
    return done;
}

/// Gives the new file `fd` the user extended attributes of `target`. They grant nobody access,
/// so one the system refuses is only noted.
void copyUserAttributes(const fs::path& target, int fd, std::string& note) {
    int error = 0;
    std::vector<std::string> refused;
    for (const std::string& name : userAttributeNames(target, error)) {
        int readError = 0;
        const auto value = readAttribute(target, name.c_str(), readError);
        if (!value || ::fsetxattr(fd, name.c_str(), value->data(), value->size(), 0) != 0) {
            refused.push_back(
                name + " (" +
                std::strerror(readError != 0 ? readError : (value ? errno : ENODATA)) + ")");
        }
    }
    if (error != 0) {
        note = std::string("its extended attributes could not be read (") + std::strerror(error) +
               "), so the new file has none";
        return;
    }
    if (refused.empty()) return;
    note = "the new file lacks the extended attribute";
    if (refused.size() > 1) note += "s";
    for (std::size_t i = 0; i < refused.size(); ++i) note += (i ? ", " : " ") + refused[i];
}

enum class Outcome { done, failed, needsInPlace };

std::atomic<void (*)(const std::string&)> creationHook = nullptr;

}  // namespace

struct StagedWrites::Target {
    fs::path given;
    fs::path path;
    /// The new bytes beside the target, renamed over it at commit; empty for one in place.
    fs::path temporary;
    /// For a target rewritten in place: the target itself, its backup and the new bytes.
    Descriptor file;
    fs::path backup;
    std::vector<std::uint8_t> data;
    bool applied = false;
    std::string note;

    bool inPlace() const { return file.isOpen(); }

    /// Writes `bytes` to a private temporary beside the target. Answers needsInPlace, with
    /// nothing left behind, when the new file cannot be given the existing file's owner and
    /// group: a new owner would be a loss nobody asked for.
    Outcome writeTemporary(const struct stat* existing, std::span<const std::uint8_t> bytes,
                           SaveResult& result) {
        // A new file gets what the umask and the folder's default list give it, as the target
        // will; a replacement starts readable by its owner alone and never wider than the target.
        const mode_t mode = existing ? (existing->st_mode & 0600) : 0666;
        Descriptor created(createSibling(path, SaveFileKind::temporary, mode, temporary));
        if (!created.isOpen()) {
            const int error = errno;
            temporary.clear();
            result = SaveResult::failure(
                describe("cannot create a file in " + quoted(directoryOf(path)), error));
            return Outcome::failed;
        }
        if (const auto hook = creationHook.load()) hook(temporary.string());
        auto fail = [&](std::string_view what, int error) {
            result = SaveResult::failure(describe(what, error));
            return Outcome::failed;
        };
        if (existing) {
            struct stat info {};
            if (::fstat(created.get(), &info) != 0) return fail("cannot be written", errno);
            if ((info.st_uid != existing->st_uid || info.st_gid != existing->st_gid) &&
                ::fchown(created.get(), existing->st_uid, existing->st_gid) != 0) {
                // EPERM for a user who may write another's file, EINVAL for an owner unknown
                // here; either way the file is rewritten in place rather than handed to a new
                // owner.
                ::unlink(temporary.c_str());
                temporary.clear();
                return Outcome::needsInPlace;
            }
            if (!copyAccessList(path, created.get(), result)) return Outcome::failed;
            // After fchown, which clears the set-user-ID and set-group-ID bits, and after the
            // list, whose mask the group bits then restate.
            if (::fchmod(created.get(), existing->st_mode & 07777) != 0) {
                return fail("the new file cannot be given its permissions", errno);
            }
            copyUserAttributes(path, created.get(), note);
        }
        if (!writeAllAt(created.get(), bytes, 0)) return fail("cannot be written", errno);
        if (::fsync(created.get()) != 0) return fail("cannot be flushed to the disk", errno);
        if (!created.close()) return fail("cannot be written", errno);
        return Outcome::done;
    }

    /// Opens the target to be rewritten in place at commit, which keeps every hard link, the
    /// owner, the group and the permissions, and copies its old bytes to a flushed backup.
    bool prepareInPlace(const struct stat& existing, std::span<const std::uint8_t> bytes,
                        SaveResult& result) {
        file.reset(::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC));
        if (!file.isOpen()) {
            result = SaveResult::failure(describe("cannot be opened", errno));
            return false;
        }
        struct stat opened {};
        if (::fstat(file.get(), &opened) != 0) {
            result = SaveResult::failure(describe("cannot be opened", errno));
            return false;
        }
        if (opened.st_dev != existing.st_dev || opened.st_ino != existing.st_ino) {
            result = SaveResult::failure(
                "was replaced by another file during the save; nothing was written");
            return false;
        }
        Descriptor copy(createSibling(path, SaveFileKind::backup, 0600, backup));
        if (!copy.isOpen()) {
            const int error = errno;
            backup.clear();
            result = SaveResult::failure(
                describe("cannot create a backup file in " + quoted(directoryOf(path)), error));
            return false;
        }
        if (!copyContent(file.get(), copy.get()) || ::fsync(copy.get()) != 0 || !copy.close()) {
            result = SaveResult::failure(describe("cannot be backed up", errno) +
                                         "; nothing was written");
            return false;
        }
        // The backup's name must be on the disk before the file it protects is touched.
        syncDirectory(directoryOf(path));
        data.assign(bytes.begin(), bytes.end());
        return true;
    }

    bool applyInPlace() {
        applied = true;
        return writeAllAt(file.get(), data, 0) &&
               ::ftruncate(file.get(), static_cast<off_t>(data.size())) == 0 &&
               ::fsync(file.get()) == 0;
    }

    /// Puts the backup's bytes back into a target rewritten in place. False when even that
    /// fails; the backup is then kept.
    bool putBack() {
        const Descriptor saved(::open(backup.c_str(), O_RDONLY | O_CLOEXEC));
        if (saved.isOpen() && copyContent(saved.get(), file.get()) && ::fsync(file.get()) == 0) {
            applied = false;
            return true;
        }
        return false;
    }

    /// Removes what the target left beside it, except a backup that holds the only intact copy.
    void cleanUp() {
        if (!temporary.empty()) ::unlink(temporary.c_str());
        temporary.clear();
        if (!backup.empty() && !applied) ::unlink(backup.c_str());
        backup.clear();
        file.reset();
    }
};

StagedWrites::StagedWrites() = default;

StagedWrites::~StagedWrites() { discard(); }

const SaveResult& StagedWrites::failure() const { return failure_; }

void StagedWrites::discard() {
    for (const auto& target : targets_) target->cleanUp();
    targets_.clear();
}

bool StagedWrites::stage(const std::string& path, std::span<const std::uint8_t> data) {
    if (!failure_) return false;
    SaveResult result = prepare(path, data);
    if (result) return true;
    failure_ = std::move(result);
    discard();
    return false;
}

SaveResult StagedWrites::stageApart(const std::string& path, std::span<const std::uint8_t> data) {
    if (!failure_) return failure_;
    return prepare(path, data);
}

std::size_t StagedWrites::size() const {
    const std::lock_guard<std::mutex> hold(targetsMutex_);
    return targets_.size();
}

SaveResult StagedWrites::prepare(const std::string& path, std::span<const std::uint8_t> data) {
    auto fail = [&](SaveResult result) {
        result.path = path;
        return result;
    };
    if (path.empty()) return fail(SaveResult::failure("no file name was given"));
    const fs::path given = absolutePath(path);

    const ResolvedPath resolved = resolveLinks(given);
    if (resolved.error != 0) {
        return fail(SaveResult::failure(describe("cannot follow its links", resolved.error)));
    }
    auto target = std::make_unique<Target>();
    target->given = given;
    target->path = resolved.path;
    const fs::path& where = target->path;

    struct stat existing {};
    const bool exists = ::stat(where.c_str(), &existing) == 0;
    if (!exists && errno != ENOENT) {
        // Whatever is there cannot be looked at, so it must not be replaced blindly.
        return fail(SaveResult::failure(describe("cannot be looked at", errno)));
    }
    if (exists && S_ISDIR(existing.st_mode)) {
        return fail(SaveResult::failure("is a folder"));
    }
    if (exists && !S_ISREG(existing.st_mode)) {
        return fail(SaveResult::failure("is not a plain file"));
    }
    // Renaming over a file needs only the folder's permission, and the superuser passes every
    // access check; a file whose write bits were all taken away to protect it is left alone.
    if (exists && (existing.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        return fail(SaveResult::failure("is read-only"));
    }
    if (exists && ::faccessat(AT_FDCWD, where.c_str(), W_OK, AT_EACCESS) != 0) {
        return fail(SaveResult::failure(describe("cannot be written", errno)));
    }

    const FileSizeSignalBlock blockSizeSignal;
    SaveResult result = SaveResult::success();
    Outcome outcome = Outcome::needsInPlace;
    if (!exists || existing.st_nlink <= 1) {
        outcome = target->writeTemporary(exists ? &existing : nullptr, data, result);
    }
    if (outcome == Outcome::needsInPlace) {
        outcome = target->prepareInPlace(existing, data, result) ? Outcome::done : Outcome::failed;
    }
    if (outcome == Outcome::failed) {
        target->cleanUp();
        return fail(std::move(result));
    }
    const std::lock_guard<std::mutex> hold(targetsMutex_);
    targets_.push_back(std::move(target));
    return SaveResult::success();
}

SaveResult StagedWrites::commit() {
    if (!failure_) return failure_;
    const FileSizeSignalBlock blockSizeSignal;

    // In-place rewrites first: they can still be undone from their backups while no temporary
    // has replaced its target.
    for (const auto& target : targets_) {
        if (!target->inPlace() || target->applyInPlace()) continue;
        SaveResult result = SaveResult::failure(describe("cannot be written", errno));
        result.path = target->given.string();
        for (const auto& written : targets_) {
            if (!written->applied) continue;
            if (written->putBack()) {
                if (written == target) result.reason += "; its previous content was put back";
            } else {
                result.reason += (written == target ? "; its previous content is kept in "
                                                    : "; the previous content of " +
                                                          quoted(written->path) + " is kept in ") +
                                 quoted(written->backup);
            }
        }
        failure_ = result;
        discard();
        return result;
    }

    std::set<std::string> folders;
    for (const auto& target : targets_) {
        folders.insert(directoryOf(target->path).string());
        if (target->inPlace()) continue;
        if (::rename(target->temporary.c_str(), target->path.c_str()) != 0) {
            // Files renamed before and those rewritten in place stay new, the rest old: each
            // whole, and no backup is kept of a file that was written completely.
            SaveResult result = SaveResult::failure(describe("cannot be replaced", errno));
            result.path = target->given.string();
            for (const auto& folder : folders) syncDirectory(folder);
            for (const auto& written : targets_) written->applied = false;
            failure_ = result;
            discard();
            return result;
        }
        target->temporary.clear();
    }
    for (const auto& folder : folders) syncDirectory(folder);

    SaveResult result = SaveResult::success();
    for (const auto& target : targets_) {
        target->applied = false;
        if (!target->note.empty()) {
            // A clause names no file, so where several were saved each note says which.
            const std::string note =
                targets_.size() > 1 ? quoted(target->given) + ": " + target->note : target->note;
            result.note += (result.note.empty() ? "" : "; ") + note;
        }
    }
    discard();
    for (const auto& folder : folders) removeStaleTemporaries(folder);
    return result;
}

void setTemporaryCreationHook(void (*hook)(const std::string& path)) { creationHook = hook; }

std::string lockFilePath(const std::string& path) {
    const fs::path given = absolutePath(path);
    const ResolvedPath resolved = resolveLinks(given);
    const fs::path& target = resolved.error == 0 ? resolved.path : given;
    return (directoryOf(target) / saveFileName(target.filename().string(), SaveFileKind::lock))
        .string();
}

std::vector<std::string> findInterruptedBackups(const std::string& path) {
    const fs::path given = absolutePath(path);
    const ResolvedPath resolved = resolveLinks(given);
    const fs::path& target = resolved.error == 0 ? resolved.path : given;
    const std::string stem = saveFileStem(target.filename().string());
    std::vector<std::pair<std::time_t, std::string>> found;
    std::error_code error;
    fs::directory_iterator entries(directoryOf(target), error);
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
        const std::string name = entries->path().filename().string();
        const auto parsed = parseSaveFileName(name);
        if (!parsed || parsed->kind != SaveFileKind::backup || parsed->stem != stem) continue;
        struct stat info {};
        if (::lstat(entries->path().c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
        if (!processIsGone(parsed->process)) continue;
        found.emplace_back(info.st_mtime, entries->path().string());
    }
    std::sort(found.begin(), found.end(), std::greater<>());
    std::vector<std::string> paths;
    for (auto& [time, backup] : found) paths.push_back(std::move(backup));
    return paths;
}
