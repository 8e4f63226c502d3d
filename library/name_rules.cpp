#include "name_rules.h"

#include <algorithm>
#include <cstdint>

namespace {

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
char upperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

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

std::string foldedUtf8Name(std::string_view text) {
    std::string folded = foldedName(text);
    for (std::size_t i = 0; i + 1 < folded.size(); ++i) {
        const auto lead = static_cast<unsigned char>(folded[i]);
        const auto next = static_cast<unsigned char>(folded[i + 1]);
        if (lead == 0xC3 && next >= 0x80 && next <= 0x9E && next != 0x97) {
            folded[i + 1] = static_cast<char>(next + 0x20);
        }
        if (lead >= 0xC0) ++i;  // past the continuation byte that follows a lead byte
    }
    return folded;
}

void DistinctNames::claim(std::string_view name) { given_.insert(key_(name)); }

void DistinctNames::reserve(std::string_view name) { reserved_.insert(key_(name)); }

bool DistinctNames::isGiven(std::string_view name) const { return given_.count(key_(name)) != 0; }

std::string DistinctNames::take(std::string_view name, std::size_t capacity) {
    if (given_.insert(key_(name)).second) return std::string(name);
    for (int number = 2;; ++number) {
        const std::string suffix = "~" + std::to_string(number);
        const std::size_t keep =
            capacity == kUnlimited ? name.size() : std::min(name.size(), capacity - suffix.size());
        std::string candidate = std::string(name.substr(0, keep)) + suffix;
        const std::string key = key_(candidate);
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

bool isNamePattern(std::string_view typed) {
    return typed.find_first_of("*?[") != std::string_view::npos;
}

namespace {

bool sameByte(char a, char b, bool ignoringCase) {
    return ignoringCase ? lowerAscii(a) == lowerAscii(b) : a == b;
}

/// Matches the bracket set that starts at `pattern[at]` (just after `[`) against `c`; sets `end`
/// to the index after the closing `]`. False with `end` unchanged when the set has no closing
/// bracket, in which case `[` is an ordinary byte.
bool matchSet(std::string_view pattern, std::size_t at, char c, bool ignoringCase, std::size_t& end,
              bool& matched) {
    std::size_t i = at;
    bool negated = false;
    if (i < pattern.size() && (pattern[i] == '!' || pattern[i] == '^')) {
        negated = true;
        ++i;
    }
    bool inSet = false;
    bool first = true;
    while (i < pattern.size() && (first || pattern[i] != ']')) {
        first = false;
        char low = pattern[i];
        if (low == '\\' && i + 1 < pattern.size()) low = pattern[++i];
        char high = low;
        if (i + 2 < pattern.size() && pattern[i + 1] == '-' && pattern[i + 2] != ']') {
            high = pattern[i + 2];
            i += 2;
        }
        const auto in = [&](char x) {
            const auto u = static_cast<unsigned char>(x);
            return u >= static_cast<unsigned char>(low) && u <= static_cast<unsigned char>(high);
        };
        if (in(c) || (ignoringCase && (in(lowerAscii(c)) || in(upperAscii(c))))) inSet = true;
        ++i;
    }
    if (i >= pattern.size()) return false;
    end = i + 1;
    matched = inSet != negated;
    return true;
}

/// The edit distance of two names ignoring letter case, or `limit + 1` when it exceeds `limit`.
std::size_t foldedDistance(std::string_view a, std::string_view b, std::size_t limit) {
    const std::string x = foldedName(a);
    const std::string y = foldedName(b);
    if ((x.size() > y.size() ? x.size() - y.size() : y.size() - x.size()) > limit) {
        return limit + 1;
    }
    std::vector<std::size_t> row(y.size() + 1);
    for (std::size_t j = 0; j <= y.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= x.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= y.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (x[i - 1] != y[j - 1])});
            diagonal = above;
        }
    }
    return std::min(row[y.size()], limit + 1);
}

}  // namespace

bool matchesNamePattern(std::string_view pattern, std::string_view name, bool ignoringCase) {
    // Iterative matching with one remembered star: linear in practice, never exponential.
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t starP = std::string_view::npos;
    std::size_t starN = 0;
    while (n < name.size()) {
        if (p < pattern.size()) {
            const char c = pattern[p];
            if (c == '*') {
                starP = p++;
                starN = n;
                continue;
            }
            if (c == '?') {
                ++p;
                ++n;
                continue;
            }
            if (c == '[') {
                std::size_t end = 0;
                bool matched = false;
                if (matchSet(pattern, p + 1, name[n], ignoringCase, end, matched)) {
                    if (matched) {
                        p = end;
                        ++n;
                        continue;
                    }
                } else if (name[n] == '[') {
                    ++p;
                    ++n;
                    continue;
                }
            } else {
                const bool escaped = c == '\\' && p + 1 < pattern.size();
                if (sameByte(escaped ? pattern[p + 1] : c, name[n], ignoringCase)) {
                    p += escaped ? 2 : 1;
                    ++n;
                    continue;
                }
            }
        }
        if (starP == std::string_view::npos) return false;
        p = starP + 1;
        n = ++starN;
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

NameLookup lookUpName(std::span<const std::string_view> names, std::string_view typed) {
    NameLookup lookup;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i] == typed) lookup.found.push_back(i);
    }
    if (!lookup.found.empty()) {
        lookup.kind = NameLookup::Kind::Exact;
        return lookup;
    }
    const std::string folded = foldedName(typed);
    std::vector<std::size_t> caseOnly;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (foldedName(names[i]) == folded) caseOnly.push_back(i);
    }
    const bool oneName = !caseOnly.empty() &&
                         std::all_of(caseOnly.begin(), caseOnly.end(),
                                     [&](std::size_t i) { return names[i] == names[caseOnly[0]]; });
    if (oneName) {
        lookup.kind = NameLookup::Kind::IgnoringCase;
        lookup.found = std::move(caseOnly);
        return lookup;
    }
    if (isNamePattern(typed)) {
        for (const bool ignoringCase : {false, true}) {
            for (std::size_t i = 0; i < names.size(); ++i) {
                if (matchesNamePattern(typed, names[i], ignoringCase)) lookup.found.push_back(i);
            }
            if (!lookup.found.empty()) {
                lookup.kind = NameLookup::Kind::Pattern;
                return lookup;
            }
        }
    }
    // Names that differ only in case come first (several, or the lookup would have taken it),
    // then those a few edits away: one edit for short names, more for longer ones.
    const std::size_t limit = std::max<std::size_t>(1, typed.size() / 3);
    std::vector<std::pair<std::size_t, std::size_t>> ranked;  // distance, place
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::size_t distance = foldedDistance(typed, names[i], limit);
        if (distance <= limit) ranked.emplace_back(distance, i);
    }
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& entry : ranked) {
        const std::size_t place = entry.second;
        const bool seen = std::any_of(lookup.close.begin(), lookup.close.end(),
                                      [&](std::size_t i) { return names[i] == names[place]; });
        if (!seen) lookup.close.push_back(place);
        if (lookup.close.size() == 3) break;
    }
    return lookup;
}
