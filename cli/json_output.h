#pragma once

#include <nlohmann/json.hpp>
#include <ostream>

/// Keys stay in the order they were added, so the documented shapes read top-down.
using Json = nlohmann::ordered_json;

/// Writes `value` with two-space indents and a final newline. Texts that are not UTF-8 (a file
/// name in another encoding) get U+FFFD for the bytes that do not decode rather than an error.
void printJson(std::ostream& out, const Json& value);
