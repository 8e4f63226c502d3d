#include "component_names.h"

#include "name_rules.h"

#include <algorithm>
#include <set>
#include <utility>

namespace {

bool fits(std::string_view name) {
    if (name.empty() || name.size() > kTextCapacity) {
        return false;
    }
    return std::all_of(name.begin(), name.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

void replaceAll(std::string& text, std::string_view from, std::string_view to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

// Drops "_1005Metric" (the metric twin of an imperial size code) and, when `millimetres` is
// set, the unit "mm" after a digit.
std::string dropUnits(std::string_view name, bool millimetres) {
    std::string out;
    for (std::size_t i = 0; i < name.size();) {
        if (name[i] == '_') {
            std::size_t j = i + 1;
            while (j < name.size() && isDigit(name[j])) {
                ++j;
            }
            if (j > i + 1 && name.substr(j, 6) == "Metric") {
                i = j + 6;
                continue;
            }
        }
        if (millimetres && name.substr(i, 2) == "mm" && i > 0 && isDigit(name[i - 1])) {
            i += 2;
            continue;
        }
        out.push_back(name[i]);
        ++i;
    }
    return out;
}

std::vector<std::string> splitWords(std::string_view name) {
    std::vector<std::string> words;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = name.find('_', start);
        words.emplace_back(name.substr(start, end - start));
        if (end == std::string_view::npos) {
            return words;
        }
        start = end + 1;
    }
}

std::string joinWords(const std::vector<std::string>& words) {
    std::string out;
    for (const std::string& word : words) {
        out += (out.empty() ? "" : "_") + word;
    }
    return out;
}

// Drops the words after the first for which `drop` holds.
template <typename Predicate>
std::string dropWords(std::string_view name, Predicate drop) {
    std::vector<std::string> words = splitWords(name);
    std::vector<std::string> kept;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i == 0 || !drop(words[i])) {
            kept.push_back(words[i]);
        }
    }
    return joinWords(kept);
}

// A body or pad size such as "3.9x4.9mm" or "EP3.45x3.45mm"; "1x02" (rows by pins) is not one.
bool isSizeWord(std::string_view word) {
    if (word.size() < 5 || word.substr(word.size() - 2) != "mm") {
        return false;
    }
    for (std::size_t i = 1; i + 1 < word.size(); ++i) {
        if (word[i] == 'x' && isDigit(word[i - 1]) && isDigit(word[i + 1])) {
            return true;
        }
    }
    return false;
}

// A pitch such as "P1.27" (its unit already dropped).
bool isPitchWord(std::string_view word) {
    return word.size() >= 2 && word[0] == 'P' && isDigit(word[1]);
}

}  // namespace

std::optional<std::string> NameOverrides::find(std::string_view library,
                                               std::string_view footprint) const {
    if (!library.empty()) {
        const auto qualified = shortNames.find(std::string(library) + ":" + std::string(footprint));
        if (qualified != shortNames.end()) {
            return qualified->second;
        }
    }
    const auto plain = shortNames.find(std::string(footprint));
    if (plain != shortNames.end()) {
        return plain->second;
    }
    return std::nullopt;
}

NameOverridesResult parseNameOverrides(std::string_view text) {
    NameOverridesResult result;
    NameOverrides overrides;
    int lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.empty() || line.front() == '#') {
            continue;
        }
        const std::string where = "line " + std::to_string(lineNumber) + ": ";
        const std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos || tab == 0) {
            result.error = where + "expected a KiCad name, a tab and a short name";
            return result;
        }
        const std::string kicadName(line.substr(0, tab));
        const std::string shortName(line.substr(tab + 1));
        if (!fits(shortName)) {
            result.error = where + "the short name \"" + shortName +
                           "\" must be 1 to 13 printable ASCII characters";
            return result;
        }
        if (!overrides.shortNames.emplace(kicadName, shortName).second) {
            result.error = where + kicadName + " is named twice";
            return result;
        }
    }
    result.overrides = std::move(overrides);
    return result;
}

std::string commonNamePrefix(const std::vector<std::string_view>& names) {
    if (names.size() < 2) {
        return {};
    }
    std::size_t length = names.front().size();
    for (std::string_view name : names) {
        length = std::min(length, name.size());
        for (std::size_t i = 0; i < length; ++i) {
            if (name[i] != names.front()[i]) {
                length = i;
                break;
            }
        }
    }
    // Back to the last separator, so no word is cut in half; the prefix must leave every name
    // at least one character.
    std::string_view prefix = names.front().substr(0, length);
    while (!prefix.empty() && prefix.back() != '_' && prefix.back() != '-') {
        prefix.remove_suffix(1);
    }
    for (std::string_view name : names) {
        if (name.size() <= prefix.size()) {
            return {};
        }
    }
    return std::string(prefix);
}

std::string compactName(std::string_view name, std::string_view commonPrefix) {
    if (fits(name)) {
        return std::string(name);
    }
    std::string current(name);
    for (char& c : current) {
        if (c < 0x20 || c >= 0x7F) {
            c = '_';
        }
    }
    if (fits(current)) {
        return current;
    }
    replaceAll(current, "Vertical", "V");
    replaceAll(current, "Horizontal", "H");
    replaceAll(current, "HandSolder", "HS");
    replaceAll(current, "ThermalVias", "TV");
    const std::string withUnits = dropUnits(current, false);
    current = dropUnits(withUnits, true);
    if (fits(current)) {
        return current;
    }
    current = dropUnits(dropWords(withUnits, isSizeWord), true);
    if (fits(current)) {
        return current;
    }
    if (!commonPrefix.empty() && current.size() > commonPrefix.size() &&
        std::string_view(current).substr(0, commonPrefix.size()) == commonPrefix) {
        current.erase(0, commonPrefix.size());
    }
    if (fits(current)) {
        return current;
    }
    current = dropWords(current, isPitchWord);
    if (current.size() > kTextCapacity) {
        current.resize(kTextCapacity);
    }
    if (current.empty()) {
        current = "_";
    }
    return current;
}

NamingResult shortenNames(const std::vector<NameRequest>& requests,
                          const std::vector<std::string>& existing,
                          const NameOverrides& overrides) {
    NamingResult result;
    std::map<std::string, std::vector<std::string_view>> byLibrary;
    for (const NameRequest& request : requests) {
        byLibrary[request.library].push_back(request.footprint);
    }
    std::map<std::string, std::string> prefixes;
    for (const auto& [library, names] : byLibrary) {
        prefixes[library] = library.empty() ? std::string() : commonNamePrefix(names);
    }

    // Existing names are matched exactly first: an exact match is left to the copy rule.
    std::set<std::string> existingExact(existing.begin(), existing.end());
    DistinctNames taken;
    for (const std::string& name : existing) {
        taken.claim(name);
    }
    DistinctNames overrideNames;
    for (const NameRequest& request : requests) {
        if (const auto chosen = overrides.find(request.library, request.footprint)) {
            if (overrideNames.isGiven(*chosen)) {
                result.error = "the short name " + *chosen +
                               " is given to two footprints (names are compared ignoring case)";
                return result;
            }
            overrideNames.claim(*chosen);
            taken.claim(*chosen);
        }
    }

    result.names.reserve(requests.size());
    for (const NameRequest& request : requests) {
        if (const auto chosen = overrides.find(request.library, request.footprint)) {
            result.names.push_back(*chosen);
            continue;
        }
        std::string base = compactName(request.footprint, prefixes[request.library]);
        if (existingExact.count(base) != 0) {
            result.names.push_back(std::move(base));
        } else {
            result.names.push_back(taken.take(base, kTextCapacity));
        }
    }
    return result;
}
