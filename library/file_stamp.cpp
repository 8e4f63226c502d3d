#include "file_stamp.h"

#include "file_io.h"

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

/// The table of the reflected CRC-32 of zip and PNG (polynomial 0xEDB88320).
constexpr std::array<std::uint32_t, 256> kCrcTable = [] {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int bit = 0; bit < 8; ++bit) c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}();

std::uint32_t crcUpdate(std::uint32_t crc, const std::uint8_t* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) crc = kCrcTable[(crc ^ data[i]) & 0xFFu] ^ (crc >> 8);
    return crc;
}

}  // namespace

std::optional<FileStamp> stampFile(const std::string& path) {
    struct stat info {};
    const int fd = openRegularFile(path, info);
    if (fd < 0) return std::nullopt;
    std::uint32_t crc = 0xFFFFFFFFu;
    std::int64_t length = 0;
    std::array<std::uint8_t, 65536> buffer{};
    for (;;) {
        const std::optional<std::size_t> n = readFully(fd, buffer.data(), buffer.size());
        if (!n) {
            ::close(fd);
            return std::nullopt;
        }
        crc = crcUpdate(crc, buffer.data(), *n);
        length += static_cast<std::int64_t>(*n);
        if (*n < buffer.size()) break;
    }
    ::close(fd);

    FileStamp stamp;
    stamp.device = static_cast<std::uint64_t>(info.st_dev);
    stamp.inode = static_cast<std::uint64_t>(info.st_ino);
    // The bytes read, not fstat's size: a file still being written is stamped as it was read.
    stamp.size = length;
    stamp.modifiedSeconds = static_cast<std::int64_t>(info.st_mtim.tv_sec);
    stamp.modifiedNanoseconds = static_cast<std::int64_t>(info.st_mtim.tv_nsec);
    stamp.crc = crc ^ 0xFFFFFFFFu;
    return stamp;
}
