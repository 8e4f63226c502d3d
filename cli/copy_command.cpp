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
    LibraryRead source = readLibraryFile(options.source);
    if (!source.loaded) {
        console.error(options.source, source.failure.what);
        return source.failure.status;
    }
    // The component the window would copy for each name: the first found by name.
    std::vector<const Component*> chosen;
    for (const std::string& argument : options.names) {
        const auto name = resolveName(source.loaded->library, argument);
        if (!name) {
            console.error(options.source, "no component named \"" + argument + "\"");
            return ExitStatus::Failure;
        }
        chosen.push_back(source.loaded->library.findByName(*name));
    }

    WritableLibrary destination =
        openForWriting(options.destination, true, waitFor(options.waitSeconds));
    if (!destination.session) {
        console.error(options.destination, destination.failure);
        return refusalStatus(destination);
    }
    if (!destination.note.empty()) console.error(options.destination, destination.note);
    LibrarySession& session = *destination.session;
    PlainNameList names;
    for (const Component* component : chosen) {
        const CopyVerdict verdict = session.copyIn(*component, names);
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
    if (const SaveResult saved = session.save(); !saved) {
        console.error(options.destination, errorText(saved.reason));
        return ExitStatus::Failure;
    }
    console.out << options.destination << ": copied " << components(chosen.size()) << ", now "
                << count << '\n';
    return ExitStatus::Success;
}
