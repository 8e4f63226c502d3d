// Paints every component of a library file into its own PNG (or SVG), as the viewer shows it,
// so that the drawings can be looked at without the window:
//   render_components [--svg] LIB OUTDIR [WIDTH HEIGHT]
// The files are named by list position and the component's file-name stem, e.g. 003_DIP14.png.

#include "component_file_names.h"
#include "component_render.h"
#include "library.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QString>

#include <cstdio>
#include <string>
#include <vector>

namespace {

bool writeText(const QString& path, const std::string& text) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    const auto size = static_cast<qint64>(text.size());
    return file.write(text.data(), size) == size && file.flush();
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
    const bool svg = argc > 1 && std::string(argv[1]) == "--svg";
    if (svg) {
        --argc;
        ++argv;
    }
    if (argc != 3 && argc != 5) {
        std::fprintf(stderr, "usage: render_components [--svg] LIB OUTDIR [WIDTH HEIGHT]\n");
        return 2;
    }
    const int width = argc == 5 ? positiveNumber(argv[3]) : 517;
    const int height = argc == 5 ? positiveNumber(argv[4]) : 463;
    if (width == 0 || height == 0) {
        std::fprintf(stderr, "render_components: WIDTH and HEIGHT must be positive numbers\n");
        return 2;
    }

    Library library;
    library.load(argv[1]);
    if (library.size() == 0) {
        std::fprintf(stderr, "render_components: %s holds no components\n", argv[1]);
        return 1;
    }
    const QDir out(QString::fromLocal8Bit(argv[2]));
    if (!QDir().mkpath(out.path())) {
        std::fprintf(stderr, "render_components: cannot create %s\n", argv[2]);
        return 1;
    }

    std::vector<std::string> componentNames;
    for (const auto& component : library.components()) {
        componentNames.push_back(component->displayName());
    }
    const auto stems = componentFileNames(componentNames);
    int failures = 0;
    int index = 0;
    for (const auto& component : library.components()) {
        // Joined, not passed through QString::arg: a stem may hold "%2F", which arg would
        // take for a place marker.
        const QString file =
            out.filePath(QString("%1_").arg(index, 3, 10, QChar('0')) +
                         QString::fromStdString(stems[static_cast<std::size_t>(index)]) +
                         (svg ? ".svg" : ".png"));
        ++index;
        const bool written = svg ? writeText(file, renderComponentSvg(*component, width, height))
                                 : renderComponentImage(*component, width, height).save(file);
        if (!written) {
            std::fprintf(stderr, "render_components: cannot write %s\n", qPrintable(file));
            ++failures;
        }
    }
    std::printf("%d components written to %s\n", index - failures, qPrintable(out.path()));
    return failures == 0 ? 0 : 1;
}
