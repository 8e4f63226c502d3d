#include "library_manager_app.h"

#include "library_manager_dialog.h"
#include "qt_user_dialogs.h"

LibraryManagerApp::LibraryManagerApp(int& argc, char** argv) : application_(argc, argv) {
    // The program ends when the window's modal run returns, not when a window closes: the save
    // questions come after the window has gone.
    QApplication::setQuitOnLastWindowClosed(false);
    // The caption of the program's message boxes, and the name desktops show.
    QApplication::setApplicationName(QStringLiteral("Cobblestack"));
    QGuiApplication::setDesktopFileName(QStringLiteral("cobblestack"));
}

int LibraryManagerApp::run() {
    QtUserDialogs dialogs;
    LibraryManagerDialog window(dialogs);
    window.exec();
    return 0;
}
