#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <sys/stat.h>
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

/// Opens the file at `path` for reading when it is a regular file (a link counts as the file it
/// points at) and describes it in `info`. The open does not block, so that a FIFO put where a file
/// was cannot hang the program; a FIFO, device, socket or folder is closed again at once. The
/// descriptor, which the caller closes, or -1.
int openRegularFile(const std::string& path, struct stat& info);

/// Reads at most `limit` bytes from the start of the regular file at `path`. None when it is not
/// a regular file or cannot be opened or read.
std::optional<std::vector<std::uint8_t>> readFilePrefix(const std::string& path, std::size_t limit);

/// Whether `fileName` (a name without folder) is one of the files a save keeps beside its target
/// while it runs: ".NAME.save-PID-N", the new content before it is renamed over NAME, and
/// ".NAME.backup-PID-N", the old content while NAME is rewritten in place. Both may carry the
/// library signature but are no library of their own, so the directory scan skips them.
bool isSaveTemporaryName(std::string_view fileName);

/// A ".NAME.save-PID-N" file this much older than its last write belongs to a save that was
/// killed: a save writes at most a few megabytes and finishes in seconds. The next successful
/// save of NAME removes such files; backups are never removed that way, since a killed in-place
/// save may have left the only intact copy in one.
inline constexpr std::chrono::seconds kStaleTemporaryAge{3600};

/// Replaces the content of the file at `path` by `data` so that no failure leaves a damaged file.
///
/// Normally the bytes go to a new file beside the target, are flushed to the disk, and only then
/// is it renamed over the target, which keeps its permissions, owner and group. A file that has
/// several hard links, or whose owner or group the new file cannot be given, is rewritten in place
/// instead, so that the links stay shared and ownership stays as it was: its old bytes are first
/// copied to a backup beside it and put back if the write fails.
///
/// A symbolic link is followed and stays a link. A file without any write permission bit is never
/// replaced, not even by the superuser; neither is a folder or another non-regular file. Going past
/// the process's file size limit is a failure like any other, not the end of the program.
/// On failure the target is left as it was, no temporary file is left behind, and the result says
/// why. After a success, stale temporaries of earlier saves of the same target are removed.
SaveResult writeFileAtomically(const std::string& path, std::span<const std::uint8_t> data);
