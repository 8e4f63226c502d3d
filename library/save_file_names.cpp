#include "save_file_names.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace {

constexpr std::string_view kMarker = ".~cobble-";
constexpr std::string_view kSave = "save-";
constexpr std::string_view kBackup = "backup-";
constexpr std::string_view kLock = "lock~";

/// The longest name the system allows for one folder entry.
constexpr std::size_t kNameMax = 255;
/// The longest decimal number a name carries: a 64-bit value.
constexpr std::size_t kNumberDigits = 20;
/// What the longest save file adds to its STEM: ".", the marker, "backup-", two numbers, "-", "~".
constexpr std::size_t kLongestAddition =
    1 + kMarker.size() + kBackup.size() + 2 * kNumberDigits + 2;
constexpr std::size_t kHashDigits = 16;

std::uint64_t fnv1a(std::string_view text) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

/// Reads a whole decimal number without sign or leading zero (unless it is "0").
std::optional<std::uint64_t> number(std::string_view digits) {
    if (digits.empty() || digits.size() > kNumberDigits ||
        (digits.size() > 1 && digits[0] == '0') ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    return value;
}

}  // namespace

std::string saveFileStem(std::string_view targetName) {
    if (targetName.size() + kLongestAddition <= kNameMax) return std::string(targetName);
    std::size_t keep = kNameMax - kLongestAddition - 1 - kHashDigits;
    // Cut before a whole UTF-8 sequence rather than inside one, so the stem stays readable.
    while (keep > 0 && (static_cast<unsigned char>(targetName[keep]) & 0xC0) == 0x80) --keep;
    std::array<char, kHashDigits> hex{};
    std::uint64_t hash = fnv1a(targetName);
    for (std::size_t i = kHashDigits; i-- > 0; hash >>= 4) hex[i] = "0123456789abcdef"[hash & 15];
    return std::string(targetName.substr(0, keep)) + "~" + std::string(hex.data(), hex.size());
}

std::string saveFileName(std::string_view targetName, SaveFileKind kind, std::uint64_t process,
                         std::uint64_t counter) {
    std::string name = "." + saveFileStem(targetName) + std::string(kMarker);
    switch (kind) {
        case SaveFileKind::lock:
            return name + std::string(kLock);
        case SaveFileKind::temporary:
            name += kSave;
            break;
        case SaveFileKind::backup:
            name += kBackup;
            break;
    }
    return name + std::to_string(process) + "-" + std::to_string(counter) + "~";
}

std::optional<SaveFileName> parseSaveFileName(std::string_view fileName) {
    if (fileName.size() < 2 || fileName.front() != '.') return std::nullopt;
    // Looked for from the end, so a STEM may itself contain the marker.
    const std::size_t at = fileName.rfind(kMarker);
    if (at == std::string_view::npos || at < 2) return std::nullopt;
    const std::string_view stem = fileName.substr(1, at - 1);
    const std::string_view tail = fileName.substr(at + kMarker.size());
    if (tail == kLock) return SaveFileName{SaveFileKind::lock, stem, 0};
    SaveFileKind kind = SaveFileKind::temporary;
    std::string_view numbers;
    if (tail.starts_with(kSave)) {
        numbers = tail.substr(kSave.size());
    } else if (tail.starts_with(kBackup)) {
        kind = SaveFileKind::backup;
        numbers = tail.substr(kBackup.size());
    } else {
        return std::nullopt;
    }
    if (!numbers.ends_with('~')) return std::nullopt;
    numbers.remove_suffix(1);
    const std::size_t dash = numbers.find('-');
    if (dash == std::string_view::npos) return std::nullopt;
    const auto process = number(numbers.substr(0, dash));
    if (!process || !number(numbers.substr(dash + 1))) return std::nullopt;
    return SaveFileName{kind, stem, *process};
}

bool isSaveTemporaryName(std::string_view fileName) {
    return parseSaveFileName(fileName).has_value();
}
