#include "library_import.h"

#include "component_names.h"
#include "copy_rule.h"
#include "file_io.h"
#include "library.h"
#include "library_format.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <new>
#include <sstream>
#include <system_error>
#include <utility>

namespace fs = std::filesystem;

namespace {

// More footprint files than this in one import is a mistake (a wrong folder), not a library.
constexpr std::size_t kMaxFootprintFiles = 100000;
// A names file is a short list typed by a person.
constexpr std::size_t kMaxNamesFileBytes = 1024 * 1024;

struct FootprintFile {
    std::string path;
    std::string library;  // the .pretty folder's name without the extension, or empty
};

// Whether `library` can take `component` and still be written: every component's records must
// start at an index its 16-bit directory field can hold. A new component goes to the head and a
// save writes head first, so the records that start last are those of the component at the
// tail, behind everything else.
bool recordsReachable(const Library& library, const Component& component) {
    const std::size_t total = library.totalRecordBytes() + component.recordBytes();
    const Component& last = library.components().empty() ? component : *library.components().back();
    const std::size_t lastStart = (kRecordAreaOffset + total - last.recordBytes()) / kRecordSize;
    return lastStart <= static_cast<std::size_t>(kMaxRecordIndex);
}

std::string libraryNameOf(const fs::path& folder) {
    const std::string name = folder.filename().string();
    const std::string suffix = ".pretty";
    if (name.size() > suffix.size() &&
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
        return name.substr(0, name.size() - suffix.size());
    }
    return {};
}

bool collectInputs(const std::vector<std::string>& inputs, std::vector<FootprintFile>& files,
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
                unreadable(input, "the folder holds no .kicad_mod file");
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

// One output library: loaded from its file when that exists, and whether it changed.
struct Target {
    std::string path;
    std::unique_ptr<Library> library;
    PlainNameList names;
    std::size_t added = 0;
};

// Opens the library at `path` for adding to it: a missing file is a new, empty library; a file
// that is there but is not a library (or not a regular file) is refused, so it is never replaced.
bool openTarget(const std::string& path, Target& target, std::string& error) {
    target.path = path;
    target.library = std::make_unique<Library>();
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (!fs::exists(status)) {
        return true;
    }
    if (!fs::is_regular_file(status)) {
        error = "not a regular file; it is left alone";
        return false;
    }
    if (!target.library->load(path, target.names)) {
        error = "not a library file (or cannot be read); it is left alone";
        return false;
    }
    return true;
}

std::optional<std::string> readSmallFile(const std::string& path, std::size_t limit) {
    const auto bytes = readFilePrefix(path, limit + 1);
    if (!bytes || bytes->size() > limit) {
        return std::nullopt;
    }
    return std::string(bytes->begin(), bytes->end());
}

KicadImportResult run(const KicadImportRequest& request) {
    KicadImportResult result;
    auto& out = result.messages;
    auto& problems = result.problems;
    const auto refuse = [&problems](const std::string& file, std::string what) {
        problems.push_back({file, std::move(what), ImportProblem::Kind::Refused});
    };

    if (request.library.empty()) {
        refuse({}, "no library file given");
        out.push_back("Nothing written.");
        return result;
    }
    std::vector<FootprintFile> files;
    if (!collectInputs(request.inputs, files, problems) || files.empty()) {
        if (files.empty() && problems.empty()) {
            refuse({}, "no footprints given");
        }
        out.push_back("Nothing written.");
        return result;
    }

    NameOverrides overrides;
    if (!request.namesFile.empty()) {
        const auto text = readSmallFile(request.namesFile, kMaxNamesFileBytes);
        if (!text) {
            problems.push_back({request.namesFile, "cannot be read, or is larger than 1 MiB",
                                ImportProblem::Kind::Unreadable});
            out.push_back("Nothing written.");
            return result;
        }
        NameOverridesResult parsed = parseNameOverrides(*text);
        if (!parsed.overrides) {
            refuse(request.namesFile, parsed.error);
            out.push_back("Nothing written.");
            return result;
        }
        overrides = std::move(*parsed.overrides);
    }

    std::vector<Target> targets(1);
    std::string error;
    if (!openTarget(request.library, targets[0], error)) {
        refuse(request.library, error);
        out.push_back("Nothing written.");
        return result;
    }

    // Read every footprint first; a file that cannot be read is refused with its place.
    std::vector<KicadFootprint> footprints;
    std::vector<const FootprintFile*> origins;
    for (const FootprintFile& file : files) {
        FootprintReadResult read = readFootprintFile(file.path);
        if (!read) {
            result.refused.push_back(file.path + ": " + read.error);
            problems.push_back(
                {file.path, read.error,
                 read.unreadable ? ImportProblem::Kind::Unreadable : ImportProblem::Kind::Refused});
            continue;
        }
        footprints.push_back(std::move(*read.footprint));
        origins.push_back(&file);
    }

    std::vector<NameRequest> requests;
    for (std::size_t i = 0; i < footprints.size(); ++i) {
        requests.push_back({origins[i]->library, footprints[i].name});
    }
    std::vector<std::string> existing;
    for (const auto& component : targets[0].library->components()) {
        existing.push_back(component->displayName());
    }
    if (request.split) {
        for (int n = 2;; ++n) {
            Target probe;
            const std::string path = splitLibraryPath(request.library, n);
            std::error_code ec;
            if (!fs::exists(path, ec) || !openTarget(path, probe, error)) {
                break;
            }
            for (const auto& component : probe.library->components()) {
                existing.push_back(component->displayName());
            }
        }
    }
    const NamingResult naming = shortenNames(requests, existing, overrides);
    if (!naming) {
        refuse(request.namesFile, naming.error);
        out.push_back("Nothing written.");
        return result;
    }

    std::size_t current = 0;
    for (std::size_t i = 0; i < footprints.size(); ++i) {
        const KicadFootprint& fp = footprints[i];
        const std::string& name = naming.names[i];
        const std::string& path = origins[i]->path;
        const std::string label =
            (origins[i]->library.empty() ? "" : origins[i]->library + ":") + fp.name;
        out.push_back(label + " -> " + name);
        FootprintImport converted = importFootprint(fp, name, request.footprint);
        if (!converted) {
            result.refused.push_back(label + " (" + path + "): " + converted.error);
            refuse(path, label + ": " + converted.error);
            continue;
        }
        for (const std::string& line : converted.summary()) {
            out.push_back("    " + line);
        }
        while (true) {
            Target& target = targets[current];
            // The window's rule first (200 at most, then the exact name); then the reach of the
            // 16-bit record index, which only a library of very large components meets.
            CopyVerdict verdict =
                checkCopy(target.library->size(), *target.library, *converted.component);
            if (verdict == CopyVerdict::allowed &&
                !recordsReachable(*target.library, *converted.component)) {
                verdict = CopyVerdict::full;
            }
            if (verdict == CopyVerdict::duplicate) {
                result.refused.push_back(label + ": " + target.path + " already holds " + name);
                refuse(path, label + " -> " + name + ": " + target.path +
                                 " already holds a component of that name");
                break;
            }
            if (verdict == CopyVerdict::allowed) {
                target.library->addCopy(*converted.component, target.names);
                ++target.added;
                ++result.imported;
                break;
            }
            if (!request.split) {
                result.notFitted.push_back(label);
                refuse(path, "does not fit: " + target.path +
                                 " is full (200 components, or records up to index 32,767)");
                break;
            }
            if (current + 1 == targets.size()) {
                Target next;
                const std::string nextPath =
                    splitLibraryPath(request.library, static_cast<int>(targets.size()) + 1);
                if (!openTarget(nextPath, next, error)) {
                    result.refused.push_back(label + ": " + nextPath + " " + error);
                    refuse(nextPath, error);
                    break;
                }
                targets.push_back(std::move(next));
            }
            ++current;
        }
    }

    if (!result.notFitted.empty()) {
        out.push_back(std::to_string(result.notFitted.size()) + " footprints did not fit in " +
                      request.library +
                      " (a library holds 200 components, and records up to index 32,767; "
                      "--split goes on in " +
                      splitLibraryPath(request.library, 2) + ", ...).");
    }
    if (!problems.empty() && !request.skipRefused) {
        out.push_back("Nothing written.");
        result.imported = 0;
        return result;
    }

    // Check every image before writing any, so a library that cannot be written stops the
    // import before any file has changed.
    for (const Target& target : targets) {
        std::vector<std::uint8_t> image;
        const SaveResult check = target.library->buildImage(image);
        if (!check) {
            refuse(target.path, check.reason);
            out.push_back("Nothing written.");
            result.imported = 0;
            return result;
        }
    }
    for (const Target& target : targets) {
        if (target.added == 0) {
            continue;
        }
        const std::string counts = std::to_string(target.added) + " new components, " +
                                   std::to_string(target.library->size()) + " in all.";
        if (request.dryRun) {
            out.push_back("Would write " + target.path + ": " + counts);
            continue;
        }
        const SaveResult saved = target.library->save(target.path);
        if (!saved) {
            refuse(target.path, "could not be written: " + saved.reason);
            if (result.written.empty()) out.push_back("Nothing written.");
            return result;
        }
        result.written.push_back(target.path);
        out.push_back("Wrote " + target.path + ": " + counts);
    }
    if (request.dryRun) out.push_back("Nothing written (dry run).");
    result.ok = true;
    return result;
}

}  // namespace

std::string splitLibraryPath(const std::string& library, int n) {
    const fs::path path(library);
    const std::string suffix = "_" + std::to_string(n);
    fs::path split =
        path.parent_path() / (path.stem().string() + suffix + path.extension().string());
    return split.string();
}

KicadImportResult importKicadFootprints(const KicadImportRequest& request) {
    try {
        return run(request);
    } catch (const std::bad_alloc&) {
        KicadImportResult result;
        result.problems.push_back({request.library, "not enough memory for the import"});
        return result;
    } catch (const std::exception& e) {
        KicadImportResult result;
        result.problems.push_back({request.library, std::string("the import failed: ") + e.what()});
        return result;
    }
}
