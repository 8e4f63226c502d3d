#pragma once

#include <span>
#include <string>
#include <vector>

/// One file-name stem per component name, in the same order, for writing one file per component
/// (a picture, an exported footprint) into a single folder on any file system.
///
/// Names are 8-bit byte strings as the directory holds them: up to 13 bytes, any byte 1 to 255,
/// possibly empty, possibly repeated, possibly differing only in letter case. The rule:
/// - Bytes 0x20 to 0x7E are kept as they are, except `< > : " / \ | ? * %`; bytes 0x80 to 0xFF
///   are read as Latin-1 characters and written in UTF-8 (byte 0xE9 gives `é`); every other
///   byte becomes `%` and two upper-case hex digits (`A/B` gives `A%2FB`, byte 0x01 `%01`).
///   `%` is escaped too, so a stem maps back to exactly one name.
/// - A leading dot or space and a trailing dot or space are escaped the same way, so no stem is
///   hidden on Unix, is `.` or `..`, or is cut short by Windows.
/// - When the part before the first dot, without trailing spaces and in any letter case, is a
///   device name Windows reserves (CON, PRN, AUX, NUL, COM0 to COM9, LPT0 to LPT9, CONIN$,
///   CONOUT$), its first byte is escaped: `con.x` gives `%63on.x`.
/// - An empty name gives `%empty`, which no escaped name can be (escapes use two hex digits).
/// - Stems that are equal when letters are folded to one case (ASCII and Latin-1 letters, as a
///   file system that ignores case folds them) are told apart: the spellings of such a group are
///   ordered by their bytes, exact repeats by their place in the input; the first keeps its stem
///   and each following one gets `~2`, `~3` and so on, skipping any result another name already
///   has.
/// The result is the same for the same names whatever their order, except for which of several
/// identical names gets which suffix. Stems are valid UTF-8 and under 50 bytes long for
/// names of up to 13 bytes; the caller adds the extension.
std::vector<std::string> componentFileNames(std::span<const std::string> names);
