#include "file_io.h"

#include "staged_writes.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int openRegularFile(const std::string& path, struct stat& info) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

std::optional<std::size_t> readFully(int fd, std::uint8_t* data, std::size_t size) {
    std::size_t filled = 0;
    while (filled < size) {
        const ssize_t n = ::read(fd, data + filled, size - filled);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::nullopt;
        if (n == 0) break;
        filled += static_cast<std::size_t>(n);
    }
    return filled;
}

std::optional<std::vector<std::uint8_t>> readFilePrefix(const std::string& path,
                                                        std::size_t limit) {
    std::vector<std::uint8_t> data;
    const auto read = readFilePrefixInto(path, limit, data);
    if (!read) return std::nullopt;
    data.resize(read->size());
    return data;
}

std::optional<std::span<const std::uint8_t>> readFilePrefixInto(const std::string& path,
                                                                std::size_t limit,
                                                                std::vector<std::uint8_t>& buffer) {
    struct stat info {};
    const int fd = openRegularFile(path, info);
    if (fd < 0) return std::nullopt;
    const std::size_t size = std::min(static_cast<std::size_t>(info.st_size), limit);
    if (buffer.size() < size) buffer.resize(size);
    const auto filled = readFully(fd, buffer.data(), size);
    ::close(fd);
    if (!filled) return std::nullopt;
    return std::span<const std::uint8_t>(buffer.data(), *filled);
}

SaveResult writeFileAtomically(const std::string& path, std::span<const std::uint8_t> data) {
    StagedWrites writes;
    if (!writes.stage(path, data)) return writes.failure();
    return writes.commit();
}
