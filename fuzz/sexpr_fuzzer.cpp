// Reads arbitrary bytes as a KiCad footprint: the parser and the reader must fail cleanly on
// anything, and whatever they accept must convert without a fault.

#include "footprint_import.h"
#include "footprint_reader.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const FootprintReadResult read = readFootprint(text);
    if (read) {
        const FootprintImport imported = importFootprint(*read.footprint, "FUZZ");
        if (!imported && imported.error.empty()) {
            __builtin_trap();  // a refusal must say why
        }
    } else if (read.error.empty()) {
        __builtin_trap();
    }
    return 0;
}
