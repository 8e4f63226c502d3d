#pragma once

#include "console.h"
#include "failure.h"
#include "library.h"
#include "library_text.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

/// A library file read for a command: its bytes, the library loaded from them, and the directory
/// slot each component came from.
struct LoadedLibrary {
    std::string path;
    std::vector<std::uint8_t> image;
    Library library;
    /// The slot of `library.components()[i]`, for each i.
    std::vector<std::size_t> directorySlots;
};

/// Why a file could not be taken as a library, and the status that ends the command: Trouble when
/// the file could not be read, Failure when it was read and is not a library.
struct ReadFailure : Failure {
    ExitStatus status = ExitStatus::Trouble;
};

/// The outcome of reading a file: a library, or why there is none.
struct LibraryRead {
    std::unique_ptr<LoadedLibrary> loaded;
    ReadFailure failure;
};

/// The path that stands for standard input, as in other shell programs; a file named `-` is
/// reached as `./-`.
inline constexpr const char* kStandardInput = "-";

/// Reads the whole file at `path` (only the part any component can reach, for a huge one) and
/// loads it; `-` reads standard input to its end, once: a second read gives the same bytes. A
/// missing file, a folder, a special file, one that cannot be read, one shorter than a header and
/// one without the signature each give their own reason.
LibraryRead readLibraryFile(const std::string& path);

/// `readLibraryFile` for a command: when there is no library, says why on the error stream
/// (`cobble: FILE: REASON`), and `failure.status` is the status the command ends with.
LibraryRead readLibraryOrReport(const std::string& path, const Console& console);

/// When the loader had to repair `loaded` (records dropped, counts lowered, a directory cut
/// short), says so once on the error stream and points to `cobble check`; a command that shows or
/// converts a library goes on all the same, with its status unchanged.
void warnIfDamaged(const LoadedLibrary& loaded, const Console& console);

/// Reads the file's bytes only, with the same reasons for a file that cannot be read; a file
/// that is no library is no failure here.
struct FileRead {
    bool ok = false;
    std::vector<std::uint8_t> bytes;
    ReadFailure failure;
};
FileRead readWholeFile(const std::string& path);

/// The same with a limit of the caller's: at most `limit` bytes from the start of the file.
FileRead readFileUpTo(const std::string& path, std::size_t limit);

/// A library text read from a file: its components, or why there are none. A file that cannot be
/// read fails with Trouble; one that is too large or is no valid text with Failure, the reason
/// giving the line and column of the fault.
struct LibraryTextFile {
    LibraryTextRead text;
    ReadFailure failure;
    bool ok = false;
};
LibraryTextFile readLibraryTextFile(const std::string& path);

/// The components in the order the window lists them: by name ignoring letter case, names equal
/// but for case in directory order.
std::vector<const Component*> componentsInListOrder(const LoadedLibrary& loaded);

/// The components whose name is exactly `name`, in list order; several when the file holds one
/// name twice.
std::vector<const Component*> componentsNamed(const LoadedLibrary& loaded, const std::string& name);

/// What one NAME argument of a command stands for in a library, by the name rules (exact, then
/// the one name equal but for letter case, then a shell pattern; each tried on the argument's
/// bytes, then on the argument read as printed text): the distinct stored names it finds, in list
/// order; none, with the rest of an error line saying so and naming close ones, when nothing.
struct NamedArgument {
    std::vector<std::string> names;
    std::string problem;
};
NamedArgument resolveNames(const Library& library, const std::string& argument);

/// The components the NAME arguments of a command choose, in the order given, each once; all of
/// them in list order when there are none. `problems` gets one error text for each argument that
/// finds nothing; the components of the others are chosen all the same.
struct ComponentChoice {
    std::vector<const Component*> components;
    std::vector<std::string> problems;
};
ComponentChoice chooseComponents(const LoadedLibrary& loaded,
                                 const std::vector<std::string>& names);
