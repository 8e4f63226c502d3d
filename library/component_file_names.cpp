#include "component_file_names.h"

#include "name_rules.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <map>
#include <string>
#include <string_view>

namespace {

constexpr std::string_view kEmptyStem = "%empty";
constexpr std::string_view kUnsafeBytes = "<>:\"/\\|?*%";

constexpr std::array<std::string_view, 26> kReservedDeviceNames = {
    "con",  "prn",  "aux",  "nul",  "com0", "com1", "com2",   "com3",   "com4",
    "com5", "com6", "com7", "com8", "com9", "lpt0", "lpt1",   "lpt2",   "lpt3",
    "lpt4", "lpt5", "lpt6", "lpt7", "lpt8", "lpt9", "conin$", "conout$"};

bool isPlain(unsigned char byte) {
    return byte >= 0x20 && byte <= 0x7E &&
           kUnsafeBytes.find(static_cast<char>(byte)) == kUnsafeBytes.npos;
}

void appendEscaped(std::string& out, unsigned char byte) {
    constexpr std::string_view kHex = "0123456789ABCDEF";
    out += '%';
    out += kHex[byte >> 4];
    out += kHex[byte & 0x0F];
}

// Windows treats `NUL.TXT` and `nul .x` as the device, so the part before the first dot is
// compared with its trailing spaces removed.
bool startsWithReservedDevice(std::string_view name) {
    std::string_view base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
    const std::string key = foldedName(base);
    return std::find(kReservedDeviceNames.begin(), kReservedDeviceNames.end(), key) !=
           kReservedDeviceNames.end();
}

std::string escapedStem(std::string_view name) {
    if (name.empty()) return std::string(kEmptyStem);
    const bool reserved = startsWithReservedDevice(name);
    std::string stem;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto byte = static_cast<unsigned char>(name[i]);
        const bool edge = i == 0 || i + 1 == name.size();
        const bool dotOrSpace = byte == '.' || byte == ' ';
        if (byte >= 0x80) {
            // A Latin-1 character, written as the UTF-8 every file system takes.
            stem += static_cast<char>(0xC0 | (byte >> 6));
            stem += static_cast<char>(0x80 | (byte & 0x3F));
        } else if (!isPlain(byte) || (edge && dotOrSpace) || (i == 0 && reserved)) {
            appendEscaped(stem, byte);
        } else {
            stem += static_cast<char>(byte);
        }
    }
    return stem;
}

}  // namespace

std::vector<std::string> componentFileNames(std::span<const std::string> names) {
    std::vector<std::string> stems(names.size());
    // Folded stem -> indices of the names that give it, ordered by name bytes, then input place.
    std::map<std::string, std::vector<std::size_t>> groups;
    // Told apart as a file system that ignores case sees them, Latin-1 letters included.
    DistinctNames given(foldedUtf8Name);
    for (std::size_t i = 0; i < names.size(); ++i) {
        stems[i] = escapedStem(names[i]);
        groups[foldedUtf8Name(stems[i])].push_back(i);
        given.reserve(stems[i]);
    }
    for (auto& [key, members] : groups) {
        std::stable_sort(members.begin(), members.end(),
                         [&](std::size_t a, std::size_t b) { return names[a] < names[b]; });
        for (const std::size_t member : members) stems[member] = given.take(stems[member]);
    }
    return stems;
}
