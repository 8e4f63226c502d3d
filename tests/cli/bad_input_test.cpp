#include "cobble_process.h"
#include "library_file_builder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct BadCase {
    const char* label;
    std::vector<std::string> arguments;  // "@" + name stands for that file in the folder
    int status;
    /// What the error line says after "cobble: <file>: "; for usage errors, the file is empty.
    const char* file;
    const char* what;
};

void PrintTo(const BadCase& c, std::ostream* os) { *os << c.label; }

std::string caseLabel(const testing::TestParamInfo<BadCase>& row) { return row.param.label; }

/// Every file of the folder with its bytes, to show that nothing was written or left behind.
std::map<std::string, std::vector<std::uint8_t>> snapshot(const fs::path& folder) {
    std::map<std::string, std::vector<std::uint8_t>> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        std::error_code unreadable;  // a loop of links has no type to ask about
        if (entry.is_regular_file(unreadable)) {
            files[entry.path().string()] = readFileBytes(entry.path());
        } else {
            files[entry.path().string()] = {};
        }
    }
    return files;
}

class BadInput : public testing::TestWithParam<BadCase> {
protected:
    void SetUp() override {
        fs::copy_file(samplesDir() / "IC.LIB", dir / "GOOD.LIB");
        const std::string text = "Bill of materials, not a library at all.\n";
        writeFileBytes(dir / "TEXT.LIB", std::vector<std::uint8_t>(text.begin(), text.end()));
        writeFileBytes(dir / "SHORT.LIB", std::vector<std::uint8_t>{0, 0, 13, 'P', 'C', 'B'});
        fs::create_directory(dir / "FOLDER.LIB");
        ASSERT_EQ(::mkfifo((dir / "PIPE.LIB").c_str(), 0644), 0);
        fs::create_symlink("LOOP.LIB", dir / "LOOP.LIB");
    }

    std::vector<std::string> arguments() const {
        std::vector<std::string> result;
        for (const std::string& argument : GetParam().arguments) {
            result.push_back(argument.starts_with("@") ? (dir / argument.substr(1)).string()
                                                       : argument);
        }
        return result;
    }

    TemporaryDirectory dir;
};

TEST_P(BadInput, GivesOneLineAndTheStatusAndWritesNothing) {
    const auto before = snapshot(dir.path());
    const CobbleRun run = runCobble(arguments());
    EXPECT_EQ(run.status, GetParam().status) << describe(run);
    EXPECT_EQ(run.out, "") << describe(run);
    const std::string file = GetParam().file;
    const std::string prefix =
        file.empty() ? "cobble: " : "cobble: " + (dir / file.substr(1)).string() + ": ";
    std::string what = GetParam().what;
    for (std::size_t at = what.find("\"@"); at != std::string::npos; at = what.find("\"@")) {
        what.replace(at, 2, "\"" + dir.path().string() + "/");
    }
    EXPECT_EQ(run.err, prefix + what + "\n");
    EXPECT_EQ(snapshot(dir.path()), before);
}

const char* const kNotLibrary = "not a library file: bytes 3 to 15 do not read \"PCB 4 LIBRARY\"";
const char* const kShort = "not a library file: shorter than the 16-byte header";

INSTANTIATE_TEST_SUITE_P(
    Show, BadInput,
    testing::Values(
        BadCase{"missing", {"show", "@NOPE.LIB"}, 2, "@NOPE.LIB", "no such file"},
        BadCase{
            "folder", {"show", "@FOLDER.LIB"}, 2, "@FOLDER.LIB", "is a folder, not a library file"},
        BadCase{"fifo", {"show", "@PIPE.LIB"}, 2, "@PIPE.LIB", "not a regular file"},
        BadCase{"text", {"show", "--json", "@TEXT.LIB"}, 1, "@TEXT.LIB", kNotLibrary},
        BadCase{"short", {"show", "@SHORT.LIB"}, 1, "@SHORT.LIB", kShort},
        BadCase{"name",
                {"show", "@GOOD.LIB", "QFP44"},
                1,
                "@GOOD.LIB",
                "no component named \"QFP44\""}),
    caseLabel);

