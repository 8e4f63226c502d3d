#include "name_rules.h"

#include <algorithm>
#include <cstdint>

namespace {

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

/// The simple case folding of a Latin-1 character, as a Unicode code point: the capitals of
/// A to Z and of the accented range fold to their small letters, and the micro sign folds to the
/// Greek small mu, which places it after every Latin-1 letter.
std::uint32_t foldLatin1(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return c + 0x20u;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20u;
    if (c == 0xB5) return 0x03BCu;
    return c;
}

}  // namespace

std::string foldedName(std::string_view text) {
    std::string folded(text);
    std::transform(folded.begin(), folded.end(), folded.begin(), lowerAscii);
    return folded;
}

int compareNamesIgnoringCase(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const std::uint32_t x = foldLatin1(static_cast<unsigned char>(a[i]));
        const std::uint32_t y = foldLatin1(static_cast<unsigned char>(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

void DistinctNames::claim(std::string_view name) { given_.insert(foldedName(name)); }

void DistinctNames::reserve(std::string_view name) { reserved_.insert(foldedName(name)); }

bool DistinctNames::isGiven(std::string_view name) const {
    return given_.count(foldedName(name)) != 0;
}

std::string DistinctNames::take(std::string_view name, std::size_t capacity) {
    if (given_.insert(foldedName(name)).second) return std::string(name);
    for (int number = 2;; ++number) {
        const std::string suffix = "~" + std::to_string(number);
        const std::size_t keep =
            capacity == kUnlimited ? name.size() : std::min(name.size(), capacity - suffix.size());
        std::string candidate = std::string(name.substr(0, keep)) + suffix;
        const std::string key = foldedName(candidate);
        if (given_.count(key) == 0 && reserved_.count(key) == 0) {
            given_.insert(key);
            return candidate;
        }
    }
}

// Sorting instead of maps keeps this free of an allocation per name: it runs for every file
// checked.
std::vector<NameClash> nameClashes(std::span<const NamedPlace> names, bool firstIsFound) {
    struct Keyed {
        std::string folded;
        std::size_t index;  // into `names`
    };
    std::vector<Keyed> keyed;
    keyed.reserve(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        keyed.push_back({foldedName(names[i].name), i});
    }
    // Equal folded names together; within them equal names together; each in order of place.
    std::sort(keyed.begin(), keyed.end(), [&](const Keyed& a, const Keyed& b) {
        if (a.folded != b.folded) return a.folded < b.folded;
        if (names[a.index].name != names[b.index].name) {
            return names[a.index].name < names[b.index].name;
        }
        return a.index < b.index;
    });
    std::vector<NameClash> clashes;
    for (std::size_t run = 0; run < keyed.size();) {
        std::size_t runEnd = run;
        while (runEnd < keyed.size() && keyed[runEnd].folded == keyed[run].folded) ++runEnd;
        // The first place among the names of this run: where the first distinct one appears.
        std::size_t firstIndex = keyed[run].index;
        for (std::size_t k = run; k < runEnd; ++k)
            firstIndex = std::min(firstIndex, keyed[k].index);
        for (std::size_t group = run; group < runEnd;) {
            std::size_t groupEnd = group;
            while (groupEnd < runEnd &&
                   names[keyed[groupEnd].index].name == names[keyed[group].index].name) {
                ++groupEnd;
            }
            const std::size_t found = keyed[firstIsFound ? group : groupEnd - 1].index;
            for (std::size_t k = group; k < groupEnd; ++k) {
                if (keyed[k].index != found) {
                    clashes.push_back({NameClash::Kind::Duplicate, keyed[k].index, found});
                }
            }
            const std::size_t front = keyed[group].index;
            if (front != firstIndex) {
                clashes.push_back({NameClash::Kind::CaseOnly, front, firstIndex});
            }
            group = groupEnd;
        }
        run = runEnd;
    }
    std::sort(clashes.begin(), clashes.end(), [](const NameClash& a, const NameClash& b) {
        return a.at != b.at ? a.at < b.at : a.kind < b.kind;
    });
    return clashes;
}
