// `cobble export kicad` killed at varied moments while it replaces existing footprint files.

#include "cobble_process.h"
#include "library_file_builder.h"
#include "save_file_names.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Tree = std::map<std::string, std::vector<std::uint8_t>>;

/// Every regular file under `root` that is not a save's temporary, by relative path, with its
/// bytes; the temporaries' paths go to `temporaries`.
Tree filesUnder(const fs::path& root, std::vector<fs::path>* temporaries = nullptr) {
    Tree files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file()) continue;
        if (isSaveTemporaryName(entry.path().filename().string())) {
            if (temporaries) temporaries->push_back(entry.path());
            continue;
        }
        files[fs::relative(entry.path(), root).string()] = readFileBytes(entry.path());
    }
    return files;
}

}  // namespace

// Whenever the export dies, each footprint file holds its old bytes or its new ones, never a
// mix or a torn file; what the killed runs left beside them is only temporaries, and the next
// export removes those once they are old enough to be known abandoned.
TEST(KilledExport, EveryTargetIsOldOrNewAndTheNextRunCleansUp) {
    TemporaryDirectory tmp;
    std::vector<std::string> libraries;
    for (const char* library : {"FIRST", "SECOND"}) {
        std::vector<std::string> names;
        for (int i = 0; i < 30; ++i) names.push_back(std::string(library, 1) + std::to_string(i));
        writeLibrary(tmp / (std::string(library) + ".LIB"), names);
        libraries.push_back((tmp / (std::string(library) + ".LIB")).string());
    }
    // The two exports write different bytes to every file: the drill and the courtyard differ.
    const std::vector<std::string> oldOptions{"--drill-ratio", "0.3", "--no-courtyard"};
    const auto exportInto = [&](const fs::path& out, const std::vector<std::string>& extra) {
        std::vector<std::string> arguments{"export", "kicad"};
        arguments.insert(arguments.end(), libraries.begin(), libraries.end());
        arguments.insert(arguments.end(), {"--out", out.string()});
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        return arguments;
    };
    const fs::path out = tmp / "out";
    const CobbleRun oldRun = runCobble(exportInto(tmp / "old", oldOptions));
    ASSERT_EQ(oldRun.status, 0) << describe(oldRun);
    const auto start = std::chrono::steady_clock::now();
    const CobbleRun newRun = runCobble(exportInto(out, {}));
    const auto whole = std::chrono::steady_clock::now() - start;
    ASSERT_EQ(newRun.status, 0) << describe(newRun);
    const Tree old = filesUnder(tmp / "old");
    const Tree fresh = filesUnder(out);
    ASSERT_EQ(old.size(), 60u);
    for (const auto& [name, bytes] : old) ASSERT_NE(bytes, fresh.at(name)) << name;

    // Each run writes the other export's bytes over whatever the run before left, and is killed
    // at a moment from its start to just past the time a whole run takes.
    constexpr int kKills = 10;
    std::size_t mixed = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        const pid_t child = startCobbleQuietly(
            exportInto(out, kill % 2 == 0 ? oldOptions : std::vector<std::string>{}));
        ASSERT_GT(child, 0);
        std::this_thread::sleep_for(whole * (kill + 1) / (kKills - 1));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);

        const Tree after = filesUnder(out);
        ASSERT_EQ(after.size(), old.size()) << "after kill " << kill;
        std::size_t asOld = 0;
        for (const auto& [name, bytes] : after) {
            if (bytes == old.at(name)) {
                ++asOld;
            } else {
                ASSERT_EQ(bytes, fresh.at(name)) << name << " is torn after kill " << kill;
            }
        }
        if (asOld != 0 && asOld != after.size()) ++mixed;
    }

    std::vector<fs::path> temporaries;
    filesUnder(out, &temporaries);
    // Made to look abandoned long ago: the next run must then remove every one of them.
    const std::time_t longAgo = std::time(nullptr) - 2 * 3600;
    for (const fs::path& temporary : temporaries) {
        const struct timespec times[2] = {{longAgo, 0}, {longAgo, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, temporary.c_str(), times, 0), 0);
    }
    const CobbleRun next = runCobble(exportInto(out, {}));
    ASSERT_EQ(next.status, 0) << describe(next);
    std::vector<fs::path> left;
    EXPECT_EQ(filesUnder(out, &left), fresh);
    EXPECT_TRUE(left.empty()) << left.size() << " left, such as " << left.front();
    // Kills between one library's folder and the next leave some files of each export; none
    // at all would mean the kills missed the writing.
    EXPECT_GT(mixed + temporaries.size(), 0u);
}
