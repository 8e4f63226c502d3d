// The command line of `cobble`: every subcommand with its options, value names and help texts,
// and the parse that picks one. This is the one file that includes CLI11, which is large enough
// that compiling it once per command would dominate the build.

#include "cobble_app.h"

#include "build_command.h"
#include "check_command.h"
#include "copy_command.h"
#include "delete_command.h"
#include "diff_command.h"
#include "dump_command.h"
#include "export_kicad_command.h"
#include "import_kicad_command.h"
#include "kicad_units.h"
#include "list_command.h"
#include "picture_module.h"
#include "project_version.h"
#include "recover_command.h"
#include "render_options.h"
#include "show_command.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <exception>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <tuple>

namespace {

/// The work a parsed subcommand stands for, run once the whole command line has been read.
using CommandRun = std::function<ExitStatus(const Console&)>;

/// Adds one subcommand to `parent`. When the command line names it, its callback sets `chosen`
/// to the run with the options as given.
using CommandAdder = void (*)(CLI::App& parent, CommandRun& chosen);

std::string lowerCase(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

/// A drill beyond this is no drill for a footprint pad but a typing error.
constexpr std::int64_t kMaxDrillNanometres = 100'000'000;

/// A check that takes a number from `low` to `high`, refused in the words of every other value
/// check: "expected WHAT from LOW to HIGH: TEXT".
CLI::Validator numberFrom(double low, double high, const std::string& what, bool whole) {
    auto shown = [](double value) {
        std::ostringstream text;
        text << value;
        return text.str();
    };
    const std::string expected =
        "expected " + what + " from " + shown(low) + " to " + shown(high) + ": ";
    return CLI::Validator(
        [=](const std::string& text) {
            const char* const begin = text.c_str();
            char* end = nullptr;
            errno = 0;
            const double value = whole ? static_cast<double>(std::strtoll(begin, &end, 10))
                                       : std::strtod(begin, &end);
            const bool number = !text.empty() && end == begin + text.size() && errno == 0;
            return number && value >= low && value <= high ? std::string() : expected + text;
        },
        "");
}

/// Refuses `-` for an option that names a folder to fill or a library to write back, neither of
/// which standard output can be; anywhere else `-` would make a file or folder named "-".
std::string notStandardOutput(const std::string& text) {
    return text == "-" ? "standard output cannot take this; give a path (./- for a file named -)"
                       : std::string();
}

/// Adds `--unit-mm X`, the length of one library unit, to a KiCad command; a text that is no
/// usable length is refused while the command line is read. `unit` keeps the text as given,
/// empty when the option is absent.
void addUnitOption(CLI::App& command, std::string& unit) {
    command
        .add_option("--unit-mm", unit,
                    "the length of one library unit in millimetres (default 0.0254, one mil)")
        ->type_name("X")
        ->check([](const std::string& text) {
            return parseUnit(text) ? std::string()
                                   : "expected a length from 0.000001 to 1000 mm: " + text;
        });
}

void addListCommand(CLI::App& parent, CommandRun& chosen) {
    auto options = std::make_shared<ListOptions>();
    CLI::App* command = parent.add_subcommand(
        "list",
        "List the library files in folders: every file whose bytes 3 to 15 read "
        "\"PCB 4 LIBRARY\", whatever its name.");
    command->add_option("DIR", options->directories, "the folders to look in")->required();
    command->add_flag("-r,--recursive", options->recursive,
                      "look in subfolders too; a folder reached twice (by a link) is listed once");
    command->add_flag("--json", options->json, "print JSON instead of paths");
    command->footer(
        "Prints one path per line: the DIR as given joined with the file name. The folders come\n"
        "in the order given; within one, the files are sorted as the window sorts its file list\n"
        "(by name ignoring letter case), and with --recursive its subfolders follow, sorted the\n"
        "same way. File names are printed as the system's bytes. Hidden files count; folders,\n"
        "special files and files that cannot be read are skipped.\n"
        "\n"
        "--json prints\n"
        "  {\"folders\": [{\"folder\": PATH, \"libraries\": [FILE NAME, ...]}, ...]}\n"
        "one entry per folder looked in, in the same order; texts that are not UTF-8 get U+FFFD.");
    command->callback([options, &chosen] {
        chosen = [options](const Console& console) { return runList(*options, console); };
    });
}

void addShowCommand(CLI::App& parent, CommandRun& chosen) {
    auto options = std::make_shared<ShowOptions>();
    CLI::App* command = parent.add_subcommand(
        "show",
        "Describe the components of a library: name, slot, primitives by kind, bounds "
        "and record bytes.");
    command->add_option("LIB", options->library, "the library file (- for standard input)")
        ->required();
    command->add_option("NAME", options->names,
                        "only these components (a name held twice shows both)");
    command->add_flag("--json", options->json, "print JSON instead of a table");
    command->footer(
        "Components are listed as the window lists them: by name ignoring letter case, names\n"
        "equal but for case in directory order; with NAMEs, in the order the NAMEs are given.\n"
        "SLOT is the directory slot (0 to 199) the component was read from; PRIMS the primitives\n"
        "kept; MINX MINY MAXX MAXY the box in library units ('-' with no primitives); BYTES\n"
        "the bytes its records take.\n"
        "\n"
        "Names are 8-bit codes shown as Latin-1: in the table as UTF-8, control codes as \\xNN\n"
        "and a backslash as \\\\. A NAME finds the components of exactly that name, else the one\n"
        "name equal to it ignoring letter case, else, holding * ? or [, the names it matches as a\n"
        "shell pattern ('SO*', 'DIP1?'); each tried on its bytes as typed, then read the way the\n"
        "table prints names. A NAME that finds nothing is an error naming close names; the\n"
        "components the others found are shown first (exit status 1).\n"
        "\n"
        "--json prints\n"
        "  {\"file\": LIB, \"components\": [{\"name\": TEXT, \"slot\": N,\n"
        "    \"primitives\": {\"total\": N, \"arc\": N, \"fill\": N, \"pad\": N, \"track\": N,\n"
        "                   \"string\": N, \"via\": N},\n"
        "    \"bounds\": {\"minX\": N, \"minY\": N, \"maxX\": N, \"maxY\": N} or null,\n"
        "    \"recordBytes\": N}, ...]}\n"
        "with names as Latin-1 converted to UTF-8.");
    command->callback([options, &chosen] {
        chosen = [options](const Console& console) { return runShow(*options, console); };
    });
}

void addCheckCommand(CLI::App& parent, CommandRun& chosen) {
    auto options = std::make_shared<CheckOptions>();
    CLI::App* command = parent.add_subcommand(
        "check",
        "Report everything the loader tolerates in library files and what a save "
        "would change.");
    command->add_option("LIB", options->libraries, "the library files (- for standard input)")
        ->required();
    command->add_flag("--json", options->json, "print JSON instead of text");
    command->footer(
        "For each file, in the order given: one line per finding, in file order (the file\n"
        "first, then slot by slot, then why a save would not give the same bytes back),\n"
        "  FILE: [slot N] [\"NAME\"] [at offset N] KIND: what was found [loses data]\n"
        "then one verdict line,\n"
        "  FILE: N components; ok: a save keeps every component\n"
        "  FILE: N components; a save would lose data\n"
        "  FILE: not a library\n"
        "and under it a note for what a save changes by the format's own rules, such as\n"
        "  note: a save writes the components in reverse directory order ...\n"
        "KIND is a stable word for scripts (unknown-record-type, duplicate-name, ...). A save\n"
        "that only reorders components or records, rewrites header bytes 0 to 2, closes gaps or\n"
        "drops junk from empty slots loses nothing the loader carries. NAMEs are printed as\n"
        "`cobble show` prints them: Latin-1 as UTF-8, control codes as \\xNN.\n"
        "\n"
        "Exit status: 0 when a save would keep every component, record and carried byte of\n"
        "every file; 1 when a save would drop or change data, or a file is not a library;\n"
        "2 when a file could not be read (also reported on standard error).\n"
        "\n"
        "--json prints\n"
        "  {\"files\": [{\"file\": LIB, \"isLibrary\": BOOL, \"fileSize\": N, \"components\": N,\n"
        "    \"reproducesFile\": BOOL,\n"
        "    \"verdict\": \"keeps-everything\", \"loses-data\" or \"not-a-library\",\n"
        "    \"findings\": [{\"kind\": KIND, \"slot\": N or null, \"component\": TEXT or null,\n"
        "                  \"offset\": N or null, \"message\": TEXT, \"losesData\": BOOL}, ...],\n"
        "    \"notes\": [the same shape: kind order-reversed, ...]}\n"
        "   or {\"file\": LIB, \"error\": TEXT} for a file that could not be read, ...]}\n"
        "with names as Latin-1 converted to UTF-8.");
    command->callback([options, &chosen] {
        chosen = [options](const Console& console) { return runCheck(*options, console); };
    });
}

void addDumpCommand(CLI::App& parent, CommandRun& chosen) {
    auto options = std::make_shared<DumpOptions>();
    CLI::App* command = parent.add_subcommand(
        "dump",
        "Print a library as text, one line per primitive, in an order no save changes: for "
        "diffs and version control.");
    command->add_option("LIB", options->library, "the library file")->required();
    command->add_flag("--others-as-is", options->othersAsIs,
                      "print a file that is not a library as it is, and succeed");
    command->footer(
        "Prints the library text: components by name ignoring letter case, each one's primitives\n"
        "in an order a save cannot change, every field by its name and every byte the program\n"
        "does not interpret in hexadecimal, so that a library and the same library after any\n"
        "number of saves print the same text. What the loader repaired in a damaged file (records\n"
        "dropped, counts lowered, second records cut short) is printed as # comment lines. The\n"
        "README describes the form; `cobble build` reads it back.\n"
        "\n"
        "For git, so that git diff, git log -p and git show print the text of library files:\n"
        "  echo '*.LIB diff=cobble' >> .gitattributes; echo '*.lib diff=cobble' >> .gitattributes\n"
        "  git config diff.cobble.textconv \"cobble dump\"\n"
        "--others-as-is keeps git working where other programs' files share the extension.");
    command->callback([options, &chosen] {
        chosen = [options](const Console& console) { return runDump(*options, console); };
    });
}

void addDiffCommand(CLI::App& parent, CommandRun& chosen) {
    auto options = std::make_shared<DiffOptions>();
    CLI::App* command = parent.add_subcommand(
        "diff", "Compare two libraries, component by component and field by field.");
    command->add_option("A", options->a, "a library file or a library text")->required();
    command->add_option("B", options->b, "a library file or a library text")->required();
    command->add_flag("--order", options->order,
                      "count another order of components or primitives as a difference");
    command->add_flag("--json", options->json, "print JSON instead of text");
    command->footer(
        "Components are matched by their exact name; of those left, one with the same primitives\n"
        "under another name is renamed, the rest are added or removed. A changed component's\n"
        "primitives are matched by their bytes, then by kind and place, then by kind and all but\n"
        "the place; each difference is one line,\n"
        "  SO8: pad at (100, 200): xSize 60 -> 62\n"
        "  SO8: track from (0, 0) to (100, 0): removed (track (layer top_overlay) ...)\n"
        "  SO8: removed (12 primitives)\n"
        "  SOT23: renamed to SOT-23\n"
        "and a last line counts them. Order is no difference unless --order: then a library's\n"
        "order is its file's (directory slots, records), a text's the order of its lines (with\n"
        "MultiLayer Pads and Vias last, as `cobble build` writes them).\n"
        "\n"
        "Exit status: 0 equal, 1 different, 2 a file could not be read or is neither a library\n"
        "file nor a library text.\n"
        "\n"
        "--json prints\n"
        "  {\"a\": A, \"b\": B, \"equal\": BOOL, \"components\": [{\"change\": \"added\", "
        "\"removed\",\n"
        "    \"renamed\" or \"changed\", \"name\": TEXT, \"newName\": TEXT (renamed),\n"
        "    \"entry\": [FIELD, ...], \"primitives\": [{\"change\": \"added\", \"removed\" or\n"
        "    \"changed\", \"where\": TEXT, \"element\": TEXT or \"fields\": [FIELD, ...]}, ...],\n"
        "    \"orderDiffers\": BOOL (renamed, changed)}, ...], \"componentOrderDiffers\": BOOL}\n"
        "with FIELD {\"field\": NAME, \"before\": VALUE or null, \"after\": VALUE or null}, "
        "values\n"
        "as the library text writes them (null where left out: carried bytes all zero).");
    command->callback([options, &chosen] {
        chosen = [options](const Console& console) { return runDiff(*options, console); };
    });
}

/// `--wait SECONDS` of a command that writes a library.
void addWaitOption(CLI::App* command, double& seconds, const char* file) {
    command
        ->add_option(
            "--wait", seconds,
            std::string("how long to wait while another program writes ") + file + " (default 5)")
        ->type_name("SECONDS")
        ->check(numberFrom(0.0, 86400.0, "seconds", false));
}

void addBuildCommand(CLI::App& parent, CommandRun& chosen) {
    auto options = std::make_shared<BuildOptions>();
    CLI::App* command = parent.add_subcommand(
        "build", "Add the components of a library text (as `cobble dump` prints) to a library.");
    command->add_option("TEXT", options->text, "the library text")->required();
    command->add_option("--to", options->library, "the library file (created when missing)")
        ->type_name("LIB")
        ->check(notStandardOutput)
        ->required();
    command->add_flag("--replace", options->replace,
                      "drop LIB's own components first, so that LIB holds the text's alone");
    command->add_flag("-n,--dry-run", options->dryRun, "say what would happen; write nothing");
    addWaitOption(command, options->waitSeconds, "LIB");
    command->footer(
        "The text is read strictly: any fault is reported as\n"
        "  cobble: TEXT: line L, column C: what is wrong\n"
        "and nothing is written. Its components are added in the order of the text, each as the\n"
        "window copies one: refused when LIB already holds 200 components or a component of\n"
        "exactly that name (also one added from the text before it); the library's records must\n"
        "stay within reach of the format (index 32,767). One refusal and nothing is written.\n"
        "Each component's records are written in the order of the text, MultiLayer Pads and Vias\n"
        "last. Fields left out of the text: carried bytes are zero, nameLength and textLength the\n"
        "length of the text, an arc's quadrantFlags 15 (a whole circle), a string's orientation\n"
        "turn0; every other field is required. The README describes the form.\n"
        "\n"
        "LIB is written through a new file renamed over the old one; an existing LIB that is not\n"
        "a library file is never written over, not even with --replace.");
    command->callback([options, &chosen] {
        chosen = [options](const Console& console) { return runBuild(*options, console); };
    });
}

void addRenderCommand(CLI::App& parent, CommandRun& chosen) {
    auto options = std::make_shared<RenderOptions>();
    auto size = std::make_shared<std::string>();
    CLI::App* command = parent.add_subcommand(
        "render", "Draw components as the window's viewer draws them, into PNG or SVG files.");
    command->add_option("LIB", options->library, "the library file (- for standard input)")
        ->required();
    command->add_option("NAME", options->names, "only these components");
    auto format = std::make_shared<std::string>();
    command->add_option("--format", *format, "the kind of picture, png or svg (either case)")
        ->type_name("png|svg")
        ->required()
        ->check([](const std::string& text) {
            const std::string kind = lowerCase(text);
            return kind == "png" || kind == "svg" ? std::string() : "expected png or svg: " + text;
        });
    command
        ->add_option("--size", *size,
                     "picture size in pixels, default 517x463 (the window's panel)")
        ->type_name("WxH")
        ->check([](const std::string& text) {
            return parseSize(text) ? std::string()
                                   : "expected a size from 1x1 to 16384x16384: " + text;
        });
    command
        ->add_option("--out", options->outDirectory,
                     "the folder for the pictures (created when missing)")
        ->type_name("DIR")
        ->check(notStandardOutput)
        ->required();
    command->footer(
        "One file per component, drawn with the window's fit, palette and stroke font, and named\n"
        "from the component's name so that it is safe on every file system: Latin-1 characters\n"
        "as UTF-8, characters a file name cannot hold as %XX, and names that differ only in\n"
        "letter case (or repeat) get ~2, ~3, ... Components come in the window's list order;\n"
        "the paths written are printed one per line. NAMEs are matched as `cobble show` matches\n"
        "names; one that finds nothing and nothing is drawn (exit status 1), the error naming\n"
        "what the others found. Existing pictures of the same name are replaced, each written\n"
        "whole or not at all.");
    command->callback([options, size, format, &chosen] {
        options->format = lowerCase(*format) == "svg" ? PictureFormat::Svg : PictureFormat::Png;
        if (!size->empty()) std::tie(options->width, options->height) = *parseSize(*size);
        chosen = [options](const Console& console) {
            return renderThroughModule(*options, console);
        };
    });
}

void addThumbnailCommand(CLI::App& parent, CommandRun& chosen) {
    auto options = std::make_shared<ThumbnailOptions>();
    auto component = std::make_shared<std::string>();
    CLI::App* command = parent.add_subcommand(
        "thumbnail",
        "Draw a library, or one of its components, into a square PNG for a file "
        "manager.");
    command->add_option("LIB", options->library, "the library file")->required();
    command->add_option("OUTPUT", options->output, "the PNG file to write")->required();
    command
        ->add_option("-s,--size", options->size, "the side of the square in pixels (default 128)")
        ->type_name("N")
        ->check(numberFrom(1, kMaxThumbnailSide, "a side", true));
    CLI::Option* componentOption =
        command->add_option("--component", *component, "draw this component alone")
            ->type_name("NAME");
    command->footer(
        "Draws as the window's viewer draws (its fit, colours and stroke font) on a transparent\n"
        "background. A library shows its components in the window's list order in a grid of\n"
        "equal cells: one component fills the square, more share the smallest grid that holds\n"
        "them, but in cells of at least 40 pixels and at most 4 x 4 of them, so 128 pixels show\n"
        "up to 9 components and 256 up to 16; components that draw nothing are left out.\n"
        "--component draws one component filling the square; NAME is matched as `cobble show`\n"
        "matches names.\n"
        "\n"
        "OUTPUT is written whole or not at all. A file that cannot be read (exit status 2), that\n"
        "is not a library, holds nothing to draw or lacks NAME (exit status 1) gives no picture.\n"
        "The desktop's thumbnailer entry runs `cobble thumbnail --size %s %i %o`.");
    command->callback([options, component, componentOption, &chosen] {
        if (componentOption->count() > 0) options->component = *component;
        chosen = [options](const Console& console) {
            return thumbnailThroughModule(*options, console);
        };
    });
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
        ->type_name("DEST")
        ->check(notStandardOutput)
        ->required();
    command->add_flag("-n,--dry-run", options->dryRun, "say what would happen; write nothing");
    addWaitOption(command, options->waitSeconds, "DEST");
    command->footer(
        "The NAMEs are copied in the order given, each as the window copies it: refused when\n"
        "DEST already holds 200 components (tested first) or a component of exactly that name\n"
        "(names differing only in letter case are different components). One refusal, or a\n"
        "NAME not in SRC, and nothing at all is written. A copy goes to the head of DEST, so\n"
        "the next save writes it to slot 0.\n"
        "\n"
        "DEST is written through a new file renamed over the old one, so a failure leaves it as\n"
        "it was; an existing DEST that is not a library file is never written over. A NAME is\n"
        "matched as `cobble show` matches names; a pattern copies every name it matches.");
    command->callback([options, &chosen] {
        chosen = [options](const Console& console) { return runCopy(*options, console); };
    });
}

void addDeleteCommand(CLI::App& parent, CommandRun& chosen) {
    auto options = std::make_shared<DeleteOptions>();
    CLI::App* command =
        parent.add_subcommand("delete", "Remove components from a library and write it back.");
    command->add_option("LIB", options->library, "the library file")->required();
    command->add_option("NAME", options->names, "the components to remove")->required();
    command->add_flag("-n,--dry-run", options->dryRun, "say what would happen; write nothing");
    addWaitOption(command, options->waitSeconds, "LIB");
    command->footer(
        "Each NAME removes the component the window finds by that name (of two with one name,\n"
        "the one from the later slot); give a name twice to remove both. NAMEs are matched as\n"
        "`cobble show` matches names (a pattern removes one of each name it matches); a NAME that\n"
        "finds nothing, and nothing at all is written. The library is written through a new file\n"
        "renamed over the old one, so a failure leaves it as it was; a file that is not a\n"
        "library is never written. Like any save, it writes the components in the reverse of\n"
        "the order it read them (see `cobble check`).");
    command->callback([options, &chosen] {
        chosen = [options](const Console& console) { return runDelete(*options, console); };
    });
}

void addRecoverCommand(CLI::App& parent, CommandRun& chosen) {
    auto options = std::make_shared<RecoverOptions>();
    CLI::App* command = parent.add_subcommand(
        "recover", "Offer the backup that an interrupted save of a library left beside it.");
    command->add_option("LIB", options->library, "the library file")->required();
    CLI::Option* restore =
        command->add_flag("--restore", options->restore, "put the backup back as LIB");
    command->add_flag("--discard", options->discard, "remove the backup and keep LIB as it is")
        ->excludes(restore);
    addWaitOption(command, options->waitSeconds, "LIB");
    command->footer(
        "A library with several hard links is saved in place, behind a hidden backup of its old\n"
        "bytes. When such a save is killed, the library may be torn and the backup holds it as\n"
        "it was. Without an option, shows the newest such backup and what differs from LIB to\n"
        "it; --restore writes it back as LIB (through a safe save) and --discard removes it.\n"
        "Either way the backup is gone afterwards. Commands that write LIB point here when a\n"
        "backup is waiting.");
    command->callback([options, &chosen] {
        chosen = [options](const Console& console) { return runRecover(*options, console); };
    });
}

void addExportCommand(CLI::App& parent, CommandRun& chosen) {
    auto options = std::make_shared<ExportKicadOptions>();
    auto unit = std::make_shared<std::string>();
    auto drillMm = std::make_shared<std::string>();
    CLI::App* group =
        parent.add_subcommand("export", "Write libraries in another program's format.");
    group->require_subcommand(1);
    CLI::App* command = group->add_subcommand(
        "kicad", "Write each library as a KiCad footprint library, one .kicad_mod per component.");
    command->add_option("LIB", options->libraries, "the library files (- for standard input)")
        ->required();
    command
        ->add_option("--out", options->outDirectory,
                     "the folder that receives the NAME.pretty folders (created when missing)")
        ->type_name("DIR")
        ->check(notStandardOutput)
        ->required();
    addUnitOption(*command, *unit);
    CLI::Option* ratio =
        command
            ->add_option("--drill-ratio", options->footprint.drillRatio,
                         "a through-hole pad's drill as a share of its smaller side (default 0.6; "
                         "not with --drill-mm)")
            ->type_name("R")
            ->check(numberFrom(0.01, 1.0, "a share", false));
    CLI::Option* drill = command
                             ->add_option("--drill-mm", *drillMm,
                                          "one drill in millimetres for every through-hole pad")
                             ->type_name("D")
                             ->check([](const std::string& text) {
                                 const auto nm = parseMillimetres(text);
                                 return nm && *nm > 0 && *nm <= kMaxDrillNanometres
                                            ? std::string()
                                            : "expected a drill from 0.000001 to 100 mm: " + text;
                             });
    command
        ->add_option("--names", options->namesFile,
                     "a names file (KICAD_NAME<TAB>SHORT, as an import writes LIB.names) whose "
                     "KiCad names the footprints get back")
        ->type_name("FILE");
    auto noCourtyard = std::make_shared<bool>(false);
    command->add_flag("--no-courtyard", *noCourtyard,
                      "add no courtyard round a component that has none on layer 12");
    command->add_flag("--json", options->json, "print JSON instead of the summaries");
    command->footer(
        "Each LIB becomes DIR/NAME.pretty, NAME being its file name without the extension, with\n"
        "one KiCad 6 footprint file per component (NAME.kicad_mod, named so that it is safe on\n"
        "every file system: see `cobble render --help`). Two libraries of the same name ignoring\n"
        "letter case (a/IC.LIB and b/ic.lib) do not share a folder: the later one in the order\n"
        "given goes to IC~2.pretty, the next to IC~3.pretty. A file given twice is exported once.\n"
        "The same input always gives the same bytes. One library unit is one mil unless\n"
        "--unit-mm says otherwise; a through-hole pad's drill is 0.6 of its smaller side, never\n"
        "below 0.3 mm nor above that side, unless --drill-ratio or --drill-mm says otherwise.\n"
        "Pads are numbered 1, 2, 3, ... in the order of their records in the file. The first\n"
        "String on the top overlay holding a designator's place (REF**, U?, IC?) becomes the\n"
        "reference field; drawings on layer 12 are the courtyard (F.CrtYd), and a component\n"
        "without them gets a rectangle 0.25 mm clear of its pads and drawings unless\n"
        "--no-courtyard. The README's \"Exporting to KiCad\" lists every rule.\n"
        "\n"
        "For each library, in the order given, prints\n"
        "  LIB: N footprints written to DIR/NAME.pretty\n"
        "and then one line per approximation or omission, components in the window's list order,\n"
        "  NAME: record 3 (Pad): shape 7 is not drawn; skipped\n"
        "\n"
        "Every LIB is read before anything is written: a file that cannot be read or is not a\n"
        "library writes nothing at all. Each footprint file is written whole or not at all; the\n"
        "first that cannot be written ends the export with its name, the files before it being\n"
        "complete. Existing footprint files of the same name are replaced, others left alone.\n"
        "\n"
        "--json prints\n"
        "  {\"libraries\": [{\"file\": LIB, \"folder\": DIR/NAME.pretty, \"footprints\":\n"
        "    [{\"name\": NAME, \"file\": FILE NAME, \"notes\": [TEXT, ...]}, ...]}, ...]}\n"
        "with names as Latin-1 converted to UTF-8.");
    command->callback([options, unit, drillMm, noCourtyard, ratio, drill, &chosen] {
        if (ratio->count() > 0 && drill->count() > 0) {
            throw CLI::ValidationError("--drill-ratio and --drill-mm",
                                       "give one of them, not both");
        }
        if (!unit->empty()) options->footprint.unit = *parseUnit(*unit);
        options->footprint.courtyard = !*noCourtyard;
        if (!drillMm->empty()) options->footprint.drillNanometres = parseMillimetres(*drillMm);
        chosen = [options](const Console& console) { return runExportKicad(*options, console); };
    });
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
        ->check(notStandardOutput)
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
                      "keep courtyards, on layer 12 (which exports as the courtyard)");
    addUnitOption(*command, *unit);
    command
        ->add_option("--tolerance", request->footprint.roundingTolerance,
                     "count the values rounded by more than this many units (default 0.25)")
        ->type_name("UNITS")
        ->check(numberFrom(0.0, 0.5, "a tolerance", false));
    command->add_flag("-n,--dry-run", request->dryRun, "say what would happen; write nothing");
    command->add_flag("-q,--quiet", request->quiet,
                      "print only refusals and what was written, not the mapping and summaries");
    addWaitOption(command, request->waitSeconds, "LIB");
    command->footer(
        "A folder gives its .kicad_mod files in name order; the inputs are taken in the order\n"
        "given. Each footprint becomes one component, added by the window's rules: a library\n"
        "holds at most 200 components (and records up to index 32,767), and a name it already\n"
        "holds exactly is refused. Names are cut to 13 characters by the rules in the README\n"
        "(\"Importing from KiCad\"), kept unique ignoring letter case with ~2, ~3, ...; --names\n"
        "gives your own, one line per footprint, LIBRARY:NAME picking one folder's footprint:\n"
        "  SOIC-8_3.9x4.9mm_P1.27mm<TAB>SO8\n"
        "The names chosen are written beside each library written, in LIB.names, in that form,\n"
        "and a later import into LIB takes them again; `cobble export kicad --names LIB.names`\n"
        "gives the footprints their KiCad names back.\n"
        "Millimetres become units rounded to the nearest (one mil unless --unit-mm), y upward.\n"
        "Pads go in the order of their KiCad numbers, so that an export numbers them as KiCad "
        "did.\n"
        "\n"
        "Prints what every footprint has in common once, then the mapping and what was\n"
        "approximated or dropped, and which pad numbers an export would change,\n"
        "  Package_SO:SOIC-8_3.9x4.9mm_P1.27mm -> SOIC-8_P1.27\n"
        "      8 x round-rect pad drawn as a rectangle\n"
        "then \"Wrote LIB: N new components, M in all.\" for each library written, or\n"
        "\"Nothing written.\"; --quiet prints only these closing lines and the refusals. Each\n"
        "refusal is one line on standard error,\n"
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

// Every subcommand in the order `cobble --help` lists them.
constexpr std::array kCommands = {
    &addListCommand,    &addShowCommand,   &addCheckCommand,     &addDumpCommand,
    &addDiffCommand,    &addRenderCommand, &addThumbnailCommand, &addCopyCommand,
    &addDeleteCommand,  &addBuildCommand,  &addExportCommand,    &addImportCommand,
    &addRecoverCommand,
};

constexpr const char* kFooter =
    "Exit status: 0 done; 1 the answer is no (not a library, a name not found, a copy, import\n"
    "or build refused, data a save would lose, a destination that cannot be written, libraries\n"
    "that differ); 2 a file could not be read or the command line is wrong.\n"
    "Run `cobble COMMAND --help` for the options of one command; `cobble export kicad --help`\n"
    "and `cobble import kicad --help` for the KiCad exchange.";

constexpr const char* kVersionFooter =
    "\n"
    "License GPL-3.0-or-later: GNU GPL version 3 or later.\n"
    "This is free software: you are free to change and redistribute it.\n"
    "There is NO WARRANTY, to the extent permitted by law.";

std::string oneLine(std::string text) {
    for (char& c : text) {
        if (c == '\n') c = ' ';
    }
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

/// Drops the parser's type words ("TEXT", "INT") after the positional arguments, whose own names
/// (LIB, NAME, DIR) say what they take, in `command` and every subcommand under it.
void nameValuesByTheirArguments(CLI::App& command) {
    for (CLI::Option* option : command.get_options()) {
        if (option->get_positional() && option->get_lnames().empty() &&
            option->get_snames().empty()) {
            option->type_name("");
        }
    }
    for (CLI::App* sub : command.get_subcommands([](CLI::App*) { return true; })) {
        nameValuesByTheirArguments(*sub);
    }
}

/// The command a usage error concerns, as typed: "cobble", "cobble list", "cobble export kicad".
std::string commandPath(const CLI::App& app) {
    std::string path = "cobble";
    const CLI::App* command = &app;
    for (;;) {
        const std::vector<CLI::App*> parsed = command->get_subcommands();
        if (parsed.empty()) return path;
        command = parsed.front();
        path += " " + command->get_name();
    }
}

/// The first word of the command line that looks like an option and that no option took.
std::string unknownOption(const CLI::App& app) {
    for (const std::string& word : app.remaining(true)) {
        if (word.size() > 1 && word[0] == '-') return word;
    }
    return {};
}

/// How the shell completes a value: the words it may be, folders, files, or nothing (a number, a
/// component name).
std::string valueCompletion(const std::string& typeName, const std::string& name) {
    const std::string value = typeName.empty() ? name : typeName;
    if (value.find('|') != std::string::npos) {
        std::string words = value;
        for (char& c : words) {
            if (c == '|') c = ' ';
        }
        return "COMPREPLY=($(compgen -W '" + words + "' -- \"$cur\"))";
    }
    if (value == "DIR") return "COMPREPLY=($(compgen -d -- \"$cur\")); compopt -o filenames";
    static const std::array kFiles = {
        "LIB", "DEST", "SRC", "FILE", "TEXT", "OUTPUT", "A", "B", "FOOTPRINT_OR_PRETTY"};
    if (std::find(kFiles.begin(), kFiles.end(), value) != kFiles.end()) {
        return "COMPREPLY=($(compgen -f -- \"$cur\")); compopt -o filenames";
    }
    return "COMPREPLY=()";
}

/// Appends the completion cases of `command`, whose words on the command line are `path`, and of
/// every visible subcommand under it.
void addCompletionCases(const CLI::App& command, const std::string& path, std::string& paths,
                        std::string& words, std::string& values) {
    std::string offered;
    for (const CLI::App* sub : command.get_subcommands({})) {
        if (sub->get_group().empty()) continue;  // hidden
        offered += sub->get_name() + " ";
        paths += "            \"" + path + " " + sub->get_name() + "\") path=\"$path " +
                 sub->get_name() + "\" ;;\n";
    }
    // A command with subcommands takes one of them next.
    std::string positional =
        offered.empty() ? std::string() : "COMPREPLY=($(compgen -W \"$offered\" -- \"$cur\"))";
    for (const CLI::Option* option : command.get_options({})) {
        if (option->get_lnames().empty() && option->get_snames().empty()) {
            if (positional.empty()) positional = valueCompletion("", option->get_name());
            continue;
        }
        std::string names;
        for (const std::string& name : option->get_snames()) names += "-" + name + " ";
        for (const std::string& name : option->get_lnames()) names += "--" + name + " ";
        offered += names;
        if (option->get_type_size() == 0) continue;  // a flag
        for (const std::string& name : option->get_lnames()) {
            values += "        \"" + path + ":--" + name + "\") " +
                      valueCompletion(option->get_type_name(), "") + "; return ;;\n";
        }
        for (const std::string& name : option->get_snames()) {
            values += "        \"" + path + ":-" + name + "\") " +
                      valueCompletion(option->get_type_name(), "") + "; return ;;\n";
        }
    }
    while (!offered.empty() && offered.back() == ' ') offered.pop_back();
    words += "        \"" + path + "\") offered='" + offered + "'; rest='" +
             (positional.empty() ? "COMPREPLY=()" : positional) + "' ;;\n";
    for (const CLI::App* sub : command.get_subcommands({})) {
        if (!sub->get_group().empty()) {
            addCompletionCases(*sub, path + " " + sub->get_name(), paths, words, values);
        }
    }
}

/// A bash completion script for `app`, made from the same definitions as its help, so that the
/// two cannot disagree.
std::string bashCompletion(const CLI::App& app) {
    std::string paths;
    std::string words;
    std::string values;
    addCompletionCases(app, "cobble", paths, words, values);
    return "# bash completion for cobble; written by `cobble completion bash` from the "
           "definitions\n"
           "# of its commands and options.\n"
           "_cobble() {\n"
           "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}\n"
           "    local path=cobble i offered rest\n"
           "    # The words so far that name a command and its subcommand.\n"
           "    for ((i = 1; i < COMP_CWORD; i++)); do\n"
           "        case \"$path ${COMP_WORDS[i]}\" in\n" +
           paths +
           "        esac\n"
           "    done\n"
           "    # The value of an option.\n"
           "    case \"$path:$prev\" in\n" +
           values +
           "    esac\n"
           "    case \"$path\" in\n" +
           words +
           "        *) return ;;\n"
           "    esac\n"
           "    if [[ $cur == -* ]]; then\n"
           "        COMPREPLY=($(compgen -W \"$offered\" -- \"$cur\"))\n"
           "        return\n"
           "    fi\n"
           "    eval \"$rest\"\n"
           "}\n"
           "complete -F _cobble cobble\n";
}

void addCompletionCommand(CLI::App& parent, CommandRun& chosen) {
    auto shell = std::make_shared<std::string>();
    // Hidden: the build runs it to write the completion file that is installed.
    CLI::App* command = parent.add_subcommand("completion", "Print a shell completion script.");
    command->group("");
    command->add_option("SHELL", *shell, "the shell: bash")
        ->required()
        ->check(CLI::IsMember({"bash"}));
    command->callback([shell, &parent, &chosen] {
        chosen = [&parent](const Console& console) {
            console.out << bashCompletion(parent);
            return ExitStatus::Success;
        };
    });
}

}  // namespace

ExitStatus runCobble(int argc, const char* const* argv, const Console& console) {
    CLI::App app("cobble: work on Protel Autotrax component libraries (.LIB files) from the shell.",
                 "cobble");
    app.footer(kFooter);
    // Before the commands are added, which take it over.
    app.set_help_flag("-h,--help", "print this help and exit");
    app.set_version_flag("--version", std::string("cobble ") + kProjectVersion + kVersionFooter,
                         "print the version and exit");
    app.require_subcommand(1);
    CommandRun chosen;
    for (const CommandAdder add : kCommands) add(app, chosen);
    addCompletionCommand(app, chosen);
    nameValuesByTheirArguments(app);

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
        if (e.get_exit_code() == 0) {
            app.exit(e, console.out, console.err);  // --help or --version
            return ExitStatus::Success;
        }
        // An option nobody knows is named first, since it often causes the other complaints (a
        // misspelt option's value taken for a missing argument), and the help pointed to is the
        // one of the command being typed.
        const std::string unknown = unknownOption(app);
        console.error((unknown.empty() ? oneLine(e.what()) : "unknown option " + unknown) +
                      " (see " + commandPath(app) + " --help)");
        return ExitStatus::Trouble;
    }
    if (!chosen) return ExitStatus::Trouble;
    try {
        return chosen(console);
    } catch (const std::exception& e) {
        console.error(std::string("internal error: ") + e.what());
        return ExitStatus::Trouble;
    }
}
