// Paints every component of a library file into its own PNG, as the viewer shows it, so that
// the drawings can be looked at without the window:
//   render_components LIB OUTDIR [WIDTH HEIGHT]
// The files are named by list position and component name, e.g. 003_DIP14.png.

#include "component_viewer.h"
#include "library.h"
#include "name_list.h"
#include "qpainter_canvas.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>

#include <cstdio>
#include <string>

namespace {

/// The name with every character that is awkward in a file name replaced by '_'.
QString fileSafe(const std::string& name) {
    QString safe;
    for (const char c : name) {
        const bool plain = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
                           (c >= 'a' && c <= 'z') || c == '-' || c == '.';
        safe += plain ? QChar(c) : QChar('_');
    }
    return safe;
}

int positiveNumber(const char* text) {
    bool ok = false;
    const int value = QString::fromLocal8Bit(text).toInt(&ok);
    return ok && value > 0 ? value : 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3 && argc != 5) {
        std::fprintf(stderr, "usage: render_components LIB OUTDIR [WIDTH HEIGHT]\n");
        return 2;
    }
    const int width = argc == 5 ? positiveNumber(argv[3]) : 517;
    const int height = argc == 5 ? positiveNumber(argv[4]) : 463;
    if (width == 0 || height == 0) {
        std::fprintf(stderr, "render_components: WIDTH and HEIGHT must be positive numbers\n");
        return 2;
    }

    Library library;
    PlainNameList names;
    library.load(argv[1], names);
    if (library.size() == 0) {
        std::fprintf(stderr, "render_components: %s holds no components\n", argv[1]);
        return 1;
    }
    const QDir out(QString::fromLocal8Bit(argv[2]));
    if (!QDir().mkpath(out.path())) {
        std::fprintf(stderr, "render_components: cannot create %s\n", argv[2]);
        return 1;
    }

    ComponentViewer viewer;
    int failures = 0;
    int index = 0;
    for (const auto& component : library.components()) {
        viewer.setComponent(component.get());
        QImage image(width, height, QImage::Format_RGB32);
        {
            QPainter painter(&image);
            QPainterCanvas canvas(painter);
            viewer.paint(canvas, width, height);
        }
        const QString file = out.filePath(QString("%1_%2.png")
                                              .arg(index++, 3, 10, QChar('0'))
                                              .arg(fileSafe(component->displayName())));
        if (!image.save(file)) {
            std::fprintf(stderr, "render_components: cannot write %s\n", qPrintable(file));
            ++failures;
        }
    }
    std::printf("%d components written to %s\n", index - failures, qPrintable(out.path()));
    return failures == 0 ? 0 : 1;
}
