#pragma once

#include <QString>

/// The folder of sample libraries: share/cobblestack/samples beside the installed program's bin
/// folder, or else the source tree's samples folder (for a program run from its build folder);
/// empty when neither exists.
QString samplesDirectory();
