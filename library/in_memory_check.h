#pragma once

#include "check_finding.h"

#include <vector>

class Library;

/// Checks a library held in memory for what a save would refuse or what finding by name cannot
/// tell apart: more than 200 components (which no file can hold, so only a library built in
/// memory can have them), records beyond the reach of a file, duplicate names. Slots are list
/// positions and offsets are none.
std::vector<Finding> checkLibrary(const Library& library);
