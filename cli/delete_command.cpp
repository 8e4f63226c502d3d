#include "delete_command.h"

#include "library.h"
#include "library_input.h"
#include "name_text.h"
#include "write_refusals.h"

#include <memory>

ExitStatus runDelete(const DeleteOptions& options, const Console& console) {
    WritableLibrary opened = openForWriting(options.library, false, waitFor(options.waitSeconds));
    if (!opened.session) {
        console.error(options.library, opened.failure);
        return refusalStatus(opened);
    }
    if (!opened.note.empty()) console.error(options.library, opened.note);
    LibrarySession& session = *opened.session;
    for (const std::string& argument : options.names) {
        const auto name = resolveName(*session.library(), argument);
        if (!name) {
            console.error(options.library, "no component named \"" + argument + "\"");
            return ExitStatus::Failure;
        }
        session.remove(session.library()->findByName(*name));
        if (options.dryRun) console.out << "would delete \"" << nameForText(*name) << "\"\n";
    }

    const std::size_t count = session.library()->size();
    if (options.dryRun) {
        console.out << options.library << ": would hold " << components(count)
                    << "; nothing written\n";
        return ExitStatus::Success;
    }
    if (const SaveResult saved = session.save(); !saved) {
        console.error(options.library, errorText(saved.reason));
        return ExitStatus::Failure;
    }
    console.out << options.library << ": deleted " << components(options.names.size()) << ", now "
                << count << '\n';
    return ExitStatus::Success;
}
