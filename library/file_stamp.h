#pragma once

#include <cstdint>
#include <optional>
#include <string>

/// What a file looked like at one moment: which file it is (device and inode), its size, its last
/// modification time to the nanosecond and a CRC-32 of its bytes. A stamp taken when a library is
/// loaded, compared with one taken just before it is saved, tells whether another program changed
/// or replaced the file in between; the CRC catches a change that kept size and time.
struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedSeconds = 0;
    std::int64_t modifiedNanoseconds = 0;
    std::uint32_t crc = 0;

    bool operator==(const FileStamp&) const = default;
};

/// The stamp of the regular file at `path`, following symbolic links as a save does. None when
/// there is no such file or it cannot be read; a FIFO or a device is never opened for reading.
/// Reads the whole file, so it costs about as much as loading it.
std::optional<FileStamp> stampFile(const std::string& path);
