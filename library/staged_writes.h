#pragma once

#include "file_io.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

/// Replaces several files together, each from its old to its new bytes and never torn, so that a
/// failure anywhere before the files are put in place leaves every one of them as it was.
///
/// `stage` checks one target and writes its new bytes to a private temporary beside it, flushed
/// to the disk; `commit` then renames each temporary over its target and flushes each folder once.
/// When a stage fails, later stages are refused, `commit` renames nothing and every temporary is
/// removed; so does destroying the object uncommitted. A target with several hard links, or whose
/// owner or group a new file cannot be given, is rewritten in place at `commit` instead, behind a
/// backup of its old bytes that is put back when any write of the set fails.
///
/// The rules for one target are those of `writeFileAtomically`, which is a set of one.
class StagedWrites final {
public:
    StagedWrites();
    ~StagedWrites();
    StagedWrites(const StagedWrites&) = delete;
    StagedWrites& operator=(const StagedWrites&) = delete;

    /// Prepares `path` to receive `data`. False when the target must not or cannot be written;
    /// `failure` then says why and names the file.
    bool stage(const std::string& path, std::span<const std::uint8_t> data);

    /// Prepares `path` like `stage`, for a set of files that do not depend on each other: a
    /// target that must not or cannot be written is refused alone, the result says why and names
    /// it, and the files staged before stay staged. Refused as a whole after a failed `stage`.
    /// Several threads may stage apart at once, though not beside `stage` or `commit`, so that
    /// the flushes of many files overlap.
    SaveResult stageApart(const std::string& path, std::span<const std::uint8_t> data);

    /// How many files are staged.
    std::size_t size() const;

    /// Puts every staged file in place. After a success stale temporaries that killed saves left
    /// in the folders are removed; a folder is looked through at most once per process.
    SaveResult commit();

    /// The reason of the first failed stage; success while none failed.
    const SaveResult& failure() const;

private:
    struct Target;
    SaveResult prepare(const std::string& path, std::span<const std::uint8_t> data);
    void discard();

    mutable std::mutex targetsMutex_;
    std::vector<std::unique_ptr<Target>> targets_;
    SaveResult failure_ = SaveResult::success();
};

/// The most files a writer of many files stages before committing them. A target rewritten in
/// place holds its descriptor and its new bytes until the commit, so an unbounded set could run
/// out of descriptors or memory; a batch of this size costs one folder flush among hundreds of
/// file flushes.
inline constexpr std::size_t kFilesPerBatch = 256;

/// Has `hook` called with the path of each temporary right after it is created, before it is given
/// the target's owner, permissions or any byte, so that a test can check who could open it then;
/// none (the default) when null. Not for use beside saves running in other threads.
void setTemporaryCreationHook(void (*hook)(const std::string& path));

/// The lock file that writers of the file at `path` take turns on: beside the file the path names
/// after symbolic links are followed, so that every path to one file finds the same lock.
std::string lockFilePath(const std::string& path);

/// The backups that in-place saves of the file at `path` left beside it when they were killed
/// (their process is gone), newest first. Such a backup holds the file as it was before a save
/// that may have left it torn. Lists the file's folder.
std::vector<std::string> findInterruptedBackups(const std::string& path);
