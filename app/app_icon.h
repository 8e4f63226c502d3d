#pragma once

#include <QIcon>

/// The program's icon, 32 x 32 and 16 x 16. (Outline; the picture comes later.)
QIcon applicationIcon();
