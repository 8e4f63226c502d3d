#include "copy_command.h"

#include "copy_rule.h"
#include "editable_library.h"
#include "library.h"
#include "name_text.h"

#include <CLI/CLI.hpp>
#include <memory>

namespace {

std::string quoted(const std::string& name) { return "\"" + nameForText(name) + "\""; }

std::string refusal(CopyVerdict verdict, const std::string& name) {
    switch (verdict) {
        case CopyVerdict::full:
            return "cannot copy " + quoted(name) +
                   ": the library already holds 200 components, as many as a library file can";
        case CopyVerdict::duplicate:
            return "cannot copy " + quoted(name) +
                   ": the library already holds a component of that name";
        case CopyVerdict::allowed:
            break;
    }
    return {};
}

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

    EditableLibrary destination = openForWriting(options.destination, true);
    if (!destination.session) {
        console.error(options.destination, destination.failure.what);
        return destination.failure.status;
    }
    LibrarySession& session = *destination.session;
    PlainNameList names;
    for (const Component* component : chosen) {
        const CopyVerdict verdict = session.copyIn(*component, session.library()->size(), names);
        if (verdict != CopyVerdict::allowed) {
            console.error(options.destination, refusal(verdict, component->displayName()));
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

void addCopyCommand(CLI::App& parent, CommandRun& chosen) {
    auto options = std::make_shared<CopyOptions>();
    CLI::App* command = parent.add_subcommand(
        "copy", "Copy components from one library into another, by the window's rules.");
    command->add_option("SRC", options->source, "the library to copy from")->required();
    command->add_option("NAME", options->names, "the components to copy")->required();
    command
        ->add_option("--to", options->destination,
                     "the library to copy into (created when missing)")
        ->required();
    command->add_flag("-n,--dry-run", options->dryRun, "say what would happen; write nothing");
    command->footer(
        "The NAMEs are copied in the order given, each as the window copies it: refused when\n"
        "DEST already holds 200 components (tested first) or a component of exactly that name\n"
        "(names differing only in letter case are different components). One refusal, or a\n"
        "NAME not in SRC, and nothing at all is written. A copy goes to the head of DEST, so\n"
        "the next save writes it to slot 0.\n"
        "\n"
        "DEST is written through a new file renamed over the old one, so a failure leaves it as\n"
        "it was; an existing DEST that is not a library file is never written over. A NAME is\n"
        "matched by its bytes as typed, or else as `cobble show` prints names.");
    command->callback([options, &chosen] {
        chosen = [options](const Console& console) { return runCopy(*options, console); };
    });
}
