#pragma once

#include <filesystem>
#include <string>
#include <vector>

/// Writes, beside `library`, the backup that a killed in-place save of it leaves (named for a
/// process that is gone), holding a library of `names`, and returns its path.
std::filesystem::path writeInterruptedBackup(const std::filesystem::path& library,
                                             const std::vector<std::string>& names);
