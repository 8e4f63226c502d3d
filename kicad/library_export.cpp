#include "library_export.h"

#include "component_file_names.h"
#include "file_io.h"
#include "library.h"
#include "ordered_work.h"

#include <filesystem>
#include <span>
#include <system_error>

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

namespace {

SaveResult writeText(const std::string& path, const std::string& text) {
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(text.data()),
                                              text.size());
    SaveResult saved = writeFileAtomically(path, bytes);
    // The export is about the folder, so the reason names the file in it that failed.
    if (!saved) {
        saved.reason = "\"" + path + "\" was not written: " + saved.reason;
        saved.path = path;
    }
    return saved;
}

}  // namespace

LibraryExportResult exportLibraryToKicad(const Library& library, std::string_view libraryName,
                                         const std::string& outDir,
                                         const KicadExportOptions& options) {
    LibraryExportResult result;
    const auto folderName = prettyFolderName(libraryName);
    if (!folderName) {
        result.reason = "\"" + std::string(libraryName) + "\" cannot name a footprint folder";
        return result;
    }
    const fs::path folder = fs::path(outDir) / *folderName;
    result.folder = folder.string();

    std::error_code error;
    fs::create_directories(folder, error);
    if (error || !fs::is_directory(folder)) {
        result.reason = "cannot create the folder \"" + result.folder +
                        "\": " + (error ? error.message() : "a file of that name is in the way");
        return result;
    }

    std::vector<std::string> names;
    names.reserve(library.size());
    for (const auto& component : library.components()) {
        const auto given = options.footprintNames.find(component->displayName());
        names.push_back(given != options.footprintNames.end() ? given->second
                                                              : component->displayName());
    }
    const std::vector<std::string> stems = componentFileNames(names);

    // Footprints are converted on every core and written in the library's order, so that the
    // first file that cannot be written still ends the export with every one before it written.
    const auto convert = [&](std::size_t i) {
        return exportFootprint(*library.components()[i], options);
    };
    const auto write = [&](std::size_t i, const FootprintText& footprint) {
        const std::string fileName = stems[i] + ".kicad_mod";
        const SaveResult saved = writeText((folder / fileName).string(), footprint.text);
        if (!saved) {
            static_cast<Failure&>(result) = saved;
            return false;
        }
        result.footprints.push_back(
            {footprintName(*library.components()[i], options), fileName, footprint.notes});
        return true;
    };
    runInOrder(library.size(), convert, write);
    if (result.footprints.size() < library.size()) return result;
    result.ok = true;
    return result;
}
