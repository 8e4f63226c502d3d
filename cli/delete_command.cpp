#include "delete_command.h"

#include "library.h"
#include "library_input.h"
#include "name_rules.h"
#include "name_text.h"
#include "write_refusals.h"

#include <memory>
#include <string_view>
#include <vector>

ExitStatus runDelete(const DeleteOptions& options, const Console& console) {
    WritableLibrary opened = openForWriting(options.library, false, waitFor(options.waitSeconds));
    if (!opened.session) {
        console.error(options.library, opened.failure);
        return refusalStatus(opened);
    }
    if (!opened.note.empty()) console.error(options.library, opened.note);
    LibrarySession& session = *opened.session;
    // Each NAME removes one component of each name it stands for (a pattern, all it matches), so
    // a name held twice is given twice to remove both.
    std::vector<std::string> removed;
    for (const std::string& argument : options.names) {
        const NamedArgument named = resolveNames(*session.library(), argument);
        if (!named.problem.empty()) {
            // Held by the file, but every component of that name is taken by a NAME before.
            const std::vector<std::string_view> taken(removed.begin(), removed.end());
            const bool usedUp = lookUpName(taken, argument).kind != NameLookup::Kind::None;
            console.error(options.library, usedUp ? "\"" + argument +
                                                        "\" is given more times than the library " +
                                                        "holds components of that name"
                                                  : named.problem);
            return ExitStatus::Failure;
        }
        for (const std::string& name : named.names) {
            session.remove(session.library()->findByName(name));
            removed.push_back(name);
            if (options.dryRun) console.out << "would delete \"" << nameForText(name) << "\"\n";
        }
    }

    const std::size_t count = session.library()->size();
    if (options.dryRun) {
        console.out << options.library << ": would hold " << components(count)
                    << "; nothing written\n";
        return ExitStatus::Success;
    }
    const SaveResult saved = session.save();
    if (!saved) {
        console.error(options.library, saved.reason);
        return ExitStatus::Failure;
    }
    console.out << options.library << ": deleted " << components(removed.size()) << ", now "
                << count << '\n';
    if (!saved.note.empty()) console.error(options.library, saved.note);
    return ExitStatus::Success;
}
