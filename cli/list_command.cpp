#include "list_command.h"

#include "json_output.h"
#include "library_file_scan.h"
#include "name_rules.h"
#include "ordered_work.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <filesystem>
#include <memory>
#include <set>
#include <sys/stat.h>
#include <utility>

namespace fs = std::filesystem;

namespace {

/// A folder's identity on its file system, so that one reached twice, through a link or a
/// loop, is listed once.
using FolderId = std::pair<dev_t, ino_t>;

struct ScannedFolder {
    std::string path;
    std::vector<std::string> libraries;
};

std::string joined(const std::string& directory, const std::string& name) {
    if (directory.empty() || directory.back() == '/') return directory + name;
    return directory + '/' + name;
}

/// Why `path` cannot be listed as a folder, or an empty text.
std::string folderProblem(const std::string& path, FolderId& id) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT) return "no such folder";
        return std::strerror(errno);
    }
    if (!S_ISDIR(info.st_mode)) return "not a folder";
    DIR* handle = ::opendir(path.c_str());
    if (!handle) return std::string("cannot be listed: ") + std::strerror(errno);
    ::closedir(handle);
    id = {info.st_dev, info.st_ino};
    return {};
}

/// The subfolders of `path` (links to folders included), sorted as the window sorts names.
std::vector<std::string> subfolders(const std::string& path) {
    std::vector<std::string> names;
    std::error_code error;
    fs::directory_iterator entries(path, error);
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
        std::error_code statusError;
        if (entries->is_directory(statusError)) names.push_back(entries->path().filename());
    }
    std::stable_sort(names.begin(), names.end(), nameSortsBefore);
    return names;
}

class Scan {
public:
    Scan(const ListOptions& options, const Console& console)
        : options_(options), console_(console) {}

    ExitStatus run() {
        ExitStatus status = ExitStatus::Success;
        Progress progress(console_, options_.directories.size(), "folders");
        for (std::size_t i = 0; i < options_.directories.size(); ++i) {
            const std::string& directory = options_.directories[i];
            FolderId id{};
            if (std::string problem = folderProblem(directory, id); !problem.empty()) {
                console_.error(directory, problem);
                status = worse(status, ExitStatus::Trouble);
            } else {
                scan(directory, id, progress);
            }
            progress.show(++done_);
        }
        // The walk fixed the folders' order; their files are read on every core.
        const auto read = [&](std::size_t i) {
            std::vector<std::string> names = findLibraryFiles(folders_[i].path);
            std::stable_sort(names.begin(), names.end(), nameSortsBefore);
            return names;
        };
        const auto keep = [&](std::size_t i, std::vector<std::string>& names) {
            folders_[i].libraries = std::move(names);
            return true;
        };
        runInOrder(folders_.size(), read, keep);
        return status;
    }

    const std::vector<ScannedFolder>& folders() const { return folders_; }

private:
    void scan(const std::string& directory, FolderId id, Progress& progress) {
        if (!visited_.insert(id).second) return;
        folders_.push_back({directory, {}});
        if (!options_.recursive) return;
        for (const std::string& name : subfolders(directory)) {
            const std::string path = joined(directory, name);
            struct stat info {};
            if (::stat(path.c_str(), &info) != 0) continue;
            scan(path, {info.st_dev, info.st_ino}, progress);
            progress.show(done_);
        }
    }

    const ListOptions& options_;
    const Console& console_;
    std::set<FolderId> visited_;
    std::vector<ScannedFolder> folders_;
    std::size_t done_ = 0;
};

}  // namespace

ExitStatus runList(const ListOptions& options, const Console& console) {
    Scan scan(options, console);
    const ExitStatus status = scan.run();
    if (options.json) {
        Json folders = Json::array();
        for (const ScannedFolder& folder : scan.folders()) {
            folders.push_back({{"folder", folder.path}, {"libraries", folder.libraries}});
        }
        printJson(console.out, {{"folders", folders}});
    } else {
        for (const ScannedFolder& folder : scan.folders()) {
            for (const std::string& name : folder.libraries) {
                console.out << joined(folder.path, name) << '\n';
            }
        }
    }
    return status;
}
