#include "cobble_app.h"

#include "check_command.h"
#include "command.h"
#include "copy_command.h"
#include "delete_command.h"
#include "export_kicad_command.h"
#include "import_kicad_command.h"
#include "list_command.h"
#include "render_command.h"
#include "show_command.h"

#include <CLI/CLI.hpp>
#include <array>
#include <exception>

namespace {

// Every subcommand in the order `cobble --help` lists them.
constexpr std::array kCommands = {
    &addListCommand, &addShowCommand,   &addCheckCommand,  &addRenderCommand,
    &addCopyCommand, &addDeleteCommand, &addExportCommand, &addImportCommand,
};

constexpr const char* kFooter =
    "Exit status: 0 done; 1 the answer is no (not a library, a name not found, a copy or import\n"
    "refused, data a save would lose, a destination that cannot be written); 2 a file could not\n"
    "be read or the command line is wrong.\n"
    "Run `cobble COMMAND --help` for the options of one command; `cobble export kicad --help`\n"
    "and `cobble import kicad --help` for the KiCad exchange.";

std::string oneLine(std::string text) {
    for (char& c : text) {
        if (c == '\n') c = ' ';
    }
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

}  // namespace

ExitStatus runCobble(int argc, const char* const* argv, const Console& console) {
    CLI::App app("cobble: work on Protel Autotrax component libraries (.LIB files) from the shell.",
                 "cobble");
    app.footer(kFooter);
    app.require_subcommand(1);
    app.failure_message([](const CLI::App*, const CLI::Error& e) {
        return "cobble: " + oneLine(e.what()) + " (see cobble --help)\n";
    });
    CommandRun chosen;
    for (const CommandAdder add : kCommands) add(app, chosen);

    // CLI11 would call a misspelt command a missing one; say what is wrong instead.
    if (argc > 1 && argv[1][0] != '-') {
        const auto matching = app.get_subcommands(
            [name = std::string(argv[1])](CLI::App* command) { return command->check_name(name); });
        if (matching.empty()) {
            console.error(std::string("unknown command \"") + argv[1] + "\" (see cobble --help)");
            return ExitStatus::Trouble;
        }
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e, console.out, console.err);
        return code == 0 ? ExitStatus::Success : ExitStatus::Trouble;
    }
    if (!chosen) return ExitStatus::Trouble;
    try {
        return chosen(console);
    } catch (const std::exception& e) {
        console.error(std::string("internal error: ") + e.what());
        return ExitStatus::Trouble;
    }
}
