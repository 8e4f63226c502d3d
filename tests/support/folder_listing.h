#pragma once

#include <filesystem>
#include <string>
#include <vector>

/// The names of the entries of `directory`, sorted, so that a test can say exactly which files a
/// save left behind.
std::vector<std::string> listing(const std::filesystem::path& directory);
