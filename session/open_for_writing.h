#pragma once

#include "library_session.h"

#include <chrono>
#include <memory>
#include <string>

/// A library opened to be changed and written back, or why it may not be.
struct WritableLibrary {
    /// None when the file may not be changed; `failure` says why.
    std::unique_ptr<LibrarySession> session;
    /// Why not, as a lower-case clause that does not name the file.
    std::string failure;
    /// Whether the file could not be read at all (missing, a folder, a special file, no access),
    /// rather than read and found to be no library.
    bool unreadable = false;
    /// There was no file, and a save creates it.
    bool created = false;
    /// Another writer held the file's lock for the whole wait.
    bool busy = false;
    /// Tells, when an interrupted save left a backup of the file, where to recover it, as a
    /// lower-case clause; else empty.
    std::string note;

    explicit operator bool() const { return session != nullptr; }
};

/// Opens the library at `path` to be changed and written back through the session's rules, the
/// one way every writer other than the window starts. A missing file gives an empty library that
/// a save creates when `createWhenMissing`, and a refusal otherwise; a folder, a special file, a
/// file that cannot be read and a file that is not a library are refused, so that nothing is
/// ever written over them.
///
/// The file's lock is taken first, waiting up to `wait` for another writer, and the session
/// holds it until its save: the library is read, changed and written with nobody else writing
/// in between, so a change the writer reports is in the file.
WritableLibrary openForWriting(const std::string& path, bool createWhenMissing,
                               std::chrono::milliseconds wait = kSaveLockWait);

/// The same for a file whose lock the caller has taken already, together with others: the
/// session shares `lock` and holds it until its save.
WritableLibrary openLockedForWriting(const std::string& path, bool createWhenMissing,
                                     std::shared_ptr<LibraryLock> lock);
