#include "window_test_support.h"

#include "library.h"
#include "primitive_factory.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>

void spinEventLoop(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

bool waitUntil(const std::function<bool()>& condition, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs) return false;
        spinEventLoop(10);
    }
    return true;
}

void writeLibrary(const std::filesystem::path& path, const std::vector<std::string>& names) {
    Library library;
    PlainNameList ignored;
    for (const std::string& name : names) {
        Component component(makeEntry(name));
        component.addPrimitive(makeTrack(1, 0, 0, 400, 200, 10));
        component.addPrimitive(makePad(13, 0, 0, 60, 60, 1));
        library.addCopy(component, ignored);
    }
    const SaveResult result = library.save(path.string());
    ASSERT_TRUE(result.saved) << result.reason;
}

std::vector<std::string> namesInLibrary(const std::filesystem::path& path) {
    Library library;
    PlainNameList names;
    library.load(path.string(), names);
    std::sort(names.names.begin(), names.names.end());
    return names.names;
}

QString toQString(const std::filesystem::path& path) { return QFile::decodeName(path.c_str()); }
