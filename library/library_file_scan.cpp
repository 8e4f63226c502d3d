#include "library_file_scan.h"

#include "file_io.h"
#include "library_format.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

std::vector<std::string> findLibraryFiles(const std::string& directory) {
    std::vector<std::string> names;
    std::error_code error;
    fs::directory_iterator entries(directory, error);
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
        const fs::directory_entry& entry = *entries;
        std::error_code statusError;
        if (!entry.is_regular_file(statusError)) continue;
        const auto header = readFilePrefix(entry.path().string(), kHeaderSize);
        if (header && hasLibrarySignature(*header)) names.push_back(entry.path().filename());
    }
    return names;
}