INSTANTIATE_TEST_SUITE_P(
    List, BadInput,
    testing::Values(BadCase{"missing", {"list", "@NOPE"}, 2, "@NOPE", "no such folder"},
                    BadCase{"file", {"list", "@GOOD.LIB"}, 2, "@GOOD.LIB", "not a folder"}),
    caseLabel);

INSTANTIATE_TEST_SUITE_P(
    Check, BadInput,
    testing::Values(BadCase{"missing", {"check", "@NOPE.LIB"}, 2, "@NOPE.LIB", "no such file"},
                    BadCase{"folder",
                            {"check", "@FOLDER.LIB"},
                            2,
                            "@FOLDER.LIB",
                            "is a folder, not a library file"},
                    BadCase{"fifo", {"check", "@PIPE.LIB"}, 2, "@PIPE.LIB", "not a regular file"}),
    caseLabel);

INSTANTIATE_TEST_SUITE_P(
    CopyDelete, BadInput,
    testing::Values(
        BadCase{"sourceMissing",
                {"copy", "@NOPE.LIB", "DIP8", "--to", "@NEW.LIB"},
                2,
                "@NOPE.LIB",
                "no such file"},
        BadCase{"sourceName",
                {"copy", "@GOOD.LIB", "DIP8", "DIP9", "--to", "@NEW.LIB"},
                1,
                "@GOOD.LIB",
                "no component named \"DIP9\"; did you mean \"DIP8\"?"},
        BadCase{"destinationText",
                {"copy", "@GOOD.LIB", "DIP8", "--to", "@TEXT.LIB"},
                1,
                "@TEXT.LIB",
                kNotLibrary},
        BadCase{"destinationShort",
                {"copy", "@GOOD.LIB", "DIP8", "--to", "@SHORT.LIB"},
                1,
                "@SHORT.LIB",
                kShort},
        BadCase{"destinationFolder",
                {"copy", "@GOOD.LIB", "DIP8", "--to", "@FOLDER.LIB"},
                1,
                "@FOLDER.LIB",
                "is a folder, not a library file"},
        // What is in the way and no file at all is a destination that cannot be written.
        BadCase{"destinationFifo",
                {"copy", "@GOOD.LIB", "DIP8", "--to", "@PIPE.LIB"},
                1,
                "@PIPE.LIB",
                "not a regular file"},
        BadCase{"destinationLoop",
                {"copy", "@GOOD.LIB", "DIP8", "--to", "@LOOP.LIB"},
                1,
                "@LOOP.LIB",
                "too many levels of symbolic links"},
        BadCase{
            "deleteFifo", {"delete", "@PIPE.LIB", "DIP8"}, 1, "@PIPE.LIB", "not a regular file"},
        BadCase{"deleteLoop",
                {"delete", "@LOOP.LIB", "DIP8"},
                1,
                "@LOOP.LIB",
                "too many levels of symbolic links"},
        BadCase{"destinationUnderAFile",
                {"copy", "@GOOD.LIB", "DIP8", "--to", "@GOOD.LIB/X.LIB"},
                1,
                "@GOOD.LIB/X.LIB",
                "not a directory"},
        BadCase{"destinationUnwritable",
                {"copy", "@GOOD.LIB", "DIP8", "--to", "@GONE/NEW.LIB"},
                1,
                "@GONE/NEW.LIB",
                "cannot create a file in \"@GONE\": No such file or directory"},
        BadCase{"deleteMissing", {"delete", "@NOPE.LIB", "DIP8"}, 2, "@NOPE.LIB", "no such file"},
        BadCase{"deleteText", {"delete", "@TEXT.LIB", "DIP8"}, 1, "@TEXT.LIB", kNotLibrary},
        BadCase{"deleteName",
                {"delete", "@GOOD.LIB", "DIP8", "QFP44"},
                1,
                "@GOOD.LIB",
                "no component named \"QFP44\""},
        BadCase{"deleteNoName",
                {"delete", "@GOOD.LIB"},
                2,
                "",
                "NAME is required (see cobble delete --help)"}),
    caseLabel);

