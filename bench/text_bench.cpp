// `cobble dump` of a library of 200 components and `cobble build` of its text, each beside a
// load and a save of the same library alone, timed in the same iteration: "ratio" is the
// command's processor time over that of the load and save. The commands run in-process through
// their library functions, with their output discarded.

#include "build_command.h"
#include "console.h"
#include "dump_command.h"
#include "library.h"
#include "primitive_factory.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

/// 200 components of 12 primitives: a full library of the usual kind.
void writeFullLibrary(const fs::path& path) {
    Library library;
    for (int c = 0; c < 200; ++c) {
        Component component(makeEntry("PART" + std::to_string(c)));
        for (int i = 0; i < 8; ++i) {
            component.addPrimitive(makePad(kMultiLayer, i * 100, c, 60, 60, 1 + i % 4));
        }
        component.addPrimitive(makeTrack(7, 0, 0, 700, 0, 10));
        component.addPrimitive(makeTrack(7, 700, 0, 700, 300, 10));
        component.addPrimitive(makeArc(7, 0, 150, 40, 3, 10));
        component.addPrimitive(makeString(7, 0, 400, 60, 8, 0, "U?"));
        library.addCopy(component);
    }
    library.save(path.string());
}

struct NullConsole {
    std::ostream out{nullptr};
    std::ostream err{nullptr};
    Console console{out, err, false};
};

struct Files {
    Files() {
        directory = fs::temp_directory_path() / ("cobble-text-bench-" + std::to_string(::getpid()));
        fs::create_directories(directory);
        libraries.push_back(directory / "FULL.LIB");
        writeFullLibrary(libraries.back());
        // The team's full library of 200 components, where it is at hand.
        const char* sharedDir = std::getenv("COBBLESTACK_SHARED_LIBRARIES");
        const fs::path shared =
            fs::path(sharedDir ? sharedDir : SHARED_LIBRARIES_DIR) / "KC_CONN.LIB";
        if (fs::exists(shared)) libraries.push_back(shared);
        for (const fs::path& library : libraries) {
            std::ostringstream text;
            std::ostringstream errors;
            const Console console{text, errors, false};
            runDump({library.string(), false}, console);
            const fs::path path = directory / (library.stem().string() + ".txt");
            std::ofstream(path) << text.str();
            texts.push_back(path);
        }
    }
    ~Files() { fs::remove_all(directory); }

    fs::path directory;
    std::vector<fs::path> libraries;
    std::vector<fs::path> texts;
};

Files& files() {
    static Files instance;
    return instance;
}

double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

/// Loads the library and saves it to another file: the least a command that reads a library and
/// writes one does.
void loadAndSave(const fs::path& library, const fs::path& target) {
    Library loaded;
    loaded.load(library.string());
    benchmark::DoNotOptimize(loaded.save(target.string()).saved);
}

/// Times `command` and a load and save of `library` in each iteration; the time shown is the
/// command's.
template <typename Command>
void againstLoadAndSave(benchmark::State& state, const fs::path& library, Command command) {
    const fs::path target = files().directory / "OUT.LIB";
    double baseline = 0;
    double measured = 0;
    for (auto _ : state) {
        const double before = threadSeconds();
        loadAndSave(library, target);
        const double between = threadSeconds();
        command();
        const double after = threadSeconds();
        baseline += between - before;
        measured += after - between;
        state.SetIterationTime(after - between);
    }
    state.counters["ratio"] = measured / baseline;
}

void dump(benchmark::State& state, std::size_t index) {
    NullConsole sink;
    const fs::path library = files().libraries[index];
    againstLoadAndSave(state, library, [&] {
        benchmark::DoNotOptimize(runDump({library.string(), false}, sink.console));
    });
}

void build(benchmark::State& state, std::size_t index) {
    NullConsole sink;
    const fs::path target = files().directory / "BUILT.LIB";
    const BuildOptions options{files().texts[index].string(), target.string(), true, false};
    againstLoadAndSave(state, files().libraries[index],
                       [&] { benchmark::DoNotOptimize(runBuild(options, sink.console)); });
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    for (std::size_t i = 0; i < files().libraries.size(); ++i) {
        const std::string name = files().libraries[i].filename().string();
        benchmark::RegisterBenchmark(("dump/" + name).c_str(), dump, i)
            ->UseManualTime()
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("build/" + name).c_str(), build, i)
            ->UseManualTime()
            ->Unit(benchmark::kMicrosecond);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
