#include "cobble_process.h"
#include "library.h"
#include "library_file_builder.h"
#include "library_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

void writeText(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

class TextCommands : public testing::Test {
protected:
    void SetUp() override { fs::copy_file(samplesDir() / "IC.LIB", dir / "IC.LIB"); }
    std::string in(const std::string& name) const { return (dir / name).string(); }

    /// The text of IC.LIB, written to IC.txt.
    std::string dumped() {
        const CobbleRun run = runCobble({"dump", in("IC.LIB")});
        EXPECT_EQ(run.status, 0) << describe(run);
        writeText(dir / "IC.txt", run.out);
        return run.out;
    }

    TemporaryDirectory dir;
};

TEST_F(TextCommands, DumpAndDiffEndWithTheirStatus) {
    writeText(dir / "other.lib", "EESchema-LIBRARY Version 2.4\n");
    const std::string text = dumped();
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string out;  // the whole output, or its last line when it ends with "..."
        std::string err;
    };
    const std::vector<Case> cases = {
        {{"dump", in("missing.LIB")}, 2, "", "cobble: " + in("missing.LIB") + ": no such file\n"},
        {{"dump", in("other.lib")},
         1,
         "",
         "cobble: " + in("other.lib") +
             ": not a library file: bytes 3 to 15 do not read \"PCB 4 LIBRARY\"\n"},
        {{"dump", "--others-as-is", in("other.lib")}, 0, "EESchema-LIBRARY Version 2.4\n", ""},
        {{"diff", in("IC.LIB"), in("IC.txt")}, 0, "no differences (12 components)\n", ""},
        {{"diff", in("IC.txt"), in("other.lib")},
         2,
         "",
         "cobble: " + in("other.lib") + ": neither a library file nor a library text\n"},
    };
    for (const Case& c : cases) {
        const CobbleRun run = runCobble(c.arguments);
        EXPECT_EQ(run.status, c.status) << describe(run);
        EXPECT_EQ(run.out, c.out) << describe(run);
        EXPECT_EQ(run.err, c.err) << describe(run);
    }

    std::string changed = text;
    changed.replace(changed.find("(xSize 24)"), 10, "(xSize 26)");
    changed.replace(changed.find("(version 1)"), 11, "(version 1)\n  # edited");
    writeText(dir / "changed.txt", changed);
    const CobbleRun run = runCobble({"diff", in("IC.txt"), in("changed.txt")});
    EXPECT_EQ(run.status, 1) << describe(run);
    EXPECT_EQ(run.out, "SO14: pad at (0, 240): xSize 24 -> 26\n1 component differs: 1 changed\n");
}

