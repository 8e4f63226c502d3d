// How `cobble` behaves as a shell program, the same in every command of a family: what a person
// at a terminal sees, how usage errors read, which status a mistake gives.

#include "cobble_process.h"
#include "library_file_builder.h"
#include "primitive_factory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::vector<std::string> samples() {
    std::vector<std::string> paths;
    for (const auto& entry : fs::directory_iterator(samplesDir())) {
        if (entry.path().extension() == ".LIB") paths.push_back(entry.path().string());
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

std::vector<std::string> joined(std::vector<std::string> head,
                                const std::vector<std::string>& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

}  // namespace

// With results and progress on one terminal, the counter ran into the next result line. What a
// person sees must be exactly what the command prints, errors included.
TEST(Conventions, OnOneTerminalTheScreenShowsTheResultsAndErrorsAndNoCounter) {
    TemporaryDirectory tmp;
    writeLibrary(tmp / "A.LIB", {"ONE", "TWO", "THREE"});
    const std::vector<std::string> libraries = joined(samples(), {(tmp / "gone.LIB").string()});
    const std::vector<std::vector<std::string>> commands = {
        joined({"check"}, libraries),
        {"list", samplesDir().string(), tmp.path().string()},
        {"render", (tmp / "A.LIB").string(), "--format", "svg", "--out",
         (tmp / "pictures").string()},
        joined({"export", "kicad", "--out", (tmp / "kicad").string()}, samples()),
    };
    const std::regex kCounter("[0-9]+/[0-9]+ (libraries|folders|components)");
    for (const std::vector<std::string>& command : commands) {
        const CobbleRun piped = runCobble(command);
        const CobbleRun shown = runCobbleOnSharedTerminal(command);
        EXPECT_EQ(shown.status, piped.status) << command[0];
        std::vector<std::string> expected = linesOf(piped.out);
        const std::vector<std::string> errors = linesOf(piped.err);
        const std::vector<std::string> screen = screenLines(shown.err);
        // Errors come where they happen; the results keep their order around them.
        std::vector<std::string> results;
        std::copy_if(screen.begin(), screen.end(), std::back_inserter(results),
                     [](const std::string& line) { return !line.starts_with("cobble: "); });
        EXPECT_EQ(results, expected) << command[0] << "\n" << shown.err;
        EXPECT_EQ(screen.size(), expected.size() + errors.size()) << command[0] << "\n"
                                                                  << shown.err;
        EXPECT_TRUE(std::regex_search(shown.err, kCounter)) << command[0] << ": no progress shown";
    }
}

namespace {

struct UsageCase {
    std::vector<std::string> arguments;
    std::string message;  // the error line between "cobble: " and " (see ...)"
    std::string command;  // the help pointed to
};

}  // namespace

// A bad option was hidden behind "DIR is required", and every hint pointed to the top-level help.
TEST(Conventions, AUsageErrorNamesTheBadOptionFirstAndPointsToItsCommandsHelp) {
    const std::string lib = (samplesDir() / "IC.LIB").string();
    const UsageCase cases[] = {
        {{"list", "--frobnicate"}, "unknown option --frobnicate", "cobble list"},
        {{"export", "kicad", lib, "--out", "x", "--bogus"},
         "unknown option --bogus",
         "cobble export kicad"},
        {{"show"}, "LIB is required", "cobble show"},
        {{"render", lib, "--format", "gif", "--out", "x"},
         "--format: expected png or svg: gif",
         "cobble render"},
        {{"thumbnail", lib, "x.png", "--size", "0"},
         "--size: expected a side from 1 to 4096: 0",
         "cobble thumbnail"},
        {{"export", "kicad", lib, "--out", "x", "--drill-ratio", "2"},
         "--drill-ratio: expected a share from 0.01 to 1: 2",
         "cobble export kicad"},
    };
    for (const UsageCase& c : cases) {
        const CobbleRun run = runCobble(c.arguments);
        EXPECT_EQ(run.status, 2) << describe(run);
        EXPECT_EQ(run.err, "cobble: " + c.message + " (see " + c.command + " --help)\n");
        EXPECT_EQ(run.out, "");
    }
}

// Help showed the parser's own words: "LIB TEXT REQUIRED", "R:FLOAT in [0.01 - 1]".
TEST(Conventions, HelpNamesEveryValueInItsOwnWords) {
    // A type word after an argument or option name, a range or the parser's "Excludes".
    const std::regex kParserWords(
        "(^|\\n) +[-A-Za-z,_]+( \\.\\.\\.)? (TEXT|FLOAT|INT|UINT|NUMBER)\\b| in \\[|Excludes");
    for (const std::vector<std::string>& command :
         std::vector<std::vector<std::string>>{{"list"},
                                               {"show"},
                                               {"check"},
                                               {"dump"},
                                               {"diff"},
                                               {"render"},
                                               {"thumbnail"},
                                               {"copy"},
                                               {"delete"},
                                               {"build"},
                                               {"export", "kicad"},
                                               {"import", "kicad"}}) {
        const CobbleRun help = runCobble(joined(command, {"--help"}));
        EXPECT_EQ(help.status, 0);
        // The lists of arguments and options, before the footer.
        const std::string lists =
            help.out.substr(0, help.out.find("\n\n", help.out.find("Options:")));
        EXPECT_FALSE(std::regex_search(lists, kParserWords)) << lists;
    }
}

// `copy --to FOLDER` gave 2 and `import kicad --to FOLDER` 1; and `--out -` made a folder "-".
TEST(Conventions, ADestinationThatCannotBeWrittenIsARefusalAndDashIsNoDestination) {
    TemporaryDirectory tmp;
    writeLibrary(tmp / "A.LIB", {"ONE"});
    fs::create_directory(tmp / "folder");
    const std::string lib = (tmp / "A.LIB").string();
    const std::string folder = (tmp / "folder").string();
    const std::string footprint = std::string(KICAD_DATA_DIR) + "/SIP2.kicad_mod";
    const CobbleRun text = runCobble({"dump", lib});
    writeFileBytes(tmp / "a.txt", std::vector<std::uint8_t>(text.out.begin(), text.out.end()));
    for (const std::vector<std::string>& command :
         std::vector<std::vector<std::string>>{{"copy", lib, "ONE", "--to", folder},
                                               {"build", (tmp / "a.txt").string(), "--to", folder},
                                               {"import", "kicad", footprint, "--to", folder}}) {
        const CobbleRun run = runCobble(command);
        EXPECT_EQ(run.status, 1) << command[0] << ": " << describe(run);
    }
    for (const std::vector<std::string>& command :
         std::vector<std::vector<std::string>>{{"render", lib, "--format", "svg", "--out", "-"},
                                               {"export", "kicad", lib, "--out", "-"},
                                               {"copy", lib, "ONE", "--to", "-"}}) {
        const CobbleRun run = runCobble(command, tmp.path());
        EXPECT_EQ(run.status, 2) << command[0] << ": " << describe(run);
        EXPECT_TRUE(run.err.starts_with("cobble: --")) << run.err;
        EXPECT_FALSE(fs::exists(tmp / "-")) << command[0];
    }
}

// A library piped in is read as `-`, by every command that reads one library to show or convert.
TEST(Conventions, DashReadsTheLibraryFromStandardInput) {
    TemporaryDirectory tmp;
    const fs::path ic = samplesDir() / "IC.LIB";
    const auto same = [&](const std::vector<std::string>& fromFile,
                          const std::vector<std::string>& fromInput) {
        const CobbleRun file = runCobble(fromFile);
        const CobbleRun piped = runCobbleWithInput(fromInput, ic);
        EXPECT_EQ(piped.status, file.status) << describe(piped);
        return std::pair{file.out, piped.out};
    };
    auto [shown, shownPiped] = same({"show", ic.string(), "SO8"}, {"show", "-", "SO8"});
    EXPECT_EQ(shownPiped, shown);
    auto [checked, checkedPiped] = same({"check", ic.string()}, {"check", "-"});
    EXPECT_EQ(checkedPiped.substr(1), checked.substr(ic.string().size()));
    same({"render", ic.string(), "SO8", "--format", "svg", "--out", (tmp / "a").string()},
         {"render", "-", "SO8", "--format", "svg", "--out", (tmp / "b").string()});
    EXPECT_EQ(readFileBytes(tmp / "b" / "SO8.svg"), readFileBytes(tmp / "a" / "SO8.svg"));
    same({"export", "kicad", ic.string(), "--out", (tmp / "c").string()},
         {"export", "kicad", "-", "--out", (tmp / "d").string()});
    EXPECT_EQ(readFileBytes(tmp / "d" / "stdin.pretty" / "SO8.kicad_mod"),
              readFileBytes(tmp / "c" / "IC.pretty" / "SO8.kicad_mod"));
}

// A library the loader repaired was shown as if sound.
TEST(Conventions, ADamagedLibraryIsNamedOnceAndTheCommandStillSucceeds) {
    TemporaryDirectory tmp;
    LibraryFileBuilder damaged;  // a count of 3 where one record follows: the loader lowers it
    damaged.slot(0, makeEntry("R1", 3, 401)).primitive(401, makeTrack(7, 0, 0, 100, 0, 10));
    writeFileBytes(tmp / "D.LIB", damaged.bytes());
    const std::string lib = (tmp / "D.LIB").string();
    const std::string hint = "cobble: " + lib + ": damaged; run \"cobble check " + lib + "\"\n";
    for (const std::vector<std::string>& command : std::vector<std::vector<std::string>>{
             {"show", lib},
             {"render", lib, "--format", "svg", "--out", (tmp / "p").string()},
             {"export", "kicad", lib, "--out", (tmp / "k").string()}}) {
        const CobbleRun run = runCobble(command);
        EXPECT_EQ(run.status, 0) << describe(run);
        EXPECT_EQ(run.err, hint) << command[0];
    }
    EXPECT_EQ(runCobble({"show", (samplesDir() / "IC.LIB").string()}).err, "");
}

namespace {

struct NameCase {
    std::vector<std::string> arguments;
    int status;
    std::vector<std::string> outStart;  // the first words of each output line
    std::string err;
};

}  // namespace

// `show IC.LIB so8` said "no component named" though SO8 was there.
TEST(Conventions, NamesMatchIgnoringCaseAndAsPatternsAndMissOnesSayWhatIsClose) {
    TemporaryDirectory tmp;
    writeLibrary(tmp / "A.LIB", {"SO8", "SO14", "DIP8", "DIP14", "DIP16"});
    const std::string lib = (tmp / "A.LIB").string();
    const auto copy = [&](const std::string& name) {
        fs::remove(tmp / "B.LIB");
        return std::vector<std::string>{"copy", lib, name, "--to", (tmp / "B.LIB").string()};
    };
    const NameCase cases[] = {
        {{"show", lib, "so8"}, 0, {"NAME", "SO8"}, ""},
        {{"show", lib, "DIP1?"}, 0, {"NAME", "DIP14", "DIP16"}, ""},
        {{"show", lib, "SO*", "SO9"},
         1,
         {"NAME", "SO14", "SO8"},
         "cobble: " + lib + ": no component named \"SO9\"; did you mean \"SO8\"?\n"},
        {{"show", lib, "QFP*"}, 1, {}, "cobble: " + lib + ": no component name matches \"QFP*\"\n"},
        {{"render", lib, "dip8", "XX", "--format", "svg", "--out", (tmp / "p").string()},
         1,
         {},
         "cobble: " + lib + ": no component named \"XX\"\ncobble: " + lib +
             ": nothing drawn; the other NAMEs found \"DIP8\"\n"},
        {{"render", lib, "dip8", "--format", "svg", "--out", (tmp / "p").string()},
         0,
         {(tmp / "p" / "DIP8.svg").string()},
         ""},
        {copy("dip*"), 0, {(tmp / "B.LIB").string() + ": copied 3 components"}, ""},
        {copy("SO8 "),
         1,
         {},
         "cobble: " + lib + ": no component named \"SO8 \"; did you mean \"SO8\"?\n"},
        {{"delete", "-n", lib, "DIP8", "DIP8"},
         1,
         {"would delete \"DIP8\""},
         "cobble: " + lib +
             ": \"DIP8\" is given more times than the library holds components "
             "of that name\n"},
    };
    for (const NameCase& c : cases) {
        const CobbleRun run = runCobble(c.arguments);
        EXPECT_EQ(run.status, c.status) << describe(run);
        const std::vector<std::string> lines = linesOf(run.out);
        ASSERT_EQ(lines.size(), c.outStart.size()) << describe(run);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            EXPECT_TRUE(lines[i].starts_with(c.outStart[i])) << lines[i];
        }
        EXPECT_EQ(run.err, c.err);
    }
    EXPECT_EQ(namesInLibrary(tmp / "A.LIB").size(), 5u) << "a refused delete writes nothing";
}

