#include "app_icon.h"

#include <QSize>

QIcon applicationIcon() {
    // The resources live in a static library; registering them explicitly keeps the linker from
    // dropping them as unreferenced. Registering twice is harmless.
    Q_INIT_RESOURCE(cobblestack);
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/cobblestack-32.png"), QSize(32, 32));
    icon.addFile(QStringLiteral(":/icons/cobblestack-16.png"), QSize(16, 16));
    return icon;
}