INSTANTIATE_TEST_SUITE_P(
    Usage, BadInput,
    testing::Values(BadCase{"noCommand", {}, 2, "", "A subcommand is required (see cobble --help)"},
                    BadCase{"unknownCommand",
                            {"frobnicate"},
                            2,
                            "",
                            "unknown command \"frobnicate\" (see cobble --help)"},
                    BadCase{
                        "noLibrary", {"show"}, 2, "", "LIB is required (see cobble show --help)"},
                    BadCase{"unknownOption",
                            {"show", "--bogus", "@GOOD.LIB"},
                            2,
                            "",
                            "unknown option --bogus (see cobble show --help)"}),
    caseLabel);

TEST(BadInputAsUser, AFileWithoutReadPermissionIsReported) {
    if (::geteuid() == 0) GTEST_SKIP() << "the superuser reads every file";
    TemporaryDirectory dir;
    fs::copy_file(samplesDir() / "IC.LIB", dir / "LOCKED.LIB");
    fs::permissions(dir / "LOCKED.LIB", fs::perms::none);
    const CobbleRun run = runCobble({"show", (dir / "LOCKED.LIB").string()});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err,
              "cobble: " + (dir / "LOCKED.LIB").string() + ": cannot be read: permission denied\n");
}

}  // namespace

// A FIFO or a loop of links where a command writes is a target that cannot be written, refused
// with status 1 by every command that writes (recover said there was nothing to recover and
// succeeded), and nothing is written.
TEST(BadInputInTheWay, EveryWriterRefusesAFifoOrALoopOfLinksWithOneStatus) {
    for (const char* kind : {"fifo", "loop"}) {
        TemporaryDirectory dir;
        const fs::path good = dir / "GOOD.LIB";
        fs::copy_file(samplesDir() / "IC.LIB", good);
        const std::string text = (dir / "GOOD.txt").string();
        const CobbleRun dumped = runCobble({"dump", good.string()});
        ASSERT_EQ(dumped.status, 0);
        writeFileBytes(text, std::vector<std::uint8_t>(dumped.out.begin(), dumped.out.end()));
        const std::string footprint = (dir / "NEW.kicad_mod").string();
        const std::string kicad =
            "(footprint \"NEW\" (version 20211014) (generator pcbnew) (layer \"F.Cu\")\n"
            "  (pad \"1\" smd rect (at 0 0) (size 1 1) (layers \"F.Cu\")))\n";
        writeFileBytes(footprint, std::vector<std::uint8_t>(kicad.begin(), kicad.end()));
        const auto inTheWay = [&](const fs::path& path) {
            fs::create_directories(path.parent_path());
            if (std::string(kind) == "fifo") {
                ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
            } else {
                fs::create_symlink(path.filename(), path);
            }
        };
        const std::string target = (dir / "IN.LIB").string();
        const std::vector<fs::path> inTheWayPaths{
            target, dir / "pretty" / "GOOD.pretty" / "DIP8.kicad_mod",
            dir / "pictures" / "DIP8.png", dir / "thumbnail.png"};
        for (const fs::path& path : inTheWayPaths) inTheWay(path);
        const auto before = snapshot(dir.path());
        for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
                 {"copy", good.string(), "DIP8", "--to", target},
                 {"delete", target, "DIP8"},
                 {"build", text, "--to", target},
                 {"import", "kicad", footprint, "--to", target},
                 {"recover", target},
                 {"recover", "--restore", target},
                 {"export", "kicad", good.string(), "--out", (dir / "pretty").string()},
                 {"render", good.string(), "DIP8", "--format", "png", "--out",
                  (dir / "pictures").string()},
                 {"thumbnail", good.string(), (dir / "thumbnail.png").string()}}) {
            const CobbleRun run = runCobble(arguments);
            EXPECT_EQ(run.status, 1) << kind << " " << arguments[0] << describe(run);
        }
        // An export writes the components it can; none is written over what is in the way.
        auto after = snapshot(dir.path());
        std::erase_if(after, [&](const auto& entry) {
            return entry.first.find("/pretty/") != std::string::npos &&
                   !before.contains(entry.first);
        });
        EXPECT_EQ(after, before) << kind;
        for (const fs::path& path : inTheWayPaths) {
            EXPECT_EQ(fs::symlink_status(path).type(),
                      std::string(kind) == "fifo" ? fs::file_type::fifo : fs::file_type::symlink)
                << path;
        }
    }
}
