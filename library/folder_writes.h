#pragma once

#include "file_io.h"
#include "staged_writes.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

/// One file of a folder being written: its name within the folder and its new bytes.
struct FolderFile {
    std::string name;
    std::span<const std::uint8_t> data;
};

/// What became of writing files into a folder.
struct FolderWriteResult {
    SaveResult result;
    /// How many of the files, counted from the first, are known to be in place.
    std::size_t written = 0;

    explicit operator bool() const { return static_cast<bool>(result); }
};

/// Writes `files` into `folder`, creating it and its parents when missing. The files go in
/// batches of at most `filesPerBatch`: every new file of a batch is written beside its target
/// and flushed before the first is renamed, and the folder is flushed once per batch, so each
/// target ends with its old bytes or its new ones. The first file that cannot be written ends
/// the writing with a reason that names it and the batches before it stay written; a file
/// refused before its batch is put in place leaves every file of that batch as it was.
FolderWriteResult writeFolderFiles(const std::string& folder, std::span<const FolderFile> files,
                                   std::size_t filesPerBatch = kFilesPerBatch);
