#pragma once

#include "check_finding.h"

#include <cstdint>
#include <span>

/// Checks a whole library file image: a walk of every slot and record as the loader reads them,
/// bounds-checked, and a prediction of the bytes a load and a save give, compared with the
/// image, without building the library. Any image, however damaged, gives a report; nothing is
/// read outside it.
LibraryCheckReport checkLibraryImage(std::span<const std::uint8_t> image);
