// Loading and saving a full library (200 components, records up to the last index the format
// can address), side by side with only reading and writing the same bytes; each timed in the same
// run against a floor of its own: the load against reading the file alone and against reading it
// with a minimal decode into plain structs, the save in a folder of 1,000 files against an
// equally safe write of the same bytes (a new file, written, flushed, renamed over the target,
// the folder flushed). And checking library images beside loading the same images, since a check
// must cost little more than the load.

#include "library.h"
#include "library_check.h"
#include "paired_timing.h"
#include "primitive_factory.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

// 200 components of 162 records each: the last starts at record 401 + 199 x 162 = 32,639.
std::unique_ptr<Library> fullLibrary() {
    auto library = std::make_unique<Library>();
    PlainNameList names;
    for (int c = 0; c < 200; ++c) {
        Component component(makeEntry("PART" + std::to_string(c)));
        for (int i = 0; i < 40; ++i)
            component.addPrimitive(makePad(kMultiLayer, i * 100, c, 60, 60, 1 + i % 4));
        for (int i = 0; i < 60; ++i) component.addPrimitive(makeTrack(7, i, 0, i * 10, 500, 10));
        for (int i = 0; i < 5; ++i)
            component.addPrimitive(makeString(7, 0, i * 80, 60, 8, 0, "U?"));
        for (int i = 0; i < 4; ++i) {
            component.addPrimitive(makeArc(7, i * 50, 0, 40, 15, 10));
            component.addPrimitive(makeVia(kMultiLayer, i * 50, 100, 40, 20));
            component.addPrimitive(makeFill(1, i, i, i + 100, i + 100));
        }
        library->addCopy(component, names);
    }
    return library;
}

struct Files {
    Files() {
        directory = fs::temp_directory_path() / ("cobblestack-bench-" + std::to_string(getpid()));
        fs::create_directories(directory);
        source = directory / "FULL.LIB";
        target = directory / "OUT.LIB";
        const SaveResult saved = fullLibrary()->save(source.string());
        if (!saved) std::fprintf(stderr, "%s\n", saved.reason.c_str());
        bytes = *readFilePrefix(source.string(), kMaxUsefulFileSize);
        // A folder of 1,000 libraries, in which saves replace one of them.
        crowded = directory / "crowded";
        fs::create_directories(crowded);
        for (int i = 0; i < 1000; ++i) {
            fs::copy_file(source, crowded / ("LIB" + std::to_string(i) + ".LIB"));
        }
    }
    ~Files() { fs::remove_all(directory); }
    fs::path directory, source, target, crowded;
    std::vector<std::uint8_t> bytes;
};

Files& files() {
    static Files instance;
    return instance;
}

void rawRead(benchmark::State& state) {
    for (auto _ : state) {
        std::FILE* file = std::fopen(files().source.c_str(), "rb");
        std::vector<std::uint8_t> data(files().bytes.size());
        const std::size_t n = std::fread(data.data(), 1, data.size(), file);
        std::fclose(file);
        benchmark::DoNotOptimize(n);
        benchmark::DoNotOptimize(data.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * files().bytes.size()));
}

void load(benchmark::State& state) {
    for (auto _ : state) {
        Library library;
        PlainNameList names;
        library.load(files().source.string(), names);
        benchmark::DoNotOptimize(library.size());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * files().bytes.size()));
}

// The bare write: create or empty the file and write the bytes, with no safety net.
void rawWrite(benchmark::State& state) {
    for (auto _ : state) {
        std::FILE* file = std::fopen(files().target.c_str(), "wb");
        std::fwrite(files().bytes.data(), 1, files().bytes.size(), file);
        std::fclose(file);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * files().bytes.size()));
}

// The same bytes written the way a save must write them so that no failure loses the old file:
// a new file, flushed to the disk, renamed over the target.
void rawWriteDurable(benchmark::State& state) {
    for (auto _ : state) {
        const auto temporary = files().directory / "OUT.tmp";
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        benchmark::DoNotOptimize(::write(fd, files().bytes.data(), files().bytes.size()));
        ::fsync(fd);
        ::close(fd);
        std::rename(temporary.c_str(), files().target.c_str());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * files().bytes.size()));
}

void save(benchmark::State& state) {
    Library library;
    PlainNameList names;
    library.load(files().source.string(), names);
    for (auto _ : state) {
        benchmark::DoNotOptimize(library.save(files().target.string()).saved);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * files().bytes.size()));
}

/// The whole file, read with one call, as the least any load must do.
std::vector<std::uint8_t> readAll(const fs::path& path) {
    std::vector<std::uint8_t> data;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return data;
    struct stat info {};
    ::fstat(fd, &info);
    data.resize(static_cast<std::size_t>(info.st_size));
    const ssize_t n = ::read(fd, data.data(), data.size());
    data.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    ::close(fd);
    return data;
}

// A minimal decode, written apart from the loader: the directory's used slots, each with its
// records copied into plain structs by the type byte's size, bounds checked, nothing else.
struct PlainPrimitive {
    std::array<std::uint8_t, 32> bytes;
};
struct PlainComponent {
    std::array<std::uint8_t, 32> entry;
    std::vector<PlainPrimitive> primitives;
};

