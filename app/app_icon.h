#pragma once

#include <QIcon>

/// The program's icon, a component footprint on a board, in 32 x 32 and 16 x 16 pixels of 16
/// colours, compiled into the program. Never null.
QIcon applicationIcon();
