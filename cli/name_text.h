#pragma once

// latin1ToUtf8, shared with the KiCad exchange, which writes names the same way.
#include "kicad_strings.h"

#include <optional>
#include <string>
#include <string_view>

// Component names are 8-bit codes. `cobble` shows them as Latin-1 characters, so that every code
// from 0 to 255 is one character and the text converts back to the very bytes stored.

/// A name as printed in text output: Latin-1 as UTF-8, with control codes (0 to 31, 127 to 159)
/// written `\xNN` and a backslash written `\\`, so that one name is always one printable line.
std::string nameForText(std::string_view name);

/// The bytes of a name typed the way `nameForText` prints it: UTF-8 of characters up to U+00FF,
/// `\xNN` and `\\` escapes. None when the text is not of that form.
std::optional<std::string> nameFromText(std::string_view text);
