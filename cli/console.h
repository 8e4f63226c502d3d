#pragma once

#include <cstddef>
#include <ostream>
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

/// Where a command writes: its results to `out`, errors and progress to `err`. Progress is shown
/// only when `err` is a terminal, so scripts and logs never see it.
struct Console {
    std::ostream& out;
    std::ostream& err;
    bool errIsTerminal = false;

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
    const Console& console_;
    std::size_t total_;
    std::string noun_;
    std::size_t shownWidth_ = 0;
};
