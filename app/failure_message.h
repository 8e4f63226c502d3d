#pragma once

#include <QString>

#include <string>

/// The text of a message box that reports a failure: `whatFailed`, a sentence saying what did not
/// happen ("The source library was not saved."), then after a blank line the file and the reason
/// the lower layers gave, as `cobble` prints them ("/home/a/IC.LIB: is read-only"). The reason is
/// shown as it is, never re-worded; `file` (the system's bytes) is left out when `whatFailed`
/// names it already.
QString failureMessage(const QString& whatFailed, const std::string& reason,
                       const std::string& file = {});
