// Exporting the three shared libraries (283 components) as KiCad footprint libraries, against
// writing the same file bytes, already in memory, safely in one batch per folder (a floor written
// apart from the product's writer); and importing KiCad's largest footprint folder.

#include "component_file_names.h"
#include "file_io.h"
#include "footprint_import.h"
#include "footprint_reader.h"
#include "library.h"
#include "library_export.h"
#include "paired_timing.h"
#include "safe_batch.h"

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
            if (!library->load(std::string(SHARED_LIBRARIES_DIR) + "/" + name + ".LIB")) {
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

void exportAll(benchmark::State& state, const Shared& s) {
    for (const auto& [name, library] : s.libraries) {
        const auto result = exportLibraryToKicad(*library, name, s.directory.string(), {});
        if (!result) state.SkipWithError(result.reason.c_str());
    }
}

void BM_ExportAgainstBatchedSafeWrite(benchmark::State& state) {
    Shared& s = shared();
    if (s.components == 0) {
        state.SkipWithError("the shared libraries are not there");
        return;
    }
    exportAll(state, s);
    const std::vector<BatchFile> files = filesUnder(s.directory);
    timeAgainstFloors(state, [&] { exportAll(state, s); },
                      {{"vs_batched_safe_write", [&] { writeSafelyInOneBatch(files); }}});
    state.counters["files"] = static_cast<double>(files.size());
}
BENCHMARK(BM_ExportAgainstBatchedSafeWrite)->UseManualTime()->Unit(benchmark::kMillisecond);

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

// Reading and converting every footprint of KiCad's largest footprint folder, as an import does.
void BM_ImportLargestFootprintFolder(benchmark::State& state) {
    const fs::path folder = "/usr/share/kicad/footprints/Package_DFN_QFN.pretty";
    std::vector<std::string> paths;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        if (entry.path().extension() == ".kicad_mod") paths.push_back(entry.path().string());
    }
    if (paths.empty()) {
        state.SkipWithError("KiCad's footprints are not installed");
        return;
    }
    for (auto _ : state) {
        for (const std::string& path : paths) {
            const FootprintReadResult read = readFootprintFile(path);
            if (read) benchmark::DoNotOptimize(importFootprint(*read.footprint, "PART"));
        }
    }
    state.counters["footprints"] = static_cast<double>(paths.size());
}
BENCHMARK(BM_ImportLargestFootprintFolder)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
