#pragma once

#include <QApplication>

#include <string>

/// The program: one object for the whole run. It runs the main window modally and the program
/// ends when the window has closed.
class LibraryManagerApp final {
public:
    /// Takes Qt's own options (-platform, -display, ...) out of `argc` and `argv`.
    LibraryManagerApp(int& argc, char** argv);
    LibraryManagerApp(const LibraryManagerApp&) = delete;
    LibraryManagerApp& operator=(const LibraryManagerApp&) = delete;

    /// Shows the main window, opening `file` first when it is not empty (the system's bytes),
    /// and returns the program's exit code once the window has closed.
    int run(const std::string& file);

private:
    QApplication application_;
};

/// The whole program behind `main`: `--help` and `--version` print and end before any window
/// or display is needed; otherwise the command line names at most one library file to open.
/// Returns the exit code: 0, or 2 for a wrong command line.
int runCobblestack(int argc, char** argv);
