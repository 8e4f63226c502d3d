#include "import_kicad_command.h"

#include "unit_option.h"

#include <CLI/CLI.hpp>
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

void addImportCommand(CLI::App& parent, CommandRun& chosen) {
    auto request = std::make_shared<KicadImportRequest>();
    auto unit = std::make_shared<std::string>();
    CLI::App* group =
        parent.add_subcommand("import", "Add another program's footprints to a library.");
    group->require_subcommand(1);
    CLI::App* command = group->add_subcommand(
        "kicad", "Add KiCad footprints (.kicad_mod files, .pretty folders) to a library.");
    command
        ->add_option("FOOTPRINT_OR_PRETTY", request->inputs,
                     ".kicad_mod files, and folders whose .kicad_mod files are all taken")
        ->required();
    command->add_option("--to", request->library, "the library file (created when missing)")
        ->type_name("LIB")
        ->required();
    command->add_flag("--split", request->split,
                      "when LIB is full, go on in LIB_2, LIB_3, ... beside it");
    command->add_flag("--skip-refused", request->skipRefused,
                      "write what can be imported even when some footprints are refused");
    command
        ->add_option("--names", request->namesFile,
                     "a file of KICAD_NAME<TAB>SHORT lines giving your own component names")
        ->type_name("FILE");
    command->add_flag("--with-courtyard", request->footprint.withCourtyard,
                      "keep courtyards, on the keep-out layer (12), instead of dropping them");
    addUnitOption(*command, *unit);
    command
        ->add_option("--tolerance", request->footprint.roundingTolerance,
                     "count the values rounded by more than this many units (default 0.25)")
        ->type_name("UNITS")
        ->check(CLI::Range(0.0, 0.5));
    command->add_flag("-n,--dry-run", request->dryRun, "say what would happen; write nothing");
    command->footer(
        "A folder gives its .kicad_mod files in name order; the inputs are taken in the order\n"
        "given. Each footprint becomes one component, added by the window's rules: a library\n"
        "holds at most 200 components (and records up to index 32,767), and a name it already\n"
        "holds exactly is refused. Names are cut to 13 characters by the rules in the README\n"
        "(\"Importing from KiCad\"), kept unique ignoring letter case with ~2, ~3, ...; --names\n"
        "gives your own, one line per footprint, LIBRARY:NAME picking one folder's footprint:\n"
        "  SOIC-8_3.9x4.9mm_P1.27mm<TAB>SO8\n"
        "Millimetres become units rounded to the nearest (one mil unless --unit-mm), y upward.\n"
        "\n"
        "Prints the mapping and what was approximated or dropped,\n"
        "  Package_SO:SOIC-8_3.9x4.9mm_P1.27mm -> SOIC-8_P1.27\n"
        "      8 x round-rect pad drawn as a rectangle\n"
        "then \"Wrote LIB: N new components, M in all.\" for each library written, or\n"
        "\"Nothing written.\". Each refusal is one line on standard error,\n"
        "  cobble: FILE: what is wrong\n"
        "for a footprint file that is malformed or holds a value no field can take, a name LIB\n"
        "already holds, each footprint that did not fit, a LIB that is not a library file.\n"
        "Any refusal and nothing at all is written (unless --skip-refused). A LIB that exists and\n"
        "is not a library file is never written over; each library is written whole through a\n"
        "new file renamed over the old one.\n"
        "\n"
        "Exit status: 0 all imported (or, with --dry-run, all would be); 1 something was refused\n"
        "(also with --skip-refused, which writes the rest); 2 an input could not be read.");
    command->callback([request, unit, &chosen] {
        if (!unit->empty()) request->footprint.unit = *parseUnit(*unit);
        chosen = [request](const Console& console) { return runImportKicad(*request, console); };
    });
}
