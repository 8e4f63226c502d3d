#include "cobble_process.h"
#include "library_file_builder.h"

#include <QImage>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

/// The words of the thumbnailer entry's Exec line with a file manager's substitutions: %s the
/// size, %i the input's path, %o the output's path, %u the input's URI, each one word whatever
/// it holds (file managers quote them). The program, found on the PATH by a file manager, is the
/// one built beside the tests.
std::vector<std::string> execLine(int size, const fs::path& input, const fs::path& output) {
    std::ifstream entry(THUMBNAILER_FILE);
    std::string line;
    while (std::getline(entry, line) && line.rfind("Exec=", 0) != 0) {
    }
    EXPECT_EQ(line.rfind("Exec=", 0), 0u) << "no Exec line in " << THUMBNAILER_FILE;
    std::istringstream words(line.substr(5));
    std::vector<std::string> argv;
    for (std::string word; words >> word;) {
        if (argv.empty()) {
            EXPECT_EQ(word, "cobble");
            word = COBBLE_PATH;
        } else if (word == "%s") {
            word = std::to_string(size);
        } else if (word == "%i") {
            word = input.string();
        } else if (word == "%o") {
            word = output.string();
        } else if (word == "%u") {
            word = "file://" + input.string();
        }
        argv.push_back(word);
    }
    return argv;
}

/// Runs `argv` with at most 20 seconds before it is killed; its exit status, 137 when killed,
/// -1 when it did not exit normally.
int runWithTimeLimit(std::vector<std::string> argv) {
    argv.insert(argv.begin(), {"timeout", "-s", "KILL", "20"});
    const pid_t child = ::fork();
    if (child == 0) {
        const int quiet = ::open("/dev/null", O_RDWR);
        ::dup2(quiet, STDIN_FILENO);
        ::dup2(quiet, STDOUT_FILENO);
        std::vector<char*> pointers;
        for (std::string& word : argv) pointers.push_back(word.data());
        pointers.push_back(nullptr);
        ::execvp("timeout", pointers.data());
        ::_exit(127);
    }
    int raw = 0;
    if (child < 0 || ::waitpid(child, &raw, 0) != child) return -1;
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

/// A thumbnail as a file manager would take it: a square PNG with a transparent corner and
/// something opaque drawn.
testing::AssertionResult isThumbnail(const fs::path& path, int size) {
    QImage image;
    if (!image.load(QString::fromStdString(path.string()), "PNG")) {
        return testing::AssertionFailure() << path << " is no PNG";
    }
    if (image.size() != QSize(size, size) || !image.hasAlphaChannel()) {
        return testing::AssertionFailure()
               << path << " is " << image.width() << "x" << image.height() << " alpha "
               << image.hasAlphaChannel();
    }
    int opaque = 0;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) opaque += qAlpha(image.pixel(x, y)) == 255;
    }
    if (qAlpha(image.pixel(0, 0)) != 0 || opaque < size) {
        return testing::AssertionFailure() << path << " corner alpha " << qAlpha(image.pixel(0, 0))
                                           << ", " << opaque << " opaque pixels";
    }
    return testing::AssertionSuccess();
}

TEST(Thumbnailer, TheEntrysExecLineDrawsEveryLibraryAtBothSizes) {
    const TemporaryDirectory folder;
    for (const fs::path& library : libraryFilesAtHand()) {
        // A name with a space and bytes that are not UTF-8, as users' folders hold.
        const fs::path input = folder / ("my libs \xE9" + library.filename().string());
        fs::copy_file(library, input, fs::copy_options::overwrite_existing);
        for (const int size : {128, 256}) {
            SCOPED_TRACE(library.filename().string() + " at " + std::to_string(size));
            const fs::path output = folder / ("thumb-" + std::to_string(size) + ".png");
            EXPECT_EQ(runWithTimeLimit(execLine(size, input, output)), 0);
            EXPECT_TRUE(isThumbnail(output, size));
            fs::remove(output);
        }
    }
}

TEST(Thumbnailer, ADamagedLibraryShowsWhatLoadsAndNothingElseGivesAPicture) {
    const TemporaryDirectory folder;
    std::vector<std::uint8_t> bytes = readFileBytes(samplesDir() / "IC.LIB");
    bytes.resize(bytes.size() * 3 / 5);
    writeFileBytes(folder / "cut.LIB", bytes);
    bytes.resize(40);  // the header and part of the directory: nothing to draw
    writeFileBytes(folder / "stub.LIB", bytes);
    writeFileBytes(folder / "fake.LIB", std::vector<std::uint8_t>(100, 't'));

    EXPECT_EQ(runWithTimeLimit(execLine(128, folder / "cut.LIB", folder / "cut.png")), 0);
    EXPECT_TRUE(isThumbnail(folder / "cut.png", 128));

    struct Refused {
        const char* input;
        int status;
        const char* error;
    };
    for (const Refused& c : {
             Refused{"stub.LIB", 1, "no component to draw"},
             Refused{"fake.LIB", 1, "not a library file: bytes 3 to 15 do not read"},
             Refused{"missing.LIB", 2, "no such file"},
         }) {
        SCOPED_TRACE(c.input);
        EXPECT_EQ(runWithTimeLimit(execLine(128, folder / c.input, folder / "out.png")), c.status);
        EXPECT_FALSE(fs::exists(folder / "out.png"));
        const CobbleRun run =
            runCobble({"thumbnail", (folder / c.input).string(), (folder / "out.png").string()});
        EXPECT_EQ(run.err.rfind("cobble: " + (folder / c.input).string() + ": " + c.error, 0), 0u)
            << describe(run);
    }
    EXPECT_EQ(std::vector<fs::path>(fs::directory_iterator(folder.path()), {}).size(), 4u)
        << "no temporary left behind";
}

TEST(Thumbnailer, ANamedComponentIsDrawnAlone) {
    const TemporaryDirectory folder;
    const std::string library = (samplesDir() / "IC.LIB").string();
    const fs::path one = folder / "one.png";
    CobbleRun run =
        runCobble({"thumbnail", "--size", "64", "--component", "DIP14", library, one.string()});
    EXPECT_EQ(run.status, 0) << describe(run);
    EXPECT_TRUE(isThumbnail(one, 64));

    run = runCobble({"thumbnail", "--component", "NOPE", library, (folder / "no.png").string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "cobble: " + library + ": no component named \"NOPE\"\n");
    EXPECT_FALSE(fs::exists(folder / "no.png"));
}

}  // namespace
