#include "footprint_files.h"

#include "file_io.h"
#include "library_format.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

namespace fs = std::filesystem;

namespace {

// More footprint files than this in one import is a mistake (a wrong folder), not a library.
constexpr std::size_t kMaxFootprintFiles = 100000;

std::string libraryNameOf(const fs::path& folder) {
    const std::string name = folder.filename().string();
    const std::string suffix = ".pretty";
    if (name.size() > suffix.size() &&
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
        return name.substr(0, name.size() - suffix.size());
    }
    return {};
}

}  // namespace

bool collectFootprintFiles(const std::vector<std::string>& inputs,
                           std::vector<FootprintFile>& files,
                           std::vector<ImportProblem>& problems) {
    const auto unreadable = [&problems](const std::string& file, std::string what) {
        problems.push_back({file, std::move(what), ImportProblem::Kind::Unreadable});
    };
    bool ok = true;
    for (const std::string& input : inputs) {
        std::error_code ec;
        const fs::path path(input);
        if (fs::is_directory(path, ec)) {
            std::vector<std::string> found;
            for (fs::directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec)) {
                if (it->path().extension() == ".kicad_mod" && it->is_regular_file(ec)) {
                    found.push_back(it->path().string());
                }
            }
            if (ec) {
                unreadable(input, "the folder cannot be read (" + ec.message() + ")");
                ok = false;
                continue;
            }
            if (found.empty()) {
                // A folder of footprint libraries (KiCad's own footprints folder) is a likely
                // mistake for one of them: say which to give.
                std::vector<std::string> pretty;
                for (fs::directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec)) {
                    if (it->path().extension() == ".pretty" && it->is_directory(ec)) {
                        pretty.push_back(it->path().filename().string());
                    }
                }
                std::sort(pretty.begin(), pretty.end());
                std::string what = "the folder holds no .kicad_mod file";
                if (!pretty.empty()) {
                    what += "; give one of its " + std::to_string(pretty.size()) +
                            (pretty.size() == 1 ? " .pretty folder" : " .pretty folders") + " (" +
                            pretty.front() + (pretty.size() > 1 ? ", ..." : "") + ")";
                }
                unreadable(input, what);
                ok = false;
                continue;
            }
            std::sort(found.begin(), found.end());
            std::string library = libraryNameOf(path.lexically_normal().filename().empty()
                                                    ? path.lexically_normal().parent_path()
                                                    : path.lexically_normal());
            if (library.empty()) {
                library = path.filename().string();
            }
            for (std::string& file : found) {
                files.push_back({std::move(file), library});
            }
        } else if (fs::is_regular_file(path, ec)) {
            const auto header = readFilePrefix(input, kHeaderSize);
            if (header && hasLibrarySignature(*header)) {
                unreadable(input,
                           "a component library, not a KiCad footprint: cobble copy "
                           "takes components from it");
                ok = false;
                continue;
            }
            files.push_back({input, libraryNameOf(path.parent_path())});
        } else if (fs::exists(path, ec)) {
            unreadable(input, "neither a footprint file nor a folder");
            ok = false;
        } else {
            unreadable(input, "no such file or folder");
            ok = false;
        }
        if (files.size() > kMaxFootprintFiles) {
            problems.push_back(
                {input,
                 "more than " + std::to_string(kMaxFootprintFiles) + " footprint files given",
                 ImportProblem::Kind::Refused});
            return false;
        }
    }
    return ok;
}

std::string namesFilePath(const std::string& library) { return library + ".names"; }

std::optional<NameOverrides> readNamesFile(const std::string& path,
                                           std::vector<ImportProblem>& problems) {
    const auto bytes = readFilePrefix(path, kMaxNamesFileBytes + 1);
    if (!bytes || bytes->size() > kMaxNamesFileBytes) {
        problems.push_back(
            {path, "cannot be read, or is larger than 1 MiB", ImportProblem::Kind::Unreadable});
        return std::nullopt;
    }
    NameOverridesResult parsed = parseNameOverrides(std::string(bytes->begin(), bytes->end()));
    if (!parsed.overrides) {
        problems.push_back({path, parsed.error, ImportProblem::Kind::Refused});
        return std::nullopt;
    }
    return std::move(parsed.overrides);
}
