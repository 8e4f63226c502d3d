#include "check_command.h"

#include "json_output.h"
#include "library_check.h"
#include "library_format.h"
#include "library_input.h"
#include "name_text.h"

#include <CLI/CLI.hpp>
#include <memory>
#include <sys/stat.h>

namespace {

struct CheckedFile {
    std::string path;
    /// Set when the file could not be read; then there is no report.
    std::string error;
    LibraryCheckReport report;
};

/// The loader never looks past the reach of a 16-bit record index, so only that much is read; a
/// longer file gets a finding for the rest, which a save does not write back.
void noteBytesBeyondReach(const std::string& path, LibraryCheckReport& report) {
    if (report.fileSize < kMaxUsefulFileSize) return;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return;
    const auto size = static_cast<std::size_t>(info.st_size);
    if (size <= report.fileSize) return;
    report.findings.push_back({FindingKind::TrailingBytes,
                               {},
                               {},
                               report.fileSize,
                               std::to_string(size - report.fileSize) +
                                   " bytes lie beyond the reach of any record index and were not "
                                   "read; a save drops them",
                               false});
    report.fileSize = size;
    report.reproducesFile = false;
}

CheckedFile checkFile(const std::string& path) {
    CheckedFile checked{path, {}, {}};
    FileRead file = readWholeFile(path);
    if (!file.ok) {
        checked.error = file.failure.what;
        return checked;
    }
    checked.report = checkLibraryImage(file.bytes);
    noteBytesBeyondReach(path, checked.report);
    return checked;
}

ExitStatus statusOf(const CheckedFile& checked) {
    if (!checked.error.empty()) return ExitStatus::Trouble;
    return checked.report.verdict() == CheckVerdict::KeepsEverything ? ExitStatus::Success
                                                                     : ExitStatus::Failure;
}

std::string findingLine(const std::string& path, const Finding& finding) {
    std::string line = path + ":";
    if (finding.slot) line += " slot " + std::to_string(*finding.slot);
    if (finding.componentName) line += " \"" + nameForText(*finding.componentName) + "\"";
    if (finding.offset) line += " at offset " + std::to_string(*finding.offset);
    line += " ";
    line += findingKindName(finding.kind);
    line += ": " + finding.message;
    if (finding.losesData) line += " [loses data]";
    return line;
}

std::string verdictLine(const CheckedFile& checked) {
    const LibraryCheckReport& report = checked.report;
    if (!report.isLibrary) return checked.path + ": not a library";
    std::string line = checked.path + ": " + std::to_string(report.componentCount) +
                       (report.componentCount == 1 ? " component" : " components") + "; ";
    if (report.verdict() == CheckVerdict::LosesData) return line + "a save would lose data";
    return line + (report.reproducesFile
                       ? "a save keeps everything and reproduces the file byte for byte"
                       : "a save keeps everything but does not reproduce the file byte for byte");
}

Json findingJson(const Finding& finding) {
    return {{"kind", findingKindName(finding.kind)},
            {"slot", finding.slot ? Json(*finding.slot) : Json(nullptr)},
            {"component",
             finding.componentName ? Json(latin1ToUtf8(*finding.componentName)) : Json(nullptr)},
            {"offset", finding.offset ? Json(*finding.offset) : Json(nullptr)},
            {"message", finding.message},
            {"losesData", finding.losesData}};
}

Json fileJson(const CheckedFile& checked) {
    if (!checked.error.empty()) return {{"file", checked.path}, {"error", checked.error}};
    const LibraryCheckReport& report = checked.report;
    Json findings = Json::array();
    for (const Finding& finding : report.findings) findings.push_back(findingJson(finding));
    return {{"file", checked.path},
            {"isLibrary", report.isLibrary},
            {"fileSize", report.fileSize},
            {"components", report.componentCount},
            {"reproducesFile", report.reproducesFile},
            {"verdict",
             report.verdict() == CheckVerdict::KeepsEverything ? "keeps-everything" : "loses-data"},
            {"findings", findings}};
}

}  // namespace

ExitStatus runCheck(const CheckOptions& options, const Console& console) {
    ExitStatus status = ExitStatus::Success;
    Json files = Json::array();
    Progress progress(console, options.libraries.size(), "libraries");
    for (std::size_t i = 0; i < options.libraries.size(); ++i) {
        const CheckedFile checked = checkFile(options.libraries[i]);
        status = worse(status, statusOf(checked));
        if (!checked.error.empty()) console.error(checked.path, checked.error);
        if (options.json) {
            files.push_back(fileJson(checked));
        } else if (checked.error.empty()) {
            for (const Finding& finding : checked.report.findings) {
                console.out << findingLine(checked.path, finding) << '\n';
            }
            console.out << verdictLine(checked) << '\n';
        }
        progress.show(i + 1);
    }
    if (options.json) printJson(console.out, {{"files", files}});
    return status;
}

void addCheckCommand(CLI::App& parent, CommandRun& chosen) {
    auto options = std::make_shared<CheckOptions>();
    CLI::App* command = parent.add_subcommand(
        "check",
        "Report everything the loader tolerates in library files and what a save "
        "would change.");
    command->add_option("LIB", options->libraries, "the library files")->required();
    command->add_flag("--json", options->json, "print JSON instead of text");
    command->footer(
        "For each file, in the order given: one line per finding, in file order (the file\n"
        "first, then slot by slot, then why a save would not give the same bytes back),\n"
        "  FILE: [slot N] [\"NAME\"] [at offset N] KIND: what was found [loses data]\n"
        "then one verdict line,\n"
        "  FILE: N components; a save keeps everything and reproduces the file byte for byte\n"
        "  FILE: N components; a save keeps everything but does not reproduce the file ...\n"
        "  FILE: N components; a save would lose data\n"
        "  FILE: not a library\n"
        "KIND is a stable word for scripts (unknown-record-type, duplicate-name, ...). A save\n"
        "that only reorders components or records, rewrites header bytes 0 to 2, closes gaps or\n"
        "drops junk from empty slots loses nothing the loader carries. NAMEs are printed as\n"
        "`cobble show` prints them: Latin-1 as UTF-8, control codes as \\xNN.\n"
        "\n"
        "Exit status: 0 when a save would keep every component, record and carried byte of\n"
        "every file; 1 when a save would drop or change data, or a file is not a library;\n"
        "2 when a file could not be read (also reported on standard error).\n"
        "\n"
        "--json prints\n"
        "  {\"files\": [{\"file\": LIB, \"isLibrary\": BOOL, \"fileSize\": N, \"components\": N,\n"
        "    \"reproducesFile\": BOOL, \"verdict\": \"keeps-everything\" or \"loses-data\",\n"
        "    \"findings\": [{\"kind\": KIND, \"slot\": N or null, \"component\": TEXT or null,\n"
        "                  \"offset\": N or null, \"message\": TEXT, \"losesData\": BOOL}, ...]}\n"
        "   or {\"file\": LIB, \"error\": TEXT} for a file that could not be read, ...]}\n"
        "with names as Latin-1 converted to UTF-8.");
    command->callback([options, &chosen] {
        chosen = [options](const Console& console) { return runCheck(*options, console); };
    });
}
