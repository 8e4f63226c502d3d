#include "cobble_process.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <pty.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string readAll(int fd) {
    std::string text;
    char buffer[4096];
    ::lseek(fd, 0, SEEK_SET);
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    return text;
}

[[noreturn]] void execCobble(const std::vector<std::string>& arguments,
                             const std::filesystem::path& workingDirectory) {
    if (!workingDirectory.empty() && ::chdir(workingDirectory.c_str()) != 0) ::_exit(127);
    std::vector<char*> argv;
    std::string program = COBBLE_PATH;
    argv.push_back(program.data());
    std::vector<std::string> copies = arguments;
    for (std::string& argument : copies) argv.push_back(argument.data());
    argv.push_back(nullptr);
    ::execv(COBBLE_PATH, argv.data());
    ::_exit(127);
}

int waitFor(pid_t child) {
    int raw = 0;
    while (::waitpid(child, &raw, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

}  // namespace

CobbleRun runCobble(const std::vector<std::string>& arguments,
                    const std::filesystem::path& workingDirectory) {
    return runCobbleWithInput(arguments, "/dev/null", workingDirectory);
}

pid_t startCobbleQuietly(const std::vector<std::string>& arguments) {
    const pid_t child = ::fork();
    if (child == 0) {
        const int quiet = ::open("/dev/null", O_RDWR);
        ::dup2(quiet, STDIN_FILENO);
        ::dup2(quiet, STDOUT_FILENO);
        ::dup2(quiet, STDERR_FILENO);
        execCobble(arguments, {});
    }
    return child;
}

CobbleRun runCobbleWithInput(const std::vector<std::string>& arguments,
                             const std::filesystem::path& input,
                             const std::filesystem::path& workingDirectory) {
    // Files rather than pipes, so that a large output cannot block the child.
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    if (!out || !err) throw std::runtime_error("cannot create capture files");
    const pid_t child = ::fork();
    if (child < 0) throw std::runtime_error("cannot start cobble");
    if (child == 0) {
        const int source = ::open(input.c_str(), O_RDONLY);
        if (source < 0) ::_exit(126);
        ::dup2(source, STDIN_FILENO);
        ::dup2(::fileno(out), STDOUT_FILENO);
        ::dup2(::fileno(err), STDERR_FILENO);
        execCobble(arguments, workingDirectory);
    }
    CobbleRun run;
    run.status = waitFor(child);
    run.out = readAll(::fileno(out));
    run.err = readAll(::fileno(err));
    std::fclose(out);
    std::fclose(err);
    return run;
}

namespace {

CobbleRun runOnTerminal(const std::vector<std::string>& arguments, bool outputToo) {
    int master = -1;
    int slave = -1;
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
        throw std::runtime_error("cannot open a pseudo-terminal");
    }
    std::FILE* out = std::tmpfile();
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(master);
        const int nothing = ::open("/dev/null", O_RDONLY);
        ::dup2(nothing, STDIN_FILENO);
        ::dup2(outputToo ? slave : ::fileno(out), STDOUT_FILENO);
        ::dup2(slave, STDERR_FILENO);
        execCobble(arguments, {});
    }
    ::close(slave);
    CobbleRun run;
    // Read the terminal until the child closes it (EIO on Linux), then collect the status.
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        run.err.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(master);
    run.status = waitFor(child);
    run.out = readAll(::fileno(out));
    std::fclose(out);
    return run;
}

}  // namespace

CobbleRun runCobbleOnTerminal(const std::vector<std::string>& arguments) {
    return runOnTerminal(arguments, false);
}

CobbleRun runCobbleOnSharedTerminal(const std::vector<std::string>& arguments) {
    return runOnTerminal(arguments, true);
}

std::vector<std::string> screenLines(const std::string& received) {
    std::vector<std::string> lines(1);
    std::size_t column = 0;
    for (const char c : received) {
        if (c == '\r') {
            column = 0;
        } else if (c == '\n') {
            lines.emplace_back();
            column = 0;
        } else {
            std::string& line = lines.back();
            if (column < line.size()) {
                line[column] = c;
            } else {
                line += c;
            }
            ++column;
        }
    }
    for (std::string& line : lines) {
        while (!line.empty() && line.back() == ' ') line.pop_back();
    }
    while (!lines.empty() && lines.back().empty()) lines.pop_back();
    return lines;
}

std::string describe(const CobbleRun& run) {
    return "status " + std::to_string(run.status) + "\n--- stdout\n" + run.out + "--- stderr\n" +
           run.err;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}
