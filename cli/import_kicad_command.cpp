#include "import_kicad_command.h"

#include "component_names.h"
#include "file_io.h"
#include "footprint_reader.h"
#include "library.h"
#include "library_set.h"
#include "write_refusals.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <new>
#include <span>
#include <utility>

namespace {

std::string plural(std::size_t count, const std::string& noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

// What one footprint's conversion said, for the report.
struct FootprintReport {
    std::string mapping;  // "LIBRARY:NAME -> SHORT"
    std::string renumbering;
    std::map<std::string, int> notes;
    bool converted = false;
};

// The mapping of every footprint, each with what is particular to it; what every footprint of
// the run has in common is said once, before them, rather than again for each.
void reportFootprints(const std::vector<FootprintReport>& reports, std::vector<std::string>& out) {
    std::map<std::string, std::size_t> holders;
    std::size_t converted = 0;
    for (const FootprintReport& report : reports) {
        if (!report.converted) continue;
        ++converted;
        for (const auto& [text, count] : report.notes) ++holders[text];
    }
    std::vector<std::string> common;
    for (const auto& [text, count] : holders) {
        if (converted >= 2 && count == converted) common.push_back(text);
    }
    if (!common.empty()) {
        out.push_back("For all " + std::to_string(converted) + " footprints:");
        for (const std::string& text : common) out.push_back("    " + text);
    }
    for (const FootprintReport& report : reports) {
        out.push_back(report.mapping);
        FootprintImport particular;
        particular.renumbering = report.renumbering;
        for (const auto& [text, count] : report.notes) {
            if (std::find(common.begin(), common.end(), text) == common.end()) {
                particular.notes.emplace(text, count);
            }
        }
        for (const std::string& line : particular.summary()) out.push_back("    " + line);
    }
}

// Writes the names file beside a library that was written, its lines merged with those there.
SaveResult writeNamesBeside(const std::string& library, const std::vector<NameMapping>& mappings) {
    const std::string path = namesFilePath(library);
    std::string text;
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) {
        const auto bytes = readFilePrefix(path, kMaxNamesFileBytes + 1);
        if (!bytes || bytes->size() > kMaxNamesFileBytes) {
            return SaveResult::failure(
                "cannot be read, or is larger than 1 MiB, so it was not written");
        }
        text.assign(bytes->begin(), bytes->end());
    }
    const std::string merged = mergeNameMappings(text, mappings);
    return writeFileAtomically(
        path, std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(merged.data()),
                                            merged.size()));
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
    if (!collectFootprintFiles(request.inputs, files, problems) || files.empty()) {
        if (files.empty() && problems.empty()) {
            refuse({}, "no footprints given");
        }
        out.push_back("Nothing written.");
        return result;
    }

    NameOverrides overrides;
    if (!request.namesFile.empty()) {
        auto read = readNamesFile(request.namesFile, problems);
        if (!read) {
            out.push_back("Nothing written.");
            return result;
        }
        overrides = std::move(*read);
    }

