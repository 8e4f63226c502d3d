// The `cobble` program: everything it does lives in the cli_commands library.

#include "cobble_app.h"
#include "console.h"

#include <iostream>
#include <unistd.h>

int main(int argc, char* argv[]) {
    const Console console{std::cout, std::cerr, ::isatty(STDERR_FILENO) == 1};
    return static_cast<int>(runCobble(argc, argv, console));
}
