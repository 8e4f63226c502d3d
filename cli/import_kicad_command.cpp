#include "import_kicad_command.h"

#include "component_names.h"
#include "footprint_reader.h"
#include "library.h"
#include "library_set.h"
#include "write_refusals.h"

#include <memory>
#include <new>
#include <utility>

namespace {

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

    LibrarySet::Opening opening = LibrarySet::open(request.library, request.split);
    if (!opening.set) {
        problems.push_back(
            {request.library, opening.failure + "; it is left alone",
             opening.unreadable ? ImportProblem::Kind::Unreadable : ImportProblem::Kind::Refused});
        out.push_back("Nothing written.");
        return result;
    }
    LibrarySet& set = *opening.set;

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
        const LibrarySet::Placement placement = set.place(*converted.component);
        using Outcome = LibrarySet::Placement::Outcome;
        switch (placement.outcome) {
            case Outcome::placed:
                ++result.imported;
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

    const auto counts = [](const LibrarySet::Member& member) {
        return std::to_string(member.added) + " new components, " +
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
    }
    if (!saved) {
        refuse(failedPath, "could not be written: " + errorText(saved.reason));
        if (result.written.empty()) out.push_back("Nothing written.");
        return result;
    }
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
