#pragma once

// The floor for writing many files into folders, written apart from the product's writer: for
// each folder, every file's bytes go to a new file beside its target and are flushed, then each
// is renamed over its target, and the folder is flushed once, so that every target goes from its
// old bytes to its new ones and the renames last.

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

struct BatchFile {
    std::filesystem::path path;
    std::string bytes;
};

inline void writeSafelyInOneBatch(const std::vector<BatchFile>& files) {
    std::map<std::filesystem::path, std::vector<const BatchFile*>> byFolder;
    for (const BatchFile& file : files) byFolder[file.path.parent_path()].push_back(&file);
    for (const auto& [folder, inFolder] : byFolder) {
        std::vector<std::string> temporaries;
        for (const BatchFile* file : inFolder) {
            std::string temporary =
                (folder / ("." + file->path.filename().string() + ".new")).string();
            const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
            benchmark::DoNotOptimize(::write(fd, file->bytes.data(), file->bytes.size()));
            ::fsync(fd);
            ::close(fd);
            temporaries.push_back(std::move(temporary));
        }
        for (std::size_t i = 0; i < inFolder.size(); ++i) {
            ::rename(temporaries[i].c_str(), inFolder[i]->path.c_str());
        }
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::fsync(fd);
        ::close(fd);
    }
}

/// Every regular file under `folder`, with its bytes, to be written again by the floor.
inline std::vector<BatchFile> filesUnder(const std::filesystem::path& folder) {
    std::vector<BatchFile> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        BatchFile file{entry.path(), {}};
        const int fd = ::open(entry.path().c_str(), O_RDONLY | O_CLOEXEC);
        char buffer[65536];
        for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) {
            file.bytes.append(buffer, static_cast<std::size_t>(n));
        }
        ::close(fd);
        files.push_back(std::move(file));
    }
    return files;
}