    LibrarySet::Opening opening =
        LibrarySet::open(request.library, request.split, waitFor(request.waitSeconds));
    if (!opening.set) {
        // A destination that cannot be written is a refusal, whatever the reason, as in copy;
        // one another program is writing says so alone, as every writer does.
        problems.push_back({opening.path,
                            opening.busy ? opening.failure : opening.failure + "; it is left alone",
                            ImportProblem::Kind::Refused});
        out.push_back("Nothing written.");
        return result;
    }
    LibrarySet& set = *opening.set;
    for (const LibrarySet::Member& member : set.members()) {
        if (!member.note.empty()) result.notes.emplace_back(member.path, member.note);
    }
    // The names earlier imports chose, so that a footprint imported again gets the same name;
    // the user's own names file wins.
    for (const LibrarySet::Member& member : set.members()) {
        std::error_code ec;
        if (!std::filesystem::exists(namesFilePath(member.path), ec)) continue;
        const auto beside = readNamesFile(namesFilePath(member.path), problems);
        if (!beside) {
            out.push_back("Nothing written.");
            return result;
        }
        for (const auto& [kicadName, shortName] : beside->shortNames) {
            overrides.shortNames.emplace(kicadName, shortName);
        }
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
    const NamingResult naming = shortenNames(requests, set.names(), overrides);
    if (!naming) {
        refuse(request.namesFile, naming.error);
        out.push_back("Nothing written.");
        return result;
    }

    std::vector<FootprintReport> reports;
    // The footprints placed in each library, for the names file beside it.
    std::map<std::string, std::vector<NameMapping>> mappings;
    for (std::size_t i = 0; i < footprints.size(); ++i) {
        const KicadFootprint& fp = footprints[i];
        const std::string& name = naming.names[i];
        const std::string& path = origins[i]->path;
        const std::string label =
            (origins[i]->library.empty() ? "" : origins[i]->library + ":") + fp.name;
        FootprintImport converted = importFootprint(fp, name, request.footprint);
        reports.push_back(
            {label + " -> " + name, converted.renumbering, converted.notes, bool(converted)});
        if (!converted) {
            result.refused.push_back(label + " (" + path + "): " + converted.error);
            refuse(path, label + ": " + converted.error);
            continue;
        }
        const LibrarySet::Placement placement = set.place(*converted.component);
        using Outcome = LibrarySet::Placement::Outcome;
        switch (placement.outcome) {
            case Outcome::placed:
                ++result.imported;
                mappings[placement.path].push_back({label, name});
                break;
            case Outcome::duplicate:
                result.refused.push_back(label + ": " + placement.path + " already holds " + name);
                refuse(path, label + " -> " + name + ": " + placement.path +
                                 " already holds a component of that name");
                break;
            case Outcome::full:
                result.notFitted.push_back(label);
                refuse(path, "does not fit: " + placement.path +
                                 " is full (200 components, or records up to index 32,767)");
                break;
            case Outcome::unopenable:
                result.refused.push_back(label + ": " + placement.path + " " + placement.failure +
                                         "; it is left alone");
                refuse(placement.path, placement.failure + "; it is left alone");
                break;
        }
    }

    if (!request.quiet) reportFootprints(reports, out);
    if (!result.notFitted.empty()) {
        out.push_back(plural(result.notFitted.size(), "footprint") + " did not fit in " +
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

    const auto counts = [](const LibrarySet::Member& member) {
        return plural(member.added, "new component") + ", " +
               std::to_string(member.session->library()->size()) + " in all.";
    };
    std::string failedPath;
    if (const SaveResult writable = set.check(failedPath); !writable) {
        refuse(failedPath, writable.reason);
        out.push_back("Nothing written.");
        result.imported = 0;
        return result;
    }
    if (request.dryRun) {
        for (const LibrarySet::Member& member : set.members()) {
            if (member.added != 0)
                out.push_back("Would write " + member.path + ": " + counts(member));
        }
        out.push_back("Nothing written (dry run).");
        result.ok = true;
        return result;
    }
    const SaveResult saved = set.write(failedPath);
    for (const LibrarySet::Member& member : set.members()) {
        if (!member.written) continue;
        result.written.push_back(member.path);
        out.push_back("Wrote " + member.path + ": " + counts(member));
        if (const SaveResult names = writeNamesBeside(member.path, mappings[member.path]); !names) {
            refuse(namesFilePath(member.path), names.reason);
        } else if (!names.note.empty()) {
            result.notes.emplace_back(namesFilePath(member.path), names.note);
        }
    }
    if (!saved) {
        refuse(failedPath, saved.reason);
        if (result.written.empty()) out.push_back("Nothing written.");
        return result;
    }
    if (!saved.note.empty()) result.notes.emplace_back(request.library, saved.note);
    result.ok = true;
    return result;
}

}  // namespace

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

ExitStatus runImportKicad(const KicadImportRequest& request, const Console& console) {
    const KicadImportResult result = importKicadFootprints(request);
    for (const std::string& line : result.messages) console.out << line << '\n';
    ExitStatus status = result.ok ? ExitStatus::Success : ExitStatus::Failure;
    for (const auto& [file, note] : result.notes) console.error(file, note);
    for (const ImportProblem& problem : result.problems) {
        if (problem.file.empty()) {
            console.error(problem.what);
        } else {
            console.error(problem.file, problem.what);
        }
        status =
            worse(status, problem.kind == ImportProblem::Kind::Unreadable ? ExitStatus::Trouble
                                                                          : ExitStatus::Failure);
    }
    return status;
}
