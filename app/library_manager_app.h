#pragma once

#include <QApplication>

/// The program: one object for the whole run. It runs the main window modally and the program
/// ends when the window has closed.
class LibraryManagerApp final {
public:
    LibraryManagerApp(int& argc, char** argv);
    LibraryManagerApp(const LibraryManagerApp&) = delete;
    LibraryManagerApp& operator=(const LibraryManagerApp&) = delete;

    /// Shows the main window and returns the program's exit code once it has closed.
    int run();

private:
    QApplication application_;
};
