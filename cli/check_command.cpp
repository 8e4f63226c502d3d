#include "check_command.h"

#include "file_io.h"
#include "json_output.h"
#include "library_check.h"
#include "library_format.h"
#include "library_input.h"
#include "name_text.h"
#include "ordered_work.h"

#include <memory>
#include <optional>
#include <span>
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
    // The bytes are only needed while the file is checked, so each thread reads every file it
    // checks into the same buffer; standard input, and a file that cannot be read, go the
    // general way, which also says why.
    thread_local std::vector<std::uint8_t> buffer;
    std::optional<std::span<const std::uint8_t>> image;
    if (path != kStandardInput) image = readFilePrefixInto(path, kMaxUsefulFileSize, buffer);
    FileRead file;
    if (!image) {
        file = readWholeFile(path);
        if (!file.ok) {
            checked.error = file.failure.reason;
            return checked;
        }
        image = file.bytes;
    }
    checked.report = checkLibraryImage(*image);
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
    switch (report.verdict()) {
        case CheckVerdict::NotALibrary:
            return checked.path + ": not a library";
        case CheckVerdict::LosesData:
        case CheckVerdict::KeepsEverything:
            break;
    }
    const std::string line = checked.path + ": " + std::to_string(report.componentCount) +
                             (report.componentCount == 1 ? " component" : " components") + "; ";
    if (report.verdict() == CheckVerdict::LosesData) return line + "a save would lose data";
    return line + "ok: a save keeps every component";
}

/// The stable word of a verdict, for scripts.
const char* verdictName(CheckVerdict verdict) {
    switch (verdict) {
        case CheckVerdict::KeepsEverything:
            return "keeps-everything";
        case CheckVerdict::LosesData:
            return "loses-data";
        case CheckVerdict::NotALibrary:
            return "not-a-library";
    }
    return "loses-data";
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
    Json notes = Json::array();
    for (const Finding& note : report.notes) notes.push_back(findingJson(note));
    return {{"file", checked.path},
            {"isLibrary", report.isLibrary},
            {"fileSize", report.fileSize},
            {"components", report.componentCount},
            {"reproducesFile", report.reproducesFile},
            {"verdict", verdictName(report.verdict())},
            {"findings", findings},
            {"notes", notes}};
}

}  // namespace

ExitStatus runCheck(const CheckOptions& options, const Console& console) {
    ExitStatus status = ExitStatus::Success;
    Json files = Json::array();
    Progress progress(console, options.libraries.size(), "libraries");
    // Files are checked on every core; their reports are printed in the order they were named.
    const auto check = [&](std::size_t i) { return checkFile(options.libraries[i]); };
    const auto print = [&](std::size_t i, const CheckedFile& checked) {
        status = worse(status, statusOf(checked));
        if (!checked.error.empty()) console.error(checked.path, checked.error);
        if (options.json) {
            files.push_back(fileJson(checked));
        } else if (checked.error.empty()) {
            for (const Finding& finding : checked.report.findings) {
                console.out << findingLine(checked.path, finding) << '\n';
            }
            console.out << verdictLine(checked) << '\n';
            // What a save changes by the format's own rules, under the verdict it does not touch.
            for (const Finding& note : checked.report.notes) {
                console.out << "  note: " << note.message << '\n';
            }
        }
        progress.show(i + 1);
        return true;
    };
    runInOrder(options.libraries.size(), check, print);
    if (options.json) printJson(console.out, {{"files", files}});
    return status;
}
