#include "folder_writes.h"

#include "ordered_work.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

namespace fs = std::filesystem;

namespace {

/// The writing is about the folder, so the reason names the file in it that failed.
SaveResult namingTheFile(SaveResult failed, const std::string& path) {
    failed.reason = "\"" + path + "\" was not written: " + failed.reason;
    failed.path = path;
    return failed;
}

}  // namespace

FolderWriteResult writeFolderFiles(const std::string& folder, std::span<const FolderFile> files,
                                   std::size_t filesPerBatch) {
    FolderWriteResult written;
    std::error_code error;
    fs::create_directories(folder, error);
    if (error || !fs::is_directory(folder)) {
        written.result =
            SaveResult::failure("cannot create the folder \"" + folder + "\": " +
                                (error ? error.message() : "a file of that name is in the way"));
        written.result.path = folder;
        return written;
    }
    filesPerBatch = std::max<std::size_t>(filesPerBatch, 1);
    while (written.written < files.size()) {
        const std::size_t first = written.written;
        const std::size_t count = std::min(files.size() - first, filesPerBatch);
        StagedWrites batch;
        // Staged on every core, so that the files' flushes overlap; the first file in order that
        // is refused ends the batch, whose temporaries go with it.
        const auto stage = [&](std::size_t i) {
            const std::string path = (fs::path(folder) / files[first + i].name).string();
            return std::pair{path, batch.stageApart(path, files[first + i].data)};
        };
        SaveResult refused = SaveResult::success();
        const auto check = [&](std::size_t, const std::pair<std::string, SaveResult>& staged) {
            if (!staged.second) refused = namingTheFile(staged.second, staged.first);
            return static_cast<bool>(staged.second);
        };
        runInOrder(count, stage, check);
        if (!refused) {
            written.result = std::move(refused);
            return written;
        }
        SaveResult committed = batch.commit();
        if (!committed) {
            const std::string failedPath = committed.path;
            written.result = namingTheFile(std::move(committed), failedPath);
            return written;
        }
        written.written = first + count;
    }
    written.result = SaveResult::success();
    return written;
}
