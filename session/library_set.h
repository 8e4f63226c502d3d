#pragma once

#include "file_io.h"
#include "library_session.h"

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

class Component;

/// The file the n-th library of a set goes to (n from 2): LIB.LIB gives LIB_2.LIB, a name
/// without an extension gets `_2` at its end.
std::string splitLibraryPath(const std::string& library, int n);

/// The libraries that components are added to as one: LIB, and, when the set may grow, LIB_2,
/// LIB_3, ... beside it, each taking what no earlier one has room for. Every library is opened
/// for writing through the session's rules, a name is held at most once in the whole set
/// (ignoring letter case), and the set is written as a whole.
class LibrarySet final {
public:
    struct Member {
        std::string path;
        std::unique_ptr<LibrarySession> session;
        /// Components added to this library.
        std::size_t added = 0;
        /// There was no file, and writing the set creates it.
        bool created = false;
        /// The last `write` wrote it.
        bool written = false;
        /// What the user should know about the file as it was opened (an interrupted save left
        /// a backup of it), as a lower-case clause; else empty.
        std::string note;
    };

    /// How a component fared.
    struct Placement {
        enum class Outcome {
            /// Added to `path`.
            placed,
            /// `path` already holds a component of that name, ignoring letter case.
            duplicate,
            /// `path` has no room (200 components, or records beyond the 16-bit index) and the
            /// set may not grow.
            full,
            /// The set had to grow into `path`, and that file may not be written: `failure`.
            unopenable,
        };
        Outcome outcome = Outcome::placed;
        std::string path;
        std::string failure;
    };

    /// The outcome of opening the set: the set, or why its first library may not be written.
    struct Opening;

    /// Opens `path` for writing (created when missing) and, when `mayGrow`, the libraries
    /// LIB_2, LIB_3, ... already beside it, up to the first that is missing or no library.
    /// Their locks are all taken first, at once and waiting up to `wait` in all, and held until
    /// the set is written, so that the names of every library are read and checked with nobody
    /// else writing any of them. A library the set grows into later is locked as it is opened,
    /// waiting as long.
    static Opening open(const std::string& path, bool mayGrow,
                        std::chrono::milliseconds wait = kSaveLockWait);

    /// Every name the set holds, library by library.
    std::vector<std::string> names() const;

    /// Adds `component` to the first library from the current one on that has room, growing the
    /// set when it may; refused when any library of the set holds its name, whatever library it
    /// would go to.
    Placement place(const Component& component);

    const std::vector<Member>& members() const { return members_; }

    /// Whether every library that took a component can be written (a file holds it); when one
    /// cannot, the result says why and `failedPath` names it.
    SaveResult check(std::string& failedPath) const;

    /// Writes every library that took a component, each whole and atomically, after `check`, so
    /// that a library no file can hold stops the write before any file has changed. The result
    /// says why one failed and `failedPath` names it.
    SaveResult write(std::string& failedPath);

private:
    LibrarySet() = default;
    bool holdsName(const std::string& name, std::string& holder) const;

    std::string path_;
    bool mayGrow_ = false;
    std::chrono::milliseconds wait_ = kSaveLockWait;
    std::vector<Member> members_;
    std::size_t current_ = 0;
};

struct LibrarySet::Opening {
    /// None when the first library may not be written; `failure` says why.
    std::unique_ptr<LibrarySet> set;
    std::string failure;
    /// The library `failure` is about: the first, or one of the set another writer held.
    std::string path;
    /// Another writer held a library of the set for the whole wait.
    bool busy = false;
    /// Whether that file could not be read at all, rather than read and found to be no library.
    bool unreadable = false;
};