// The completion is made from the command definitions: it offers every command and option that
// the help lists, and completes values by their kind.
TEST(Conventions, BashCompletionOffersWhatTheHelpLists) {
    TemporaryDirectory tmp;
    const CobbleRun script = runCobble({"completion", "bash"});
    ASSERT_EQ(script.status, 0) << describe(script);
    const fs::path file = tmp / "cobble.bash";
    writeFileBytes(file, std::vector<std::uint8_t>(script.out.begin(), script.out.end()));
    // What bash offers for the last of `words` (with a whole word before it, "" completes anew).
    const auto complete = [&](const std::vector<std::string>& words) {
        std::string line;
        for (const std::string& word : words) line += " '" + word + "'";
        const fs::path program = tmp / "complete.sh";
        const std::string text = "source '" + file.string() + "'\nCOMP_WORDS=(" + line +
                                 ")\nCOMP_CWORD=" + std::to_string(words.size() - 1) +
                                 "\n_cobble\nprintf '%s\\n' \"${COMPREPLY[@]}\"\n";
        writeFileBytes(program, std::vector<std::uint8_t>(text.begin(), text.end()));
        std::vector<std::string> offered;
        if (std::FILE* shell = ::popen(("bash " + program.string()).c_str(), "r")) {
            char buffer[256];
            while (std::fgets(buffer, sizeof buffer, shell)) {
                std::string word(buffer);
                if (!word.empty() && word.back() == '\n') word.pop_back();
                if (!word.empty()) offered.push_back(word);
            }
            ::pclose(shell);
        }
        std::sort(offered.begin(), offered.end());
        return offered;
    };
    EXPECT_EQ(complete({"cobble", "render", "--format", ""}),
              (std::vector<std::string>{"png", "svg"}));
    EXPECT_EQ(complete({"cobble", "export", ""}),
              (std::vector<std::string>{"--help", "-h", "kicad"}));
    const std::vector<std::string> commands = complete({"cobble", ""});
    EXPECT_FALSE(std::binary_search(commands.begin(), commands.end(), "completion")) << "hidden";
    const CobbleRun top = runCobble({"--help"});
    std::size_t listed = 0;
    for (const std::string& line : linesOf(top.out.substr(top.out.find("Subcommands:")))) {
        if (!line.starts_with("  ") || line[2] == ' ') continue;
        const std::string command = line.substr(2, line.find(' ', 2) - 2);
        EXPECT_TRUE(std::binary_search(commands.begin(), commands.end(), command)) << command;
        ++listed;
    }
    EXPECT_GE(listed, 12u);
    // Every option a command's help lists is offered after a dash.
    for (const std::vector<std::string>& command : std::vector<std::vector<std::string>>{
             {"list"}, {"render"}, {"copy"}, {"export", "kicad"}, {"import", "kicad"}}) {
        const std::vector<std::string> offered =
            complete(joined(joined({"cobble"}, command), {"-"}));
        const CobbleRun help = runCobble(joined(command, {"--help"}));
        std::size_t options = 0;
        for (const std::string& line : linesOf(help.out)) {
            if (!line.starts_with("  -")) continue;
            std::string names = line.substr(2, line.find(' ', 2) - 2);
            for (std::size_t at = 0; at != std::string::npos;) {
                const std::size_t comma = names.find(',', at);
                const std::string name =
                    names.substr(at, comma == std::string::npos ? comma : comma - at);
                EXPECT_TRUE(std::binary_search(offered.begin(), offered.end(), name))
                    << command[0] << ": " << name << " not offered";
                ++options;
                at = comma == std::string::npos ? comma : comma + 1;
            }
        }
        EXPECT_GE(options, 2u) << command[0];
    }
}

