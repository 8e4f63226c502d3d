#pragma once

#include "library_file_builder.h"

#include <QString>

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

// Helpers for driving the real window: running the event loop as the program does.

/// Runs the event loop for `milliseconds`, letting it wait for events as the program's own loop
/// does (so that the window's idle refresh runs).
void spinEventLoop(int milliseconds);

/// Runs the event loop until `condition` holds or `timeoutMs` have passed; whether it held.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 5000);

QString toQString(const std::filesystem::path& path);

inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
