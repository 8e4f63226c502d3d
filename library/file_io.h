#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

/// The outcome of writing a file: whether it was written and, if not, a short reason a person
/// can read.
struct SaveResult {
    bool saved = false;
    std::string reason;

    static SaveResult success() { return {true, {}}; }
    static SaveResult failure(std::string why) { return {false, std::move(why)}; }
    explicit operator bool() const { return saved; }
};

/// Reads at most `limit` bytes from the start of the regular file at `path`. None when it is not
/// a regular file or cannot be opened or read.
std::optional<std::vector<std::uint8_t>> readFilePrefix(const std::string& path, std::size_t limit);

/// Replaces the file at `path` by `data` so that no failure can leave a half-written file: the
/// bytes go to a new file beside the target, are flushed to the disk, and only then is it renamed
/// over the target. A symbolic link is followed and stays a link; an existing file's permissions
/// are kept. On failure the target is untouched and no temporary file is left behind.
SaveResult writeFileAtomically(const std::string& path, std::span<const std::uint8_t> data);
