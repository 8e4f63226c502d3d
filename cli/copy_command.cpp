#include "copy_command.h"

#include "copy_rule.h"
#include "library.h"
#include "library_input.h"
#include "name_text.h"
#include "write_refusals.h"

#include <memory>

namespace {

std::string quoted(const std::string& name) { return "\"" + nameForText(name) + "\""; }

}  // namespace

ExitStatus runCopy(const CopyOptions& options, const Console& console) {
    LibraryRead source = readLibraryOrReport(options.source, console);
    if (!source.loaded) return source.failure.status;
    // The component the window would copy for each name: the first found by name. Every NAME is
    // looked up before anything is written, and any that finds nothing stops the copy.
    std::vector<const Component*> chosen;
    bool allFound = true;
    for (const std::string& argument : options.names) {
        const NamedArgument named = resolveNames(source.loaded->library, argument);
        if (!named.problem.empty()) {
            console.error(options.source, named.problem);
            allFound = false;
        }
        for (const std::string& name : named.names) {
            chosen.push_back(source.loaded->library.findByName(name));
        }
    }
    if (!allFound) return ExitStatus::Failure;

    WritableLibrary destination =
        openForWriting(options.destination, true, waitFor(options.waitSeconds));
    if (!destination.session) {
        // A destination that cannot be written is a refusal, whatever the reason.
        console.error(options.destination, destination.failure);
        return ExitStatus::Failure;
    }
    if (!destination.note.empty()) console.error(options.destination, destination.note);
    LibrarySession& session = *destination.session;
    for (const Component* component : chosen) {
        const CopyVerdict verdict = session.copyIn(*component);
        if (verdict != CopyVerdict::allowed) {
            console.error(options.destination, "cannot copy " + quoted(component->displayName()) +
                                                   ": " + copyRefusal(verdict));
            if (options.dryRun) console.out << "nothing would be written\n";
            return ExitStatus::Failure;
        }
        if (options.dryRun) {
            console.out << "would copy " << quoted(component->displayName()) << '\n';
        }
    }

    const std::size_t count = session.library()->size();
    if (options.dryRun) {
        console.out << options.destination << ": would "
                    << (destination.created ? "be created to hold " : "hold ") << components(count)
                    << "; nothing written\n";
        return ExitStatus::Success;
    }
    const SaveResult saved = session.save();
    if (!saved) {
        console.error(options.destination, saved.reason);
        return ExitStatus::Failure;
    }
    console.out << options.destination << ": copied " << components(chosen.size()) << ", now "
                << count << '\n';
    if (!saved.note.empty()) console.error(options.destination, saved.note);
    return ExitStatus::Success;
}
