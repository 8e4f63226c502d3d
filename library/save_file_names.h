#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

/// The files a save keeps beside its target NAME while it runs, all hidden and named in a pattern
/// no person would choose for a file of their own:
///   ".STEM.~cobble-save-PID-N~"    the new content before it is renamed over NAME,
///   ".STEM.~cobble-backup-PID-N~"  the old content while NAME is rewritten in place,
///   ".STEM.~cobble-lock~"          the file writers lock to take turns at NAME.
/// PID is the saving process and N a counter within it, both decimal digits. STEM is NAME itself,
/// or, when the longest of these names would pass the system's 255-byte limit, the start of NAME
/// followed by "~" and 16 hexadecimal digits of a hash of the whole NAME, so that a library with a
/// long name can still be saved.
enum class SaveFileKind { temporary, backup, lock };

struct SaveFileName {
    SaveFileKind kind;
    /// The STEM part: the target's name, or its shortened form.
    std::string_view stem;
    /// The process that made the file; 0 for a lock file.
    std::uint64_t process = 0;
};

/// The STEM used for the files of the target named `targetName` (a name without folder).
std::string saveFileStem(std::string_view targetName);

/// The name of a file of `kind` for the target named `targetName`; `process` and `counter` are
/// ignored for a lock file.
std::string saveFileName(std::string_view targetName, SaveFileKind kind, std::uint64_t process = 0,
                         std::uint64_t counter = 0);

/// Splits a name in the pattern above into its parts; none for any other name.
std::optional<SaveFileName> parseSaveFileName(std::string_view fileName);

/// Whether `fileName` (a name without folder) is one of the files above. They may carry the
/// library signature but are no library of their own, so the directory scan skips them.
bool isSaveTemporaryName(std::string_view fileName);
