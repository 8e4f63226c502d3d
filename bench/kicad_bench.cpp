// Exporting the three shared libraries (283 components) as KiCad footprint libraries, side by
// side with writing the same file bytes, already in memory, through the same atomic writer.

#include "component_file_names.h"
#include "file_io.h"
#include "library.h"
#include "library_export.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Shared {
    Shared() {
        for (const char* name : {"KC_CONN", "KC_DIP", "KC_SOT"}) {
            auto library = std::make_unique<Library>();
            PlainNameList names;
            if (!library->load(std::string(SHARED_LIBRARIES_DIR) + "/" + name + ".LIB", names)) {
                continue;
            }
            components += library->size();
            libraries.emplace_back(name, std::move(library));
        }
        directory =
            fs::temp_directory_path() / ("cobblestack-kicad-bench-" + std::to_string(getpid()));
        fs::create_directories(directory);
    }
    ~Shared() { fs::remove_all(directory); }

    std::vector<std::pair<std::string, std::unique_ptr<Library>>> libraries;
    std::size_t components = 0;
    fs::path directory;
};

Shared& shared() {
    static Shared instance;
    return instance;
}

void BM_ExportSharedLibraries(benchmark::State& state) {
    Shared& s = shared();
    if (s.components == 0) {
        state.SkipWithError("the shared libraries are not there");
        return;
    }
    for (auto _ : state) {
        for (const auto& [name, library] : s.libraries) {
            const auto result = exportLibraryToKicad(*library, name, s.directory.string(), {});
            if (!result) state.SkipWithError(result.reason.c_str());
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * s.components));
}
BENCHMARK(BM_ExportSharedLibraries)->Unit(benchmark::kMillisecond);

void BM_WriteTheSameBytes(benchmark::State& state) {
    Shared& s = shared();
    if (s.components == 0) {
        state.SkipWithError("the shared libraries are not there");
        return;
    }
    struct File {
        std::string path;
        std::string text;
    };
    std::vector<File> files;
    for (const auto& [name, library] : s.libraries) {
        const fs::path folder = s.directory / (name + ".pretty");
        fs::create_directories(folder);
        std::vector<std::string> names;
        for (const auto& component : library->components()) {
            names.push_back(component->displayName());
        }
        const auto stems = componentFileNames(names);
        for (std::size_t i = 0; i < library->size(); ++i) {
            files.push_back({(folder / (stems[i] + ".kicad_mod")).string(),
                             exportFootprint(*library->components()[i], {}).text});
        }
    }
    for (auto _ : state) {
        for (const File& file : files) {
            const std::span<const std::uint8_t> bytes(
                reinterpret_cast<const std::uint8_t*>(file.text.data()), file.text.size());
            if (!writeFileAtomically(file.path, bytes)) state.SkipWithError("write failed");
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * s.components));
}
BENCHMARK(BM_WriteTheSameBytes)->Unit(benchmark::kMillisecond);

// The export's own share: the texts alone, no file.
void BM_FootprintTextsOnly(benchmark::State& state) {
    Shared& s = shared();
    for (auto _ : state) {
        for (const auto& [name, library] : s.libraries) {
            for (const auto& component : library->components()) {
                benchmark::DoNotOptimize(exportFootprint(*component, {}));
            }
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * s.components));
}
BENCHMARK(BM_FootprintTextsOnly)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
