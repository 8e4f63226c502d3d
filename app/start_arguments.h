#pragma once

#include <string>
#include <vector>

/// What the window's command line asks for.
struct StartRequest {
    enum class Action {
        /// Open the window, with `file` when one was given.
        run,
        /// Print `helpText()` and end.
        help,
        /// Print `versionText()` and end.
        version,
        /// Print `message` and end with a usage error.
        usageError,
    };
    Action action = Action::run;
    /// The library file to open, as the system's bytes; empty for none.
    std::string file;
    /// For a usage error: what is wrong, e.g. `unknown option "--frob"`.
    std::string message;
};

/// Reads the window's arguments (without the program name). `-h`/`--help` and `--version`
/// win over anything else before `--`; an unknown option or a second FILE is a usage error;
/// after `--` every argument is a FILE. Qt's own options must have been taken out before
/// (QApplication does that), or else they count as unknown.
StartRequest parseStartArguments(const std::vector<std::string>& arguments);

/// `cobblestack --help`: usage, what FILE does, the options; in the form help2man reads.
std::string helpText();

/// `cobblestack --version`: "cobblestack VERSION" and a licence line.
std::string versionText();
