#include "library_manager_app.h"

#include "library_manager_dialog.h"
#include "qt_user_dialogs.h"
#include "start_arguments.h"

#include <QTimer>

#include <cstdio>
#include <vector>

namespace {

/// The desktop ID: the name of the desktop entry, the metadata and the icon.
constexpr const char* kDesktopId = "io.github.cobblestack.Cobblestack";

std::vector<std::string> argumentsOf(int argc, char** argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
    return arguments;
}

}  // namespace

LibraryManagerApp::LibraryManagerApp(int& argc, char** argv) : application_(argc, argv) {
    // The program ends when the window's modal run returns, not when a window closes: the save
    // questions come after the window has gone.
    QApplication::setQuitOnLastWindowClosed(false);
    // The caption of the program's message boxes, and the name desktops show.
    QApplication::setApplicationName(QStringLiteral("Cobblestack"));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kDesktopId));
}

int LibraryManagerApp::run(const std::string& file) {
    QtUserDialogs dialogs;
    LibraryManagerDialog window(dialogs);
    if (!file.empty()) {
        // Once the window is up, so that a message about the file has a window to belong to.
        QTimer::singleShot(0, &window, [&window, &file] { window.openStartFile(file); });
    }
    window.exec();
    return 0;
}

int runCobblestack(int argc, char** argv) {
    // Help and version first, before Qt looks for a display: help2man runs them at build time.
    const StartRequest early = parseStartArguments(argumentsOf(argc, argv));
    if (early.action == StartRequest::Action::help) {
        std::fputs(helpText().c_str(), stdout);
        return 0;
    }
    if (early.action == StartRequest::Action::version) {
        std::fputs(versionText().c_str(), stdout);
        return 0;
    }
    LibraryManagerApp app(argc, argv);
    // Only now are Qt's options gone, so only now is an unknown option surely a mistake.
    const StartRequest request = parseStartArguments(argumentsOf(argc, argv));
    if (request.action == StartRequest::Action::usageError) {
        std::fprintf(stderr, "cobblestack: %s (see cobblestack --help)\n", request.message.c_str());
        return 2;
    }
    return app.run(request.file);
}
