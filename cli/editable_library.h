#pragma once

#include "console.h"
#include "library_input.h"
#include "library_session.h"

#include <memory>
#include <string>

/// A library file opened to be changed and written back, through the same session rules as the
/// window: a file that exists is written over only when it was read as a library.
struct EditableLibrary {
    /// None when the file cannot be changed; `failure` says why.
    std::unique_ptr<LibrarySession> session;
    ReadFailure failure;
    /// True when there was no file and a save will create it.
    bool created = false;
};

/// Opens the library at `path`. A missing file gives an empty library that a save creates when
/// `createWhenMissing`, and an error otherwise; a folder, a special file, a file that cannot be
/// read and a file that is not a library are errors, so nothing is ever written over them.
EditableLibrary openForWriting(const std::string& path, bool createWhenMissing);

/// A save's reason as the rest of an error line: no capital, no full stop.
std::string errorText(std::string reason);
