#include "library_file_scan.h"

#include "file_io.h"
#include "library_format.h"

#include <array>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

/// Reads up to a header's worth of bytes from `fd` into `header`, closes it and returns how many
/// it read.
std::size_t readHeader(int fd, std::array<std::uint8_t, kHeaderSize>& header) {
    const std::size_t filled = readFully(fd, header.data(), header.size()).value_or(0);
    ::close(fd);
    return filled;
}

/// Whether the file at `path`, already known to be a plain file, begins with a library header.
/// The caller has checked the entry's type (from the directory itself for a plain file, by a
/// stat for a link), so a second look with fstat would only repeat it, at a system call per
/// file. Should the entry be swapped for something else in between, the non-blocking open
/// cannot hang on a FIFO, and a read that fails or comes back short is no library.
bool startsWithLibraryHeader(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    std::array<std::uint8_t, kHeaderSize> header{};
    const std::size_t filled = readHeader(fd, header);
    return filled == header.size() && hasLibrarySignature(header);
}

}  // namespace

std::vector<std::string> findLibraryFiles(const std::string& directory) {
    std::vector<std::string> names;
    std::error_code error;
    fs::directory_iterator entries(directory, error);
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
        const fs::directory_entry& entry = *entries;
        if (isSaveTemporaryName(entry.path().filename().string())) continue;
        // The type cached from the directory listing costs no system call for a plain file;
        // a link is followed by a stat, so it counts as the file it points at.
        std::error_code statusError;
        if (!entry.is_regular_file(statusError)) continue;
        if (startsWithLibraryHeader(entry.path().string()))
            names.push_back(entry.path().filename());
    }
    return names;
}

LibraryFileProblem findLibraryFileProblem(const std::string& path) {
    const auto problem = [](std::string reason, bool unreadable = true) {
        LibraryFileProblem found;
        found.reason = std::move(reason);
        found.unreadable = unreadable;
        return found;
    };
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return problem(errno == ENOENT ? "no such file" : systemErrorClause(errno));
    }
    if (S_ISDIR(info.st_mode)) return problem("is a folder, not a library file");
    if (!S_ISREG(info.st_mode)) return problem("not a regular file");
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return problem("cannot be read: " + systemErrorClause(errno));
    std::array<std::uint8_t, kHeaderSize> header{};
    if (readHeader(fd, header) < header.size()) {
        return problem("not a library file: shorter than the 16-byte header", false);
    }
    if (!hasLibrarySignature(header)) {
        return problem("not a library file: bytes 3 to 15 do not read \"PCB 4 LIBRARY\"", false);
    }
    return {};
}

std::string libraryFileProblem(const std::string& path) {
    return findLibraryFileProblem(path).reason;
}
