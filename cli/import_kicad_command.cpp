#include "import_kicad_command.h"

#include <memory>

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
