#pragma once

#include <QString>

#include <string_view>

/// A file name (the system's bytes) as the window shows it: UTF-8 decoded, each byte that is no
/// part of valid UTF-8 written `\xNN` and a backslash written `\\`, so that two different names
/// never show alike, which decoding alone (every bad byte as U+FFFD) would not ensure.
QString fileNameText(std::string_view bytes);
