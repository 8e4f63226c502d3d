// Exports library files as KiCad footprint libraries, one DIR/<name>.pretty folder per file, and
// prints each summary. A developer's tool for looking at exports; the program's own command
// line is `cobble`.
#include "library.h"
#include "library_export.h"

#include <filesystem>
#include <iostream>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: export_kicad LIB... OUTDIR\n";
        return 2;
    }
    const std::string outDir = argv[argc - 1];
    int status = 0;
    for (int i = 1; i < argc - 1; ++i) {
        Library library;
        library.load(argv[i]);
        const auto result = exportLibraryToKicad(
            library, std::filesystem::path(argv[i]).stem().string(), outDir, KicadExportOptions{});
        std::cout << result.summary();
        if (!result) status = 1;
    }
    return status;
}
