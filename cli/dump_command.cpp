#include "dump_command.h"

#include "library_input.h"
#include "library_text.h"

#include <fstream>
#include <memory>

namespace {

/// Copies the file at `path` to `out` byte for byte; false when it cannot be read.
bool copyAsIs(const std::string& path, std::ostream& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    // Streaming an empty file would mark `out` as failed.
    if (in.peek() != std::ifstream::traits_type::eof()) out << in.rdbuf();
    return !in.bad();
}

}  // namespace

ExitStatus runDump(const DumpOptions& options, const Console& console) {
    const LibraryRead read = readLibraryFile(options.library);
    if (!read.loaded) {
        if (options.othersAsIs && read.failure.status == ExitStatus::Failure &&
            copyAsIs(options.library, console.out)) {
            return ExitStatus::Success;
        }
        console.error(options.library, read.failure.reason);
        return read.failure.status;
    }
    const LoadedLibrary& loaded = *read.loaded;
    console.out << libraryText(loaded.library, loaderRepairs(loaded.library, loaded.image));
    return ExitStatus::Success;
}
