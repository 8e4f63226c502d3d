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
    StagedWrites writes;
    if (!writes.stage(path, data)) return writes.failure();
    return writes.commit();
}