// A library given to the import, or KiCad's folder of footprint libraries, was only "malformed"
// or "holds no .kicad_mod file".
TEST(Conventions, TheImportSaysWhatAMistakenInputIsAndWhatToGiveInstead) {
    TemporaryDirectory tmp;
    writeLibrary(tmp / "A.LIB", {"ONE"});
    fs::create_directories(tmp / "footprints" / "Package_SO.pretty");
    fs::create_directories(tmp / "footprints" / "Resistor_SMD.pretty");
    const std::pair<std::string, std::string> cases[] = {
        {(tmp / "A.LIB").string(),
         "a component library, not a KiCad footprint: cobble copy takes components from it"},
        {(tmp / "footprints").string(),
         "the folder holds no .kicad_mod file; give one of its 2 .pretty folders "
         "(Package_SO.pretty, ...)"},
    };
    for (const auto& [input, message] : cases) {
        const CobbleRun run =
            runCobble({"import", "kicad", input, "--to", (tmp / "B.LIB").string()});
        EXPECT_EQ(run.status, 2) << describe(run);
        EXPECT_NE(run.err.find("cobble: " + input + ": " + message + "\n"), std::string::npos)
            << run.err;
        EXPECT_FALSE(fs::exists(tmp / "B.LIB"));
    }
}
