#include "build_command.h"

#include "copy_rule.h"
#include "library.h"
#include "library_input.h"
#include "name_text.h"
#include "write_refusals.h"

#include <memory>

ExitStatus runBuild(const BuildOptions& options, const Console& console) {
    const LibraryTextFile text = readLibraryTextFile(options.text);
    if (!text.ok) {
        console.error(options.text, text.failure.reason);
        return text.failure.status;
    }

    WritableLibrary destination =
        openForWriting(options.library, true, waitFor(options.waitSeconds));
    if (!destination.session) {
        // A destination that cannot be written is a refusal, whatever the reason.
        console.error(options.library, destination.failure);
        return ExitStatus::Failure;
    }
    if (!destination.note.empty()) console.error(options.library, destination.note);
    LibrarySession& session = *destination.session;
    if (options.replace) {
        while (!session.library()->components().empty()) {
            session.remove(session.library()->components().front().get());
        }
    }
    for (const TextComponent& read : text.text.components) {
        const Component& component = *read.component;
        const CopyVerdict verdict = session.copyIn(component);
        if (verdict != CopyVerdict::allowed) {
            console.error(options.library, "cannot add \"" + nameForText(component.displayName()) +
                                               "\" (" + options.text + ", line " +
                                               std::to_string(read.line) +
                                               "): " + copyRefusal(verdict));
            if (options.dryRun) console.out << "nothing would be written\n";
            return ExitStatus::Failure;
        }
    }

    const std::size_t added = text.text.components.size();
    const std::size_t count = session.library()->size();
    if (const SaveResult writable = session.library()->checkWritable(); !writable) {
        console.error(options.library, writable.reason);
        if (options.dryRun) console.out << "nothing would be written\n";
        return ExitStatus::Failure;
    }
    if (options.dryRun) {
        console.out << options.library << ": would "
                    << (destination.created ? "be created to hold " : "hold ") << components(count)
                    << "; nothing written\n";
        return ExitStatus::Success;
    }
    const SaveResult saved = session.save();
    if (!saved) {
        console.error(options.library, saved.reason);
        return ExitStatus::Failure;
    }
    console.out << options.library << ": added " << components(added) << " from " << options.text
                << ", now " << count << '\n';
    if (!saved.note.empty()) console.error(options.library, saved.note);
    return ExitStatus::Success;
}
