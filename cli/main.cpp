// The `cobble` program: everything it does lives in the cli_commands library.

#include "cobble_app.h"
#include "console.h"

#include <iostream>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

/// Whether standard output and standard error write to the same terminal, where a progress line
/// on one would run into the results on the other.
bool shareOneTerminal() {
    if (::isatty(STDOUT_FILENO) != 1 || ::isatty(STDERR_FILENO) != 1) return false;
    struct stat out {};
    struct stat err {};
    return ::fstat(STDOUT_FILENO, &out) == 0 && ::fstat(STDERR_FILENO, &err) == 0 &&
           out.st_rdev == err.st_rdev;
}

}  // namespace

int main(int argc, char* argv[]) {
    Console console{std::cout, std::cerr, ::isatty(STDERR_FILENO) == 1};
    ProgressLine progressLine(std::cerr);
    std::optional<SharedTerminalBuffer> shared;
    std::streambuf* const outBuffer = std::cout.rdbuf();
    if (console.errIsTerminal) console.progressLine = &progressLine;
    if (shareOneTerminal()) {
        shared.emplace(*outBuffer, progressLine);
        std::cout.rdbuf(&*shared);
    }
    const ExitStatus status = runCobble(argc, argv, console);
    std::cout.flush();
    std::cout.rdbuf(outBuffer);
    return static_cast<int>(status);
}