std::vector<PlainComponent> minimalDecode(const std::vector<std::uint8_t>& file) {
    std::vector<PlainComponent> components;
    const auto signed16 = [&](std::size_t at) {
        return static_cast<std::int16_t>(file[at] | file[at + 1] << 8);
    };
    for (std::size_t slot = 0; slot < 200; ++slot) {
        const std::size_t at = 16 + 32 * slot;
        if (at + 32 > file.size()) break;
        const int first = signed16(at + 20);
        const int count = signed16(at + 18);
        if (first < 0 || count < 0) continue;
        PlainComponent& component = components.emplace_back();
        std::memcpy(component.entry.data(), file.data() + at, 32);
        component.primitives.reserve(static_cast<std::size_t>(count));
        std::size_t position = static_cast<std::size_t>(first) * 16;
        for (int i = 0; i < count && position + 16 <= file.size(); ++i) {
            const std::uint8_t type = file[position + 1];
            const std::size_t size = type == 3 || type == 6 ? 32 : 16;
            if (position + size > file.size()) break;
            PlainPrimitive& primitive = component.primitives.emplace_back();
            std::memcpy(primitive.bytes.data(), file.data() + position, size);
            position += size;
        }
    }
    return components;
}

void loadAgainstFloors(benchmark::State& state) {
    const fs::path& source = files().source;
    timeAgainstFloors(
        state,
        [&] {
            Library library;
            PlainNameList names;
            library.load(source.string(), names);
            benchmark::DoNotOptimize(library.size());
        },
        {{"vs_read", [&] { benchmark::DoNotOptimize(readAll(source).size()); }},
         {"vs_decode", [&] { benchmark::DoNotOptimize(minimalDecode(readAll(source)).size()); }}});
}

/// `bytes` put in place of `target` as safely as a save must: a new file beside it, written,
/// flushed, renamed over the target, and the folder flushed so that the rename lasts.
void safeWrite(const fs::path& target, const std::vector<std::uint8_t>& bytes) {
    const fs::path temporary = target.parent_path() / ("." + target.filename().string() + ".new");
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    benchmark::DoNotOptimize(::write(fd, bytes.data(), bytes.size()));
    ::fsync(fd);
    ::close(fd);
    std::rename(temporary.c_str(), target.c_str());
    const int folder = ::open(target.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ::fsync(folder);
    ::close(folder);
}

void saveAgainstSafeWrite(benchmark::State& state) {
    Library library;
    PlainNameList names;
    library.load(files().source.string(), names);
    const fs::path saved = files().crowded / "LIB1.LIB";
    const fs::path written = files().crowded / "LIB2.LIB";
    timeAgainstFloors(state, [&] { benchmark::DoNotOptimize(library.save(saved.string()).saved); },
                      {{"vs_safe_write", [&] { safeWrite(written, files().bytes); }}});
}

void buildImage(benchmark::State& state) {
    Library library;
    PlainNameList names;
    library.load(files().source.string(), names);
    std::vector<std::uint8_t> image;
    for (auto _ : state) {
        benchmark::DoNotOptimize(library.buildImage(image).saved);
    }
}

// Each image is loaded and checked from memory, so that the figures compare the work on the bytes
// and not the disk.
struct NamedImage {
    std::string name;
    std::vector<std::uint8_t> bytes;
};

std::vector<NamedImage> checkedImages() {
    std::vector<NamedImage> images;
    auto addFolder = [&](const fs::path& folder) {
        std::vector<fs::path> paths;
        std::error_code error;
        for (const auto& item : fs::directory_iterator(folder, error)) {
            if (item.path().extension() == ".LIB") paths.push_back(item.path());
        }
        std::sort(paths.begin(), paths.end());
        for (const auto& path : paths) {
            if (auto bytes = readFilePrefix(path.string(), kMaxUsefulFileSize)) {
                images.push_back({path.filename().string(), std::move(*bytes)});
            }
        }
    };
    addFolder(SHARED_LIBRARIES_DIR);
    addFolder(SAMPLES_DIR);
    images.push_back({"FULL.LIB", files().bytes});
    return images;
}

void loadImage(benchmark::State& state, const std::vector<std::uint8_t>* image) {
    for (auto _ : state) {
        Library library;
        PlainNameList names;
        library.loadImage(*image, names);
        benchmark::DoNotOptimize(library.size());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * image->size()));
}

// The thread's processor time, so that other work on a shared machine does not enter a ratio.
double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The check of an image, with a load of the same image timed beside it in every iteration: the
// time shown is the check's, and "ratio" is the check's time over the load's.
void checkImage(benchmark::State& state, const std::vector<std::uint8_t>* image) {
    double loading = 0;
    double checking = 0;
    for (auto _ : state) {
        const double before = threadSeconds();
        {
            Library library;
            PlainNameList names;
            library.loadImage(*image, names);
            benchmark::DoNotOptimize(library.size());
        }
        const double loaded = threadSeconds();
        benchmark::DoNotOptimize(checkLibraryImage(*image).findings.size());
        const double checked = threadSeconds();
        loading += loaded - before;
        checking += checked - loaded;
        state.SetIterationTime(checked - loaded);
    }
    state.counters["ratio"] = checking / loading;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * image->size()));
}

void registerCheckBenchmarks() {
    static const std::vector<NamedImage> images = checkedImages();
    for (const auto& image : images) {
        benchmark::RegisterBenchmark(("loadImage/" + image.name).c_str(), loadImage, &image.bytes)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("checkImage/" + image.name).c_str(), checkImage, &image.bytes)
            ->UseManualTime()
            ->Unit(benchmark::kMicrosecond);
    }
}

BENCHMARK(rawRead)->Unit(benchmark::kMicrosecond);
BENCHMARK(load)->Unit(benchmark::kMicrosecond);
BENCHMARK(rawWrite)->Unit(benchmark::kMicrosecond);
BENCHMARK(rawWriteDurable)->Unit(benchmark::kMicrosecond);
BENCHMARK(save)->Unit(benchmark::kMicrosecond);
BENCHMARK(buildImage)->Unit(benchmark::kMicrosecond);
BENCHMARK(loadAgainstFloors)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(saveAgainstSafeWrite)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    registerCheckBenchmarks();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