TEST_F(TextCommands, BuildWritesNothingOnAFaultOrARefusal) {
    const std::string text = dumped();
    const auto original = readFileBytes(dir / "IC.LIB");
    writeText(dir / "bad.txt",
              "(cobblestack_library (version 1)\n  (component \"X\"\n"
              "    (via (layer 13) (x 0) (y 0) (diameter 300) (holeDiameter 1))))\n");
    // 201 components, one more than a library holds.
    std::string many = "(cobblestack_library (version 1)\n";
    for (int i = 0; i <= 200; ++i) many += "(component \"C" + std::to_string(i) + "\")\n";
    writeText(dir / "many.txt", many + ")\n");
    writeText(dir / "other.lib", "this is some other program's file");

    struct Case {
        std::vector<std::string> arguments;
        std::string target;
        std::string err;
    };
    const std::vector<Case> cases = {
        {{"build", in("bad.txt"), "--to", in("NEW.LIB")},
         "NEW.LIB",
         "cobble: " + in("bad.txt") + ": line 3, column 43: (diameter) is 300, outside 0 to 255\n"},
        {{"build", in("many.txt"), "--to", in("NEW.LIB")},
         "NEW.LIB",
         "cobble: " + in("NEW.LIB") + ": cannot add \"C200\" (" + in("many.txt") +
             ", line 202): the library already holds 200 components, as many as a library "
             "file can\n"},
        {{"build", in("IC.txt"), "--to", in("IC.LIB")},
         "IC.LIB",
         "cobble: " + in("IC.LIB") + ": cannot add \"DIP14\" (" + in("IC.txt") +
             ", line 2): the library already holds a component of that name\n"},
        {{"build", in("IC.txt"), "--replace", "--to", in("other.lib")},
         "other.lib",
         "cobble: " + in("other.lib") +
             ": not a library file: bytes 3 to 15 do not read \"PCB 4 LIBRARY\"\n"},
    };
    for (const Case& c : cases) {
        const bool existed = fs::exists(dir / c.target);
        const auto before = existed ? readFileBytes(dir / c.target) : std::vector<std::uint8_t>{};
        const CobbleRun run = runCobble(c.arguments);
        EXPECT_EQ(run.status, 1) << describe(run);
        EXPECT_EQ(run.err, c.err) << describe(run);
        EXPECT_EQ(fs::exists(dir / c.target), existed) << c.target;
        if (existed) {
            EXPECT_EQ(readFileBytes(dir / c.target), before) << c.target;
        }
    }

    // With --replace the library holds the text's components alone, and reads back as the text.
    const CobbleRun replaced =
        runCobble({"build", in("IC.txt"), "--replace", "--to", in("IC.LIB")});
    ASSERT_EQ(replaced.status, 0) << describe(replaced);
    EXPECT_EQ(replaced.out,
              in("IC.LIB") + ": added 12 components from " + in("IC.txt") + ", now 12\n");
    EXPECT_NE(readFileBytes(dir / "IC.LIB"), original);
    EXPECT_EQ(runCobble({"dump", in("IC.LIB")}).out, text);
}

/// Runs git in `folder`, its standard output returned; the test fails when git does.
std::string git(const fs::path& folder, const std::string& arguments) {
    const std::string command = "cd '" + folder.string() + "' && git " + arguments + " 2>&1";
    std::string out;
    if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
            out.append(buffer, n);
        EXPECT_EQ(::pclose(pipe), 0) << command << "\n" << out;
    }
    return out;
}

// What a user sees in git after the window's Update Library: the deleted component's lines and
// nothing else, although the save wrote every other component and record in another order.
TEST(TextCommandsInGit, ShowOnlyTheDeletedComponentsLines) {
    if (std::system("git --version > /dev/null 2>&1") != 0) GTEST_SKIP() << "git is not installed";
    TemporaryDirectory repository;
    const fs::path& folder = repository.path();
    fs::copy_file(samplesDir() / "IC.LIB", folder / "IC.LIB");
    writeText(folder / ".gitattributes", "*.LIB diff=cobble\n*.lib diff=cobble\n");
    git(folder, "init -q");
    git(folder, "config user.name Test && git config user.email test@example.org");
    git(folder, std::string("config diff.cobble.textconv '") + COBBLE_PATH + " dump'");
    git(folder, "add . && git commit -q -m libraries");
    const std::string before = runCobble({"dump", (folder / "IC.LIB").string()}).out;

    LibrarySession session(LibrarySession::WritePolicy::onlyOverLibraryFile);
    PlainNameList names;
    ASSERT_TRUE(session.open((folder / "IC.LIB").string(), names));
    ASSERT_TRUE(session.remove(session.library()->findByName("SO8")));
    ASSERT_TRUE(session.save()) << "save";
    git(folder, "commit -q -a -m 'remove SO8'");

    std::vector<std::string> removed;
    for (const std::string& line : linesOf(git(folder, "diff HEAD~1"))) {
        if (line.starts_with("+") && !line.starts_with("+++")) ADD_FAILURE() << "added: " << line;
        if (line.starts_with("-") && !line.starts_with("---")) removed.push_back(line.substr(1));
    }
    const std::vector<std::string> all = linesOf(before);
    const auto first = std::find(all.begin(), all.end(), "  (component \"SO8\"");
    ASSERT_NE(first, all.end());
    const auto last = std::find(first, all.end(), "  )");
    std::vector<std::string> block(first, last + 1);
    std::sort(block.begin(), block.end());
    std::sort(removed.begin(), removed.end());
    EXPECT_EQ(removed, block);
}

}  // namespace
