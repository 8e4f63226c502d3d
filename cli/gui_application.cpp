#include "gui_application.h"

#include <QGuiApplication>

#include <cstdio>

void ensureGuiApplication() {
    if (QGuiApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "cobble";
    static char* argv[] = {name, nullptr};
    // Qt's own notices (no runtime folder, fonts) are not the user's problem; real errors are.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg) {
            std::fprintf(stderr, "cobble: %s\n", qPrintable(text));
        }
    });
    static QGuiApplication application(argc, argv);
}
