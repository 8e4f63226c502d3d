#include "folder_writes.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

/// The writer may name only the folder it could not write in; the user needs the file.
SaveResult namingTheFile(SaveResult failed, const std::string& path) {
    if (failed.reason.find(path) == std::string::npos) {
        failed.reason = "\"" + path + "\" was not written. " + failed.reason;
    }
    if (failed.path.empty()) failed.path = path;
    return failed;
}

}  // namespace

FolderWriteResult writeFolderFiles(const std::string& folder, std::span<const FolderFile> files,
                                   std::size_t filesPerBatch) {
    FolderWriteResult written;
    std::error_code error;
    fs::create_directories(folder, error);
    if (error || !fs::is_directory(folder)) {
        written.result = SaveResult::failure(
            "cannot create the folder \"" + folder +
            "\": " + (error ? error.message() : "a file of that name is in the way") + ".");
        written.result.path = folder;
        return written;
    }
    filesPerBatch = std::max<std::size_t>(filesPerBatch, 1);
    while (written.written < files.size()) {
        const std::size_t end = std::min(files.size(), written.written + filesPerBatch);
        StagedWrites batch;
        std::string path;
        for (std::size_t i = written.written; i < end; ++i) {
            path = (fs::path(folder) / files[i].name).string();
            if (!batch.stage(path, files[i].data)) {
                written.result = namingTheFile(batch.failure(), path);
                return written;
            }
        }
        SaveResult committed = batch.commit();
        if (!committed) {
            const std::string failedPath = committed.path;
            written.result = namingTheFile(std::move(committed), failedPath);
            return written;
        }
        written.written = end;
    }
    written.result = SaveResult::success();
    return written;
}
