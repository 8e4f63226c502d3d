#pragma once

#include <string>

/// Why an operation did not do what it was asked, in the one form every layer passes on as it
/// is: a clause that starts in lower case, ends without a full stop and does not name the file
/// the caller asked about ("another program is writing it (waited 5 s)"), since the caller puts
/// that file in front of it: `cobble` prints `cobble: FILE: REASON`, the window says what did
/// not happen and then gives the file and the clause. Any other file the failure concerns (a
/// folder, a backup, a lock file) is named in the clause, in double quotes. Results that can fail
/// carry one of these.
struct Failure {
    /// Empty when nothing failed.
    std::string reason;
    /// The file the failure is about, when the caller may not know it (one of several saved
    /// together, say); else empty or the file asked about.
    std::string path;
};

/// The system's text for the error number `error` as a clause of its own ("permission denied"),
/// for a reason that is the error alone or follows "cannot be read: ".
std::string systemErrorClause(int error);
