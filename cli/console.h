#pragma once

#include <cstddef>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>

/// What a command's run ends with; the process exits with the number.
/// How many seconds a command that writes a library waits, by default, for another program that
/// is writing it.
inline constexpr double kDefaultWriteWait = 5;

enum class ExitStatus : int {
    /// Done, and nothing was found wrong.
    Success = 0,
    /// The command ran and the answer is no: a file is not a library, a name is not in it, a copy
    /// was refused, a destination could not be written, or `check` found data a save would lose.
    Failure = 1,
    /// The work could not be done at all: a file could not be read, or the command line is wrong.
    Trouble = 2,
};

/// The worse of two statuses, so a command over many files ends with its worst outcome.
inline ExitStatus worse(ExitStatus a, ExitStatus b) {
    return static_cast<int>(a) >= static_cast<int>(b) ? a : b;
}

/// "1 component", "2 components".
std::string components(std::size_t count);

/// The progress line on the terminal of standard error: drawn in place, and wiped before
/// anything else reaches that terminal, so that no result or error runs on from a counter.
class ProgressLine final {
public:
    explicit ProgressLine(std::ostream& err) : err_(err) {}

    /// Shows `text` in place of the line shown before.
    void draw(const std::string& text);
    /// Blanks the line, when one is shown, and returns to the start of it.
    void wipe();

private:
    std::ostream& err_;
    std::size_t width_ = 0;
};

/// The buffer of standard output when it shares the terminal of the progress line: it wipes the
/// line before passing any output on to `target`. It keeps no buffer of its own, so output
/// reaches `target` in the order written; the line is drawn again at its next update.
class SharedTerminalBuffer final : public std::streambuf {
public:
    SharedTerminalBuffer(std::streambuf& target, ProgressLine& line)
        : target_(target), line_(line) {}

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;
    int sync() override;

private:
    std::streambuf& target_;
    ProgressLine& line_;
};

/// Where a command writes: its results to `out`, errors and progress to `err`. Progress is shown
/// only when `err` is a terminal, so scripts and logs never see it.
struct Console {
    std::ostream& out;
    std::ostream& err;
    bool errIsTerminal = false;
    /// The progress line of `err`'s terminal, shared by every `Progress`, which errors wipe first
    /// (and `out` too, through a `SharedTerminalBuffer`, when it writes to the same terminal).
    /// None: each `Progress` keeps a line of its own.
    ProgressLine* progressLine = nullptr;

    /// One line `cobble: <file>: <what>` on the error stream.
    void error(std::string_view file, std::string_view what) const;
    /// One line `cobble: <what>` for errors that concern no file.
    void error(std::string_view what) const;
};

/// A one-line counter such as `12/300 libraries` on a terminal, rewritten in place and wiped when
/// the work ends (at destruction), so that the last thing on the terminal is the command's output.
class Progress final {
public:
    Progress(const Console& console, std::size_t total, std::string noun);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    /// Shows that `done` of the items are finished.
    void show(std::size_t done);

private:
    ProgressLine& line() { return console_.progressLine ? *console_.progressLine : own_; }

    const Console& console_;
    std::size_t total_;
    std::string noun_;
    ProgressLine own_;
};
