#pragma once

#include "failure.h"
#include "save_file_names.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <vector>

/// The outcome of writing a file: whether it was written and, if not, why (see `Failure`).
struct SaveResult : Failure {
    bool saved = false;
    /// After a success, what the new file could not be given of the old one and that cannot widen
    /// who may read it (a user extended attribute the system refused), as a clause of the same
    /// form as a reason; empty when nothing.
    std::string note;

    static SaveResult success() {
        SaveResult result;
        result.saved = true;
        return result;
    }
    static SaveResult failure(std::string why) {
        SaveResult result;
        result.reason = std::move(why);
        return result;
    }
    explicit operator bool() const { return saved; }
};

/// Opens the file at `path` for reading when it is a regular file (a link counts as the file it
/// points at) and describes it in `info`. The open does not block, so that a FIFO put where a file
/// was cannot hang the program; a FIFO, device, socket or folder is closed again at once. The
/// descriptor, which the caller closes, or -1.
int openRegularFile(const std::string& path, struct stat& info);

/// Reads from `fd` into `data` until `size` bytes are there or the input ends, reading again when
/// a signal interrupts; how many bytes it read (fewer only at the end of the input), or none when
/// a read fails.
std::optional<std::size_t> readFully(int fd, std::uint8_t* data, std::size_t size);

/// Reads at most `limit` bytes from the start of the regular file at `path`. None when it is not
/// a regular file or cannot be opened or read.
std::optional<std::vector<std::uint8_t>> readFilePrefix(const std::string& path, std::size_t limit);

/// `readFilePrefix` into `buffer`, which only ever grows, so that a caller reading many files
/// reuses one allocation: the bytes read are the view's, at the start of `buffer`. The view is
/// valid until `buffer` next changes.
std::optional<std::span<const std::uint8_t>> readFilePrefixInto(const std::string& path,
                                                                std::size_t limit,
                                                                std::vector<std::uint8_t>& buffer);

/// A save's temporary whose process is gone and that is this much older than its last write
/// belongs to a save that was killed: a save writes at most a few megabytes and finishes in
/// seconds. A later successful save in the folder removes such files; backups are never removed
/// that way, since a killed in-place save may have left the only intact copy in one.
inline constexpr std::chrono::seconds kStaleTemporaryAge{3600};

/// Replaces the content of the file at `path` by `data` so that no failure leaves a damaged file.
///
/// Normally the bytes go to a new file beside the target, are flushed to the disk, and only then
/// is it renamed over the target. The new file is created readable by its owner alone and given
/// the target's permissions, owner, group, access control list and user extended attributes
/// before any byte is written, so nobody can read it who could not read the target; when the
/// access control list cannot be given, the save fails, since the file without it could grant
/// its group more than before. A file that has several hard links, or whose owner or group the
/// new file cannot be given, is rewritten in place instead, so that the links stay shared and
/// ownership stays as it was: its old bytes are first copied to a backup beside it and put back
/// if the write fails.
///
/// A symbolic link is followed and stays a link. A file without any write permission bit is never
/// replaced, not even by the superuser; neither is a folder or another non-regular file. Going past
/// the process's file size limit is a failure like any other, not the end of the program.
/// On failure the target is left as it was, no temporary file is left behind, and the result says
/// why. After a success, stale temporaries that killed saves left in the folder are removed.
SaveResult writeFileAtomically(const std::string& path, std::span<const std::uint8_t> data);
