#pragma once

#include "console.h"
#include "copy_rule.h"
#include "open_for_writing.h"

#include <chrono>
#include <string>

/// Why the copy rule refused a component, as the rest of an error line.
std::string copyRefusal(CopyVerdict verdict);

/// The status a writer ends with when its library may not be written: Trouble when the file
/// could not be read, Failure when it was read and is not a library.
ExitStatus refusalStatus(const WritableLibrary& refused);

/// A `--wait SECONDS` value as a wait: whole milliseconds, never negative.
std::chrono::milliseconds waitFor(double seconds);
