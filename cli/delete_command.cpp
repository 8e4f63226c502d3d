#include "delete_command.h"

#include "editable_library.h"
#include "library.h"
#include "name_text.h"

#include <CLI/CLI.hpp>
#include <memory>

ExitStatus runDelete(const DeleteOptions& options, const Console& console) {
    EditableLibrary opened = openForWriting(options.library, false);
    if (!opened.session) {
        console.error(options.library, opened.failure.what);
        return opened.failure.status;
    }
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

void addDeleteCommand(CLI::App& parent, CommandRun& chosen) {
    auto options = std::make_shared<DeleteOptions>();
    CLI::App* command =
        parent.add_subcommand("delete", "Remove components from a library and write it back.");
    command->add_option("LIB", options->library, "the library file")->required();
    command->add_option("NAME", options->names, "the components to remove")->required();
    command->add_flag("-n,--dry-run", options->dryRun, "say what would happen; write nothing");
    command->footer(
        "Each NAME removes the component the window finds by that name (of two with one name,\n"
        "the one from the later slot); give a name twice to remove both. A NAME not in the\n"
        "library, and nothing at all is written. The library is written through a new file\n"
        "renamed over the old one, so a failure leaves it as it was; a file that is not a\n"
        "library is never written. Like any save, it writes the components in the reverse of\n"
        "the order it read them (see `cobble check`).");
    command->callback([options, &chosen] {
        chosen = [options](const Console& console) { return runDelete(*options, console); };
    });
}
