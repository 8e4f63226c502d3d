#include "samples_directory.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

QString samplesDirectory() {
    const QDir installed(QCoreApplication::applicationDirPath() +
                         QStringLiteral("/../share/cobblestack/samples"));
    if (installed.exists()) return installed.canonicalPath();
    const QDir source(QFile::decodeName(COBBLESTACK_SOURCE_SAMPLES_DIR));
    return source.exists() ? source.absolutePath() : QString();
}
