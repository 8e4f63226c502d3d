#include "cobble_process.h"
#include "library_file_builder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

TEST(List, SamplesAndSharedLibrariesListEveryLibrarySorted) {
    const CobbleRun run = runCobble({"list", samplesDir().string()});
    ASSERT_EQ(run.status, 0) << describe(run);
    const std::string s = samplesDir().string() + "/";
    EXPECT_EQ(linesOf(run.out), (std::vector<std::string>{s + "CONNECT.LIB", s + "DISCRETE.LIB",
                                                          s + "IC.LIB", s + "PASSIVE.LIB"}));
    if (!fs::exists(sharedLibrariesDir() / "KC_CONN.LIB")) GTEST_SKIP() << "no shared libraries";
    const CobbleRun shared = runCobble({"list", "--json", sharedLibrariesDir().string()});
    ASSERT_EQ(shared.status, 0) << describe(shared);
    EXPECT_EQ(json::parse(shared.out),
              json({{"folders",
                     {{{"folder", sharedLibrariesDir().string()},
                       {"libraries", {"KC_CONN.LIB", "KC_DIP.LIB", "KC_SOT.LIB"}}}}}}));
}

class ListTree : public testing::Test {
protected:
    void SetUp() override {
        const auto library = readFileBytes(samplesDir() / "IC.LIB");
        auto header = std::vector<std::uint8_t>(library.begin(), library.begin() + 16);
        // Found by content, whatever the name; hidden files too; lower-case signatures,
        // short files and folders never.
        writeFileBytes(dir / "zeta.bin", header);
        writeFileBytes(dir / "Alpha.LIB", library);
        writeFileBytes(dir / ".hidden", header);
        auto lower = header;
        for (std::size_t i = 3; i < 16; ++i)
            lower[i] = static_cast<std::uint8_t>(std::tolower(lower[i]));
        writeFileBytes(dir / "lower.LIB", lower);
        writeFileBytes(dir / "short.LIB",
                       std::vector<std::uint8_t>(header.begin(), header.end() - 1));
        writeFileBytes(dir / "empty.LIB", {});
        fs::create_directories(dir / "sub" / "deeper");
        fs::create_directory(dir / "FOLDER.LIB");
        writeFileBytes(dir / "sub" / "B.LIB", header);
        writeFileBytes(dir / "sub" / "deeper" / "C.LIB", header);
        // A link back up the tree and a second link to the same folder: each folder once.
        fs::create_directory_symlink("..", dir / "sub" / "up");
        fs::create_directory_symlink("sub", dir / "again");
    }
    std::string in(const std::string& name) const { return (dir / name).string(); }

    TemporaryDirectory dir;
};

TEST_F(ListTree, FindsByContentOnlyAndSortsIgnoringCase) {
    const CobbleRun run = runCobble({"list", dir.path().string()});
    ASSERT_EQ(run.status, 0) << describe(run);
    EXPECT_EQ(linesOf(run.out),
              (std::vector<std::string>{in(".hidden"), in("Alpha.LIB"), in("zeta.bin")}));
    EXPECT_EQ(run.err, "");
}

TEST_F(ListTree, RecursiveVisitsEachFolderOnceThroughLinks) {
    const CobbleRun run = runCobble({"list", "-r", dir.path().string()});
    ASSERT_EQ(run.status, 0) << describe(run);
    // "again" is the first name that reaches sub, so sub is listed under it, and only once.
    EXPECT_EQ(linesOf(run.out),
              (std::vector<std::string>{in(".hidden"), in("Alpha.LIB"), in("zeta.bin"),
                                        in("again/B.LIB"), in("again/deeper/C.LIB")}));
}

TEST_F(ListTree, AMissingFolderIsReportedAndTheOthersStillListed) {
    const CobbleRun run = runCobble({"list", in("gone"), in("sub")});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, in("sub/B.LIB") + "\n");
    EXPECT_EQ(run.err, "cobble: " + in("gone") + ": no such folder\n");
}

// Progress goes to a terminal only, and is wiped before the command ends.
TEST_F(ListTree, ProgressOnATerminalOnly) {
    const CobbleRun quiet = runCobble({"list", in("sub"), in("sub/deeper")});
    EXPECT_EQ(quiet.err, "");
    const CobbleRun shown = runCobbleOnTerminal({"list", in("sub"), in("sub/deeper")});
    ASSERT_EQ(shown.status, 0) << describe(shown);
    EXPECT_NE(shown.err.find("1/2 folders"), std::string::npos) << shown.err;
    EXPECT_NE(shown.err.find("2/2 folders"), std::string::npos) << shown.err;
    EXPECT_EQ(shown.err.substr(shown.err.size() - 1), "\r");
    EXPECT_EQ(shown.out, quiet.out);
}

}  // namespace
