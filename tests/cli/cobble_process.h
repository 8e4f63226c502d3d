#pragma once

#include <filesystem>
#include <string>
#include <sys/types.h>
#include <vector>

/// What one run of the real `cobble` program did.
struct CobbleRun {
    /// The exit status, or -1 when the program did not exit normally (a crash).
    int status = -1;
    std::string out;
    std::string err;
};

/// Runs the `cobble` program built beside the tests with `arguments`, in `workingDirectory` when
/// given, with standard input empty and standard output and error captured.
CobbleRun runCobble(const std::vector<std::string>& arguments,
                    const std::filesystem::path& workingDirectory = {});

/// Starts the `cobble` program with `arguments` and every standard stream on /dev/null, without
/// waiting for it, so that a test can stop it midway: the child's process id.
pid_t startCobbleQuietly(const std::vector<std::string>& arguments);

/// The same with standard input read from the file `input`.
CobbleRun runCobbleWithInput(const std::vector<std::string>& arguments,
                             const std::filesystem::path& input,
                             const std::filesystem::path& workingDirectory = {});

/// The same on a terminal: standard error is a pseudo-terminal, whose output is captured in `err`.
CobbleRun runCobbleOnTerminal(const std::vector<std::string>& arguments);

/// The same with standard output on that pseudo-terminal too, as a person at a terminal runs it:
/// `err` holds everything the terminal received, `out` nothing.
CobbleRun runCobbleOnSharedTerminal(const std::vector<std::string>& arguments);

/// The lines a terminal shows after receiving `received`: a carriage return goes back to the start
/// of the line, characters overwrite what is there, and trailing blanks are dropped.
std::vector<std::string> screenLines(const std::string& received);

/// Prints a run for a failure message.
std::string describe(const CobbleRun& run);

/// The lines of a text, without their line ends.
std::vector<std::string> linesOf(const std::string& text);
