#include "library_export.h"

#include "component_file_names.h"
#include "file_io.h"
#include "folder_writes.h"
#include "library.h"
#include "ordered_work.h"

#include <filesystem>
#include <span>

namespace fs = std::filesystem;

std::string LibraryExportResult::summary() const {
    if (!ok) return "Export failed: " + reason;
    std::string text = std::to_string(footprints.size()) +
                       (footprints.size() == 1 ? " footprint" : " footprints") + " written to " +
                       folder + "\n";
    for (const ExportedFootprint& footprint : footprints) {
        for (const std::string& note : footprint.notes) {
            text += "  " + footprint.name + ": " + note + "\n";
        }
    }
    return text;
}

std::optional<std::string> prettyFolderName(std::string_view libraryName) {
    if (libraryName.empty() || libraryName == "." || libraryName == ".." ||
        libraryName.find_first_of(std::string_view("/\\\0", 3)) != std::string_view::npos) {
        return std::nullopt;
    }
    return std::string(libraryName) + ".pretty";
}

ConvertedLibrary convertLibraryToKicad(const Library& library, std::string_view libraryName,
                                       const KicadExportOptions& options) {
    ConvertedLibrary converted;
    const auto folderName = prettyFolderName(libraryName);
    if (!folderName) {
        converted.reason = "\"" + std::string(libraryName) + "\" cannot name a footprint folder";
        return converted;
    }
    converted.folderName = *folderName;

    std::vector<std::string> names;
    names.reserve(library.size());
    for (const auto& component : library.components()) {
        const auto given = options.footprintNames.find(component->displayName());
        names.push_back(given != options.footprintNames.end() ? given->second
                                                              : component->displayName());
    }
    const std::vector<std::string> stems = componentFileNames(names);

    // Footprints are converted on every core and collected in the library's order.
    converted.footprints.reserve(library.size());
    converted.texts.reserve(library.size());
    const auto convert = [&](std::size_t i) {
        return exportFootprint(*library.components()[i], options);
    };
    const auto collect = [&](std::size_t i, FootprintText& footprint) {
        converted.footprints.push_back({footprintName(*library.components()[i], options),
                                        stems[i] + ".kicad_mod", std::move(footprint.notes)});
        converted.texts.push_back(std::move(footprint.text));
        return true;
    };
    runInOrder(library.size(), convert, collect);
    return converted;
}

LibraryExportResult exportLibraryToKicad(const Library& library, std::string_view libraryName,
                                         const std::string& outDir,
                                         const KicadExportOptions& options) {
    LibraryExportResult result;
    ConvertedLibrary converted = convertLibraryToKicad(library, libraryName, options);
    if (!converted.reason.empty()) {
        result.reason = std::move(converted.reason);
        return result;
    }
    result.folder = (fs::path(outDir) / converted.folderName).string();

    std::vector<FolderFile> files;
    files.reserve(converted.texts.size());
    for (std::size_t i = 0; i < converted.texts.size(); ++i) {
        const std::string& text = converted.texts[i];
        files.push_back({converted.footprints[i].fileName,
                         {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}});
    }
    const FolderWriteResult written = writeFolderFiles(result.folder, files);
    converted.footprints.resize(written.written);
    result.footprints = std::move(converted.footprints);
    if (!written) {
        static_cast<Failure&>(result) = written.result;
        return result;
    }
    result.ok = true;
    return result;
}
