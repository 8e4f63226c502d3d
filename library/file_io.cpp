#include "file_io.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string describe(const std::string& what, const std::string& path, int error) {
    return what + " \"" + path + "\": " + std::strerror(error) + ".";
}

/// Follows a chain of symbolic links to the path that holds the file, so that saving through a
/// link replaces the file it points at and keeps the link. Dangling links resolve too.
fs::path resolveLinks(fs::path path) {
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(path, error))) break;
        const fs::path link = fs::read_symlink(path, error);
        if (error) break;
        path = link.is_absolute() ? link : path.parent_path() / link;
    }
    return path;
}

bool writeAll(int fd, std::span<const std::uint8_t> data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data = data.subspan(static_cast<std::size_t>(n));
    }
    return true;
}

/// Creates a new, empty file beside `target` under a name no other file has, with the mode a new
/// file gets from the process's umask. Returns its descriptor and path, or -1 and sets errno.
int createSibling(const fs::path& target, fs::path& siblingPath) {
    static unsigned counter = 0;
    const fs::path directory = target.has_parent_path() ? target.parent_path() : fs::path(".");
    for (int attempt = 0; attempt < 100; ++attempt) {
        siblingPath = directory / ("." + target.filename().string() + ".save-" +
                                   std::to_string(::getpid()) + "-" + std::to_string(counter++));
        const int fd = ::open(siblingPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

void syncDirectoryOf(const fs::path& target) {
    const fs::path directory = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

std::optional<std::vector<std::uint8_t>> readFilePrefix(const std::string& path,
                                                        std::size_t limit) {
    // Non-blocking, so that a FIFO given as a library cannot hang the program; it is refused below.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
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
    const fs::path target = resolveLinks(path);

    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) {
        return SaveResult::failure(describe("Cannot save over the folder", target, EISDIR));
    }
    // Renaming over a file needs only the folder's permission; a file its owner made read-only
    // to protect it is left alone, as writing into it directly would be refused too.
    if (exists && ::access(target.c_str(), W_OK) != 0) {
        return SaveResult::failure(describe("Cannot write to", target, errno));
    }

    fs::path temporary;
    const int fd = createSibling(target, temporary);
    if (fd < 0) {
        const int error = errno;
        return SaveResult::failure(
            describe("Cannot create a file in", target.parent_path().string(), error));
    }

    auto fail = [&](const std::string& what) {
        const int error = errno;
        ::close(fd);
        ::unlink(temporary.c_str());
        return SaveResult::failure(describe(what, target, error));
    };
    if (exists && ::fchmod(fd, existing.st_mode & 07777) != 0) {
        return fail("Cannot give the new file the permissions of");
    }
    if (!writeAll(fd, data)) return fail("Cannot write");
    if (::fsync(fd) != 0) return fail("Cannot flush to the disk");
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return SaveResult::failure(describe("Cannot write", target, error));
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return SaveResult::failure(describe("Cannot replace", target, error));
    }
    syncDirectoryOf(target);
    return SaveResult::success();
}
