#include "export_kicad_command.h"

#include "component_names.h"
#include "footprint_files.h"
#include "json_output.h"
#include "library_export.h"
#include "library_input.h"
#include "name_rules.h"
#include "name_text.h"
#include "write_refusals.h"

#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <sys/stat.h>
#include <system_error>
#include <utility>

namespace fs = std::filesystem;

namespace {

// The name a library file's footprints are exported under: its file name without the extension,
// "stdin" for standard input.
std::string exportedLibraryName(const std::string& path) {
    if (path == kStandardInput) return "stdin";
    return fs::path(path).filename().replace_extension().string();
}

/// The footprints written, with their components, in the window's list order. The export gives
/// them in the library's own order, head first.
std::vector<std::pair<const Component*, const ExportedFootprint*>> writtenInListOrder(
    const LoadedLibrary& loaded, const LibraryExportResult& result) {
    const auto& components = loaded.library.components();
    std::map<const Component*, std::size_t> indexOf;
    for (std::size_t i = 0; i < components.size(); ++i) indexOf[components[i].get()] = i;
    std::vector<std::pair<const Component*, const ExportedFootprint*>> written;
    for (const Component* component : componentsInListOrder(loaded)) {
        const std::size_t i = indexOf[component];
        if (i < result.footprints.size()) written.emplace_back(component, &result.footprints[i]);
    }
    return written;
}

/// The notes of one library, in the window's list order, as `  NAME: note` lines.
void printSummary(const LoadedLibrary& loaded, const LibraryExportResult& result,
                  const Console& console) {
    console.out << loaded.path << ": " << result.footprints.size()
                << (result.footprints.size() == 1 ? " footprint" : " footprints") << " written to "
                << result.folder << '\n';
    for (const auto& [component, footprint] : writtenInListOrder(loaded, result)) {
        for (const std::string& note : footprint->notes) {
            console.out << "  " << nameForText(component->displayName()) << ": " << note << '\n';
        }
    }
}

Json libraryJson(const LoadedLibrary& loaded, const LibraryExportResult& result) {
    Json footprints = Json::array();
    for (const auto& [component, written] : writtenInListOrder(loaded, result)) {
        const ExportedFootprint& footprint = *written;
        footprints.push_back(
            {{"name", footprint.name}, {"file", footprint.fileName}, {"notes", footprint.notes}});
    }
    return {{"file", loaded.path}, {"folder", result.folder}, {"footprints", footprints}};
}

/// Why `directory` cannot take the footprint folders, or an empty text. A missing folder is
/// created by the export.
std::string outputProblem(const std::string& directory) {
    std::error_code error;
    const fs::file_status status = fs::status(directory, error);
    if (fs::exists(status) && !fs::is_directory(status)) return "not a folder";
    return {};
}

}  // namespace

std::vector<std::string> prettyFolderNames(const std::vector<std::string>& libraryNames) {
    DistinctNames given;
    for (const std::string& name : libraryNames) given.reserve(name);
    std::vector<std::string> result;
    result.reserve(libraryNames.size());
    for (const std::string& name : libraryNames) {
        if (!prettyFolderName(name)) {
            result.emplace_back();
            continue;
        }
        result.push_back(given.take(name));
    }
    return result;
}

ExitStatus runExportKicad(const ExportKicadOptions& options, const Console& console) {
    // Every library is read first, so that a bad one stops the export before anything is written.
    ExitStatus status = ExitStatus::Success;
    std::vector<std::string> paths;
    std::set<std::pair<dev_t, ino_t>> seen;
    for (const std::string& path : options.libraries) {
        const LibraryRead read = readLibraryOrReport(path, console);
        if (!read.loaded) {
            status = worse(status, read.failure.status);
            continue;
        }
        // The same file named twice (or through a link) is exported once.
        struct stat info {};
        if (::stat(path.c_str(), &info) == 0 && !seen.insert({info.st_dev, info.st_ino}).second) {
            continue;
        }
        warnIfDamaged(*read.loaded, console);
        paths.push_back(path);
    }
    KicadExportOptions footprint = options.footprint;
    if (!options.namesFile.empty()) {
        // Short names given back their KiCad names, as the import wrote them down.
        std::vector<ImportProblem> problems;
        if (const auto names = readNamesFile(options.namesFile, problems)) {
            footprint.footprintNames = footprintNamesByShortName(*names);
        }
        for (const ImportProblem& problem : problems) {
            console.error(problem.file, problem.what);
            status = worse(status, problem.kind == ImportProblem::Kind::Unreadable
                                       ? ExitStatus::Trouble
                                       : ExitStatus::Failure);
        }
    }
    if (status == ExitStatus::Success) {
        if (std::string problem = outputProblem(options.outDirectory); !problem.empty()) {
            console.error(options.outDirectory, problem);
            status = ExitStatus::Failure;
        }
    }
    std::vector<std::string> names;
    for (const std::string& path : paths) names.push_back(exportedLibraryName(path));
    const std::vector<std::string> folders = prettyFolderNames(names);
    for (std::size_t i = 0; i < paths.size() && status == ExitStatus::Success; ++i) {
        if (folders[i].empty()) {
            console.error(paths[i], "its name cannot name a footprint folder");
            status = ExitStatus::Failure;
        }
    }
    if (status != ExitStatus::Success) {
        console.error("nothing exported");
        return status;
    }

    Json libraries = Json::array();
    Progress progress(console, paths.size(), "libraries");
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const LibraryRead read = readLibraryOrReport(paths[i], console);
        if (!read.loaded) {
            status = read.failure.status;
            break;
        }
        const LibraryExportResult result =
            exportLibraryToKicad(read.loaded->library, folders[i], options.outDirectory, footprint);
        if (!result) {
            console.error(result.folder.empty() ? paths[i] : result.folder, result.reason);
            status = ExitStatus::Failure;
            break;
        }
        if (options.json) {
            libraries.push_back(libraryJson(*read.loaded, result));
        } else {
            printSummary(*read.loaded, result, console);
        }
        progress.show(i + 1);
    }
    if (options.json) printJson(console.out, {{"libraries", libraries}});
    return status;
}
