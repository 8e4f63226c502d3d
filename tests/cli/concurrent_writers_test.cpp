#include "cobble_process.h"
#include "library_file_builder.h"
#include "library_lock.h"
#include "save_file_names.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

/// Starts `cobble` with `arguments` without waiting for it; its output goes nowhere.
pid_t startCobble(const std::vector<std::string>& arguments) {
    const pid_t child = ::fork();
    if (child == 0) {
        const int nowhere = ::open("/dev/null", O_WRONLY);
        ::dup2(nowhere, 1);
        ::dup2(nowhere, 2);
        std::vector<char*> argv{const_cast<char*>(COBBLE_PATH)};
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        ::execv(COBBLE_PATH, argv.data());
        ::_exit(127);
    }
    return child;
}

int exitStatusOf(pid_t child) {
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<std::string> sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

// Writers started together used to work from the same old content, and the last rename won:
// two of four copies were lost while all four said they were done.
TEST(ConcurrentWriters, EveryReportedChangeIsInTheFile) {
    TemporaryDirectory dir;
    const std::string source = (samplesDir() / "IC.LIB").string();
    const std::string target = (dir / "D.LIB").string();
    const std::vector<std::string> names = namesInLibrary(samplesDir() / "IC.LIB");
    ASSERT_GE(names.size(), 3u);
    for (int round = 0; round < 8; ++round) {
        writeLibrary(target, {"OLD"});
        std::vector<pid_t> writers;
        for (std::size_t i = 0; i < 3; ++i) {
            writers.push_back(
                startCobble({"copy", source, names[i], "--to", target, "--wait", "60"}));
        }
        writers.push_back(startCobble({"delete", target, "OLD", "--wait", "60"}));
        for (const pid_t writer : writers) EXPECT_EQ(exitStatusOf(writer), 0) << "round " << round;
        EXPECT_EQ(namesInLibrary(target), sorted({names[0], names[1], names[2]}))
            << "round " << round;
    }
}

TEST(ConcurrentWriters, AWriterGivesUpAfterItsWaitAndWritesNothing) {
    TemporaryDirectory dir;
    const std::string target = (dir / "D.LIB").string();
    writeLibrary(target, {"ONE"});
    const auto before = readFileBytes(target);
    const LockResult held = LibraryLock::acquire({target}, {});
    ASSERT_TRUE(held);
    const std::string source = (samplesDir() / "IC.LIB").string();
    const std::string footprint = (dir / "NEW.kicad_mod").string();
    std::ofstream(footprint) << "(footprint \"NEW\" (version 20211014) (generator pcbnew)\n"
                                "  (layer \"F.Cu\")\n"
                                "  (pad \"1\" smd rect (at 0 0) (size 1 1) (layers \"F.Cu\")))\n";
    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {"copy", source, "DIP8", "--to", target, "--wait", "0.2"},
             {"delete", target, "ONE", "--wait", "0"},
             {"import", "kicad", "-q", footprint, "--to", target, "--split", "--wait", "0.3"}}) {
        const CobbleRun run = runCobble(arguments);
        EXPECT_EQ(run.status, 1) << describe(run);
        EXPECT_EQ(run.err, "cobble: " + target + ": another program is writing it (waited " +
                               arguments.back() + " s)\n");
        EXPECT_EQ(readFileBytes(target), before);
    }
}

TEST(Recover, ABackupOfAnInterruptedSaveIsPointedToShownAndRestoredOrDiscarded) {
    TemporaryDirectory dir;
    const std::string target = (dir / "D.LIB").string();
    const pid_t gone = ::fork();
    if (gone == 0) ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    const fs::path backup =
        dir / saveFileName("D.LIB", SaveFileKind::backup, static_cast<std::uint64_t>(gone), 0);
    auto interruptedSave = [&] {
        writeLibrary(backup, {"ONE", "TWO", "THREE"});  // as it was before the killed save
        writeLibrary(target, {"ONE"});                  // what the killed save left
    };
    interruptedSave();

    const CobbleRun writer = runCobble({"delete", "--dry-run", target, "ONE"});
    EXPECT_EQ(writer.status, 0) << describe(writer);
    EXPECT_EQ(writer.err, "cobble: " + target +
                              ": an interrupted save left a backup of it; see `cobble recover " +
                              target + "`\n");

    const CobbleRun shown = runCobble({"recover", target});
    EXPECT_EQ(shown.status, 0) << describe(shown);
    EXPECT_NE(shown.out.find(backup.string()), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("THREE"), std::string::npos) << shown.out;
    EXPECT_TRUE(fs::exists(backup)) << "only shown";

    const CobbleRun restored = runCobble({"recover", "--restore", target});
    EXPECT_EQ(restored.status, 0) << describe(restored);
    EXPECT_EQ(namesInLibrary(target), sorted({"ONE", "TWO", "THREE"}));
    EXPECT_FALSE(fs::exists(backup));

    interruptedSave();
    const CobbleRun discarded = runCobble({"recover", "--discard", target});
    EXPECT_EQ(discarded.status, 0) << describe(discarded);
    EXPECT_EQ(namesInLibrary(target), std::vector<std::string>{"ONE"});
    EXPECT_FALSE(fs::exists(backup));
    EXPECT_EQ(runCobble({"recover", target}).out,
              target + ": no interrupted save left a backup of it\n");
}
