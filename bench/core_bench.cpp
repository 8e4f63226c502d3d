// Loading and saving a full library (200 components, records up to the last index the format
// can address), side by side with only reading and writing the same bytes; each timed in the same
// run against a floor of its own: the load against reading the file alone and against reading it
// with a minimal decode into plain structs, the save in a folder of 1,000 files against an
// equally safe write of the same bytes (a new file, written, flushed, renamed over the target,
// the folder flushed). And checking library images beside loading the same images, since a check
// must cost little more than the load.

#include "glyph_advance.h"
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
        library->addCopy(component);
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
        library.load(files().source.string());
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
    library.load(files().source.string());
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

// A minimal decode, written apart from the loader, that gives a caller what it needs of a
// library: the directory's used slots, each with the records of the kinds a component keeps
// copied into plain structs (the fields are read from those bytes) and each primitive's box and
// the component's box computed by the same rules, bounds checked; records of other types are
// skipped. It leaves out what only the product does: the drawing order, the names list, the
// repair of a cut second record and the entry's rewritten count.
struct PlainBox {
    std::int32_t minX = 32767, maxX = -32768, minY = 32767, maxY = -32768;
};
struct PlainPrimitive {
    std::array<std::uint8_t, 32> bytes;
    PlainBox box;
};
struct PlainComponent {
    std::array<std::uint8_t, 32> entry;
    std::vector<PlainPrimitive> primitives;
    PlainBox box;
};

PlainBox plainBox(const std::uint8_t* r) {
    const auto s16 = [r](int at) {
        return std::int32_t{static_cast<std::int16_t>(r[at] | r[at + 1] << 8)};
    };
    const std::int32_t x = s16(2);
    const std::int32_t y = s16(4);
    switch (r[1]) {
        case 1: {  // arc: the quarters drawn, each side at least the centre's half line width
            const std::int32_t w = r[9] >> 1;
            const std::int32_t reach = w + s16(6);
            const int q = r[8];
            PlainBox b{0, 0, 0, 0};
            if (q & 6) b.minX = x - reach;
            if (q & 9) b.maxX = x + reach;
            if (q & 12) b.minY = y - reach;
            if (q & 3) b.maxY = y + reach;
            if (b.minX == 0) b.minX = x - w;
            if (b.maxX == 0) b.maxX = x + w;
            if (b.minY == 0) b.minY = y - w;
            if (b.maxY == 0) b.maxY = y + w;
            return b;
        }
        case 2:
        case 5: {  // fill, track (a track grows by half its width)
            const std::int32_t hw = r[1] == 5 ? r[10] >> 1 : 0;
            const std::int32_t x2 = s16(6);
            const std::int32_t y2 = s16(8);
            return {std::min(x, x2) - hw, std::max(x, x2) + hw, std::min(y, y2) - hw,
                    std::max(y, y2) + hw};
        }
        case 3: {  // pad
            const std::int32_t hx = s16(6) / 2;
            const std::int32_t hy = s16(8) / 2;
            return {x - hx, x + hx, y - hy, y + hy};
        }
        case 6: {  // string: the text's advance by its orientation
            const std::int32_t h = s16(6);
            const std::int32_t w =
                advanceSum(std::span<const std::uint8_t>(r + 19, std::min<int>(r[18], 13)), r[18]) *
                (h / 6);
            switch (r[9]) {
                case 0:
                    return {x, x + w, y, y + h};
                case 1:
                    return {x - h, x, y, y + w};
                case 2:
                    return {x - w, x, y - h, y};
                case 3:
                    return {x, x + h, y - w, y};
                case 16:
                    return {x - w, x, y, y + h};
                case 17:
                    return {x, x + h, y, y + w};
                case 18:
                    return {x, x + w, y - h, y};
                case 19:
                    return {x - h, x, y - w, y};
                default:
                    return {0, 0, 0, 0};
            }
        }
        default: {  // via
            const std::int32_t d = r[6] >> 1;
            return {x - d, x + d, y - d, y + d};
        }
    }
}

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
            if (type == 1 || type == 2 || type == 3 || type == 5 || type == 6 || type == 8) {
                PlainPrimitive& primitive = component.primitives.emplace_back();
                std::memcpy(primitive.bytes.data(), file.data() + position, size);
                if (size == 16) std::memset(primitive.bytes.data() + 16, 0, 16);
                primitive.box = plainBox(primitive.bytes.data());
                PlainBox& box = component.box;
                box.minX = std::min(box.minX, primitive.box.minX);
                box.maxX = std::max(box.maxX, primitive.box.maxX);
                box.minY = std::min(box.minY, primitive.box.minY);
                box.maxY = std::max(box.maxY, primitive.box.maxY);
            }
            position += size;
        }
    }
    return components;
}

void loadAgainstFloors(benchmark::State& state) {
    const fs::path& source = files().source;
    {
        // The floor must give the same boxes as the load, or it is not doing the same work.
        Library library;
        library.load(source.string());
        const auto plain = minimalDecode(readAll(source));
        bool same = plain.size() == library.size();
        for (std::size_t i = 0; same && i < plain.size(); ++i) {
            const Bounds& b = library.components()[plain.size() - 1 - i]->bounds();
            const PlainBox& p = plain[i].box;
            same = b == Bounds{p.minX, p.maxX, p.minY, p.maxY};
        }
        if (!same) {
            state.SkipWithError("the minimal decode gives other boxes than the load");
            return;
        }
    }
    timeAgainstFloors(
        state,
        [&] {
            Library library;
            library.load(source.string());
            benchmark::DoNotOptimize(library.size());
        },
        {{"vs_read", [&] { benchmark::DoNotOptimize(readAll(source).size()); }},
         {"vs_decode", [&] { benchmark::DoNotOptimize(minimalDecode(readAll(source)).size()); }}},
        // All on this thread: its processor time, so that other work on the machine does not
        // enter the ratios.
        PairedClock::ThreadCpu);
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
    library.load(files().source.string());
    const fs::path saved = files().crowded / "LIB1.LIB";
    const fs::path written = files().crowded / "LIB2.LIB";
    timeAgainstFloors(state, [&] { benchmark::DoNotOptimize(library.save(saved.string()).saved); },
                      {{"vs_safe_write", [&] { safeWrite(written, files().bytes); }}});
}

void buildImage(benchmark::State& state) {
    Library library;
    library.load(files().source.string());
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
        library.loadImage(*image);
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
            library.loadImage(*image);
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
