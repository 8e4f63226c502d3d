// The command-line tool over many files, side by side with the least work the same answer needs:
// `check` against loading the same files and against checking them one after the other, `list`
// against opening each file of the folder and reading its first 16 bytes (in-process, and as whole
// processes against a bare program that does only that), `render` against writing its pictures'
// bytes safely in one batch, and `thumbnail` against loading the library it draws. Commands run
// in-process through their library functions, with their output discarded, unless said otherwise.

#include "check_command.h"
#include "console.h"
#include "library.h"
#include "library_check.h"
#include "library_input.h"
#include "list_command.h"
#include "paired_timing.h"
#include "primitive_factory.h"
#include "render_command.h"
#include "safe_batch.h"
#include "thumbnail_command.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

/// 200 components of 12 primitives, 73,616 bytes: a full library of the usual kind.
std::vector<std::uint8_t> fullLibraryImage() {
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
    std::vector<std::uint8_t> image;
    library.buildImage(image);
    return image;
}

void writeBytes(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

struct Folders {
    Folders() {
        root = fs::temp_directory_path() / ("cobble-bench-" + std::to_string(::getpid()));
        fs::create_directories(root / "copies");
        fs::create_directories(root / "many");
        const auto image = fullLibraryImage();
        for (int i = 0; i < 1000; ++i) {
            const fs::path path = root / "copies" / ("LIB" + std::to_string(i) + ".LIB");
            writeBytes(path, image);
            copies.push_back(path.string());
        }
        // Half of the 10,000 files carry the signature, as in a folder of mixed downloads.
        const std::vector<std::uint8_t> header(image.begin(), image.begin() + 64);
        std::vector<std::uint8_t> other(64, 'x');
        for (int i = 0; i < 10000; ++i) {
            writeBytes(root / "many" / ("F" + std::to_string(i) + ".LIB"), i % 2 ? header : other);
        }
        full = (root / "FULL.LIB").string();
        writeBytes(full, image);
        for (const char* name : {"CONNECT.LIB", "DISCRETE.LIB", "IC.LIB", "PASSIVE.LIB"}) {
            realFiles.push_back((fs::path(SAMPLES_DIR) / name).string());
        }
        for (const char* name : {"KC_CONN.LIB", "KC_DIP.LIB", "KC_SOT.LIB"}) {
            const fs::path path = fs::path(SHARED_LIBRARIES_DIR) / name;
            if (fs::exists(path)) realFiles.push_back(path.string());
        }
    }
    ~Folders() { fs::remove_all(root); }

    fs::path root;
    std::string full;
    std::vector<std::string> copies;
    std::vector<std::string> realFiles;
};

Folders& folders() {
    static Folders instance;
    return instance;
}

/// A console whose output goes nowhere: the streams have no buffer, so writes are dropped.
struct NullConsole {
    std::ostream out{nullptr};
    std::ostream err{nullptr};
    Console console{out, err, false};
};

void loadAll(benchmark::State& state, const std::vector<std::string>& files) {
    for (auto _ : state) {
        for (const std::string& file : files) {
            Library library;
            benchmark::DoNotOptimize(library.load(file));
        }
    }
    state.counters["files"] = static_cast<double>(files.size());
}

void checkAll(benchmark::State& state, const std::vector<std::string>& files) {
    NullConsole sink;
    const CheckOptions options{files, false};
    for (auto _ : state) benchmark::DoNotOptimize(runCheck(options, sink.console));
    state.counters["files"] = static_cast<double>(files.size());
}

void loadRealLibraries(benchmark::State& state) { loadAll(state, folders().realFiles); }
void checkRealLibraries(benchmark::State& state) { checkAll(state, folders().realFiles); }
void loadThousandCopies(benchmark::State& state) { loadAll(state, folders().copies); }
void checkThousandCopies(benchmark::State& state) { checkAll(state, folders().copies); }

// The parallel check of 1,000 files against the same check of each file one after the other on
// one thread, and against loading them alone.
void checkAgainstFloors(benchmark::State& state) {
    NullConsole sink;
    const std::vector<std::string>& files = folders().copies;
    const CheckOptions options{files, false};
    timeAgainstFloors(
        state, [&] { benchmark::DoNotOptimize(runCheck(options, sink.console)); },
        {{"vs_serial_check",
          [&] {
              for (const std::string& file : files) {
                  const FileRead read = readWholeFile(file);
                  benchmark::DoNotOptimize(checkLibraryImage(read.bytes).findings.size());
              }
          }},
         {"vs_load", [&] {
              for (const std::string& file : files) {
                  Library library;
                  benchmark::DoNotOptimize(library.load(file));
              }
          }}});
    state.counters["files"] = static_cast<double>(files.size());
}

// The least any listing must do: walk the folder, open each entry, read 16 bytes, close it.
void openReadCloseLoop(benchmark::State& state) {
    const std::string folder = (folders().root / "many").string();
    for (auto _ : state) {
        int found = 0;
        DIR* dir = ::opendir(folder.c_str());
        while (const dirent* entry = ::readdir(dir)) {
            if (entry->d_name[0] == '.') continue;
            const std::string path = folder + "/" + entry->d_name;
            const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
            if (fd < 0) continue;
            char header[16];
            if (::read(fd, header, sizeof header) == 16 && header[3] == 'P') ++found;
            ::close(fd);
        }
        ::closedir(dir);
        benchmark::DoNotOptimize(found);
    }
}

void listTenThousand(benchmark::State& state) {
    NullConsole sink;
    const ListOptions options{{(folders().root / "many").string()}, false, false};
    for (auto _ : state) benchmark::DoNotOptimize(runList(options, sink.console));
}

/// The thread's processor time, so that other work on a shared machine does not enter a ratio.
double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

/// A thumbnail of each file at `side` pixels (read, drawn, encoded, written), with a load of the
/// same file timed beside it in every iteration: the time shown is the thumbnails', "ratio" is
/// their time over the loads'.
void thumbnailBesideLoad(benchmark::State& state, const std::vector<std::string>& files) {
    NullConsole sink;
    ThumbnailOptions options;
    options.size = static_cast<int>(state.range(0));
    options.output = (folders().root / "thumbnail.png").string();
    double loading = 0;
    double drawing = 0;
    for (auto _ : state) {
        double loaded = 0;
        double drawn = 0;
        for (const std::string& file : files) {
            const double before = threadSeconds();
            {
                Library library;
                benchmark::DoNotOptimize(library.load(file));
            }
            const double middle = threadSeconds();
            options.library = file;
            benchmark::DoNotOptimize(runThumbnail(options, sink.console));
            const double after = threadSeconds();
            loaded += middle - before;
            drawn += after - middle;
        }
        loading += loaded;
        drawing += drawn;
        state.SetIterationTime(drawn);
    }
    state.counters["ratio"] = drawing / loading;
    state.counters["files"] = static_cast<double>(files.size());
}

void thumbnailRealLibraries(benchmark::State& state) {
    thumbnailBesideLoad(state, folders().realFiles);
}
void thumbnailFullLibrary(benchmark::State& state) { thumbnailBesideLoad(state, {folders().full}); }

// What a file manager waits for per file: the whole `cobble thumbnail` process, Qt's start
// included, on a full library.
void thumbnailProcess(benchmark::State& state) {
    const std::string size = std::to_string(state.range(0));
    const std::string output = (folders().root / "process.png").string();
    std::vector<std::string> words = {COBBLE_PATH, "thumbnail",    "--size",
                                      size,        folders().full, output};
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    for (auto _ : state) {
        pid_t child = 0;
        if (::posix_spawn(&child, COBBLE_PATH, nullptr, nullptr, argv.data(), environ) != 0) {
            state.SkipWithError("cannot start cobble");
            return;
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        if (status != 0) state.SkipWithError("cobble thumbnail failed");
    }
}

/// Runs `words` as a process with its output going nowhere, and waits for it.
bool runProcess(std::vector<std::string> words) {
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int started = ::posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0) return false;
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// `cobble list` of 10,000 files as a whole process, start and end included, against the bare
// program that opens each file and reads 16 bytes.
void listProcessAgainstBareLoop(benchmark::State& state) {
    const std::string folder = (folders().root / "many").string();
    timeAgainstFloors(state,
                      [&] {
                          runProcess({COBBLE_PATH, "list", folder});
                      },
                      {{"vs_bare_loop", [&] {
                            runProcess({BARE_LIST_PATH, folder});
                        }}});
}

// `cobble render --format png` of a whole library, against writing the same picture files
// safely in one batch; "ms_per_component" is the render's time for each picture.
void renderAgainstBatchedSafeWrite(benchmark::State& state) {
    const fs::path library = fs::path(SHARED_LIBRARIES_DIR) / "KC_DIP.LIB";
    if (!fs::exists(library)) {
        state.SkipWithError("the shared libraries are not there");
        return;
    }
    NullConsole sink;
    RenderOptions options;
    options.library = library.string();
    options.outDirectory = (folders().root / "pictures").string();
    runRender(options, sink.console);
    const std::vector<BatchFile> files = filesUnder(options.outDirectory);
    timeAgainstFloors(state, [&] { benchmark::DoNotOptimize(runRender(options, sink.console)); },
                      {{"vs_batched_safe_write", [&] { writeSafelyInOneBatch(files); }}});
    state.counters["components"] = static_cast<double>(files.size());
    // The wall time of the product's iterations over the pictures made in them.
    state.counters["ms_per_component"] = benchmark::Counter(
        static_cast<double>(files.size()) * 1e-3,
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

}  // namespace

BENCHMARK(loadRealLibraries)->Unit(benchmark::kMicrosecond);
BENCHMARK(checkRealLibraries)->Unit(benchmark::kMicrosecond);
BENCHMARK(loadThousandCopies)->Unit(benchmark::kMillisecond);
BENCHMARK(checkThousandCopies)->Unit(benchmark::kMillisecond);
BENCHMARK(openReadCloseLoop)->Unit(benchmark::kMillisecond);
BENCHMARK(listTenThousand)->Unit(benchmark::kMillisecond);
BENCHMARK(checkAgainstFloors)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(listProcessAgainstBareLoop)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(renderAgainstBatchedSafeWrite)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(thumbnailRealLibraries)
    ->Arg(128)
    ->Arg(256)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(thumbnailFullLibrary)->Arg(128)->Arg(256)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(thumbnailProcess)->Arg(128)->Arg(256)->UseRealTime()->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
