#include "component_names.h"

#include "name_rules.h"

#include <algorithm>
#include <optional>
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

bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// How much a word tells a footprint from its neighbours: the lowest go first when a name must
// shrink. Words from kMustKeep up are cut rather than dropped, and dropped only when even cut
// words do not fit.
enum Weight : int {
    kMetricCode = 0,  // "1608Metric": the metric twin of the imperial size code before it
    kShared = 1,      // a word every footprint of the folder has
    kDimension = 2,   // "3.9x4.9mm", "W7.62mm", "EP3.45x3.45mm", "Lead5.84mm"
    kFamilyWord = 5,  // a first word without digits, often a maker's name
    kOther = 6,       // series codes, "Socket", "Relief", ...
    kPitch = 8,       // "P1.27mm"
    kMustKeep = 10,   // pin counts, variant words, numbers of a part code
    kPackage = 12,    // the first word with digits: "SOIC-8", "TO-220"
    kKept = 40,       // added to the word a candidate must keep
};

// Variant words and their short forms.
struct Abbreviation {
    std::string_view word;
    std::string_view shortForm;
};
constexpr Abbreviation kAbbreviations[] = {
    {"Horizontal", "H"},   {"Vertical", "V"},       {"HandSolder", "HS"},   {"ThermalVias", "TV"},
    {"TabDown", "TD"},     {"TabUp", "TU"},         {"Pin1Left", "1L"},     {"Pin1Right", "1R"},
    {"Window", "Win"},     {"Stagger", "Stg"},      {"Staggered", "Stg"},   {"StaggerOdd", "SO"},
    {"StaggerEven", "SE"}, {"Socket", "Sck"},       {"LongPads", "LP"},     {"Angled", "Ang"},
    {"Straight", "Str"},   {"Reverse", "Rev"},      {"Shielded", "Shd"},    {"Shielding", "Shd"},
    {"Horizontal1", "H1"}, {"Vertical1", "V1"},     {"SilkScreen", "Silk"}, {"Bridged", "Brg"},
    {"Round", "Rnd"},      {"CircularHoles", "CH"}, {"NumberLabels", "NL"}, {"TopBottom", "TB"},
    {"Lateral", "Lat"},    {"Upright", "Up"},       {"StrainRelief", "SR"}, {"Drill", "Dr"},
    {"Clearance", "Cl"},   {"SMD", "SMD"},          {"THT", "THT"},
};

std::optional<std::string_view> abbreviation(std::string_view word) {
    for (const Abbreviation& a : kAbbreviations) {
        if (a.word == word) return a.shortForm;
    }
    return std::nullopt;
}

// The length of the number (digits, then a point and digits) at `at`, or 0.
std::size_t numberAt(std::string_view word, std::size_t at) {
    std::size_t i = at;
    while (i < word.size() && isDigit(word[i])) ++i;
    if (i == at) return 0;
    if (i + 1 < word.size() && word[i] == '.' && isDigit(word[i + 1])) {
        ++i;
        while (i < word.size() && isDigit(word[i])) ++i;
    }
    return i - at;
}

bool isMetricWord(std::string_view word) {
    std::size_t i = 0;
    while (i < word.size() && isDigit(word[i])) ++i;
    return i > 0 && word.substr(i) == "Metric";
}

bool isPitchWord(std::string_view word) {
    if (word.size() < 2 || word[0] != 'P') return false;
    const std::size_t n = numberAt(word, 1);
    return n > 0 && (1 + n == word.size() || word.substr(1 + n) == "mm");
}

// Letters (at most six), then numbers joined by "x", then "mm": "3.9x4.9mm", "W7.62mm".
bool isDimensionWord(std::string_view word) {
    if (isPitchWord(word) || word.size() < 3 || word.substr(word.size() - 2) != "mm") return false;
    std::size_t i = 0;
    while (i < word.size() && isLetter(word[i])) ++i;
    if (i > 6) return false;
    while (true) {
        const std::size_t n = numberAt(word, i);
        if (n == 0) return false;
        i += n;
        if (i < word.size() && word[i] == 'x') {
            ++i;
            continue;
        }
        return i + 2 == word.size();
    }
}

// Rows by pins: "1x08", "2x20".
bool isCountWord(std::string_view word) {
    const std::size_t x = word.find('x');
    if (x == 0 || x == std::string_view::npos || x + 1 == word.size()) return false;
    return std::all_of(word.begin(), word.begin() + static_cast<std::ptrdiff_t>(x), isDigit) &&
           std::all_of(word.begin() + static_cast<std::ptrdiff_t>(x) + 1, word.end(), isDigit);
}

// Digits, then at most three letters: "8", "1EP", "7C".
bool isShortCode(std::string_view part) {
    std::size_t i = 0;
    while (i < part.size() && isDigit(part[i])) ++i;
    return i > 0 && part.size() - i <= 3 &&
           std::all_of(part.begin() + static_cast<std::ptrdiff_t>(i), part.end(), isLetter);
}

// A word as short as it says the same: "mm" after a number dropped, trailing zeros of a
// decimal dropped ("5.00mm" is "5", "2.50" is "2.5").
std::string trimmed(std::string_view word) {
    std::string out;
    for (std::size_t i = 0; i < word.size();) {
        const std::size_t n = numberAt(word, i);
        if (n > 0 && (i == 0 || !isDigit(word[i - 1]))) {
            std::string number(word.substr(i, n));
            if (number.find('.') != std::string::npos) {
                while (number.back() == '0') number.pop_back();
                if (number.back() == '.') number.pop_back();
            }
            out += number;
            i += n;
            const bool unitEnds =
                word.substr(i, 2) == "mm" && (i + 2 == word.size() || word[i + 2] == 'x');
            if (unitEnds) i += 2;
            continue;
        }
        out.push_back(word[i]);
        ++i;
    }
    return out;
}

struct NameWord {
    char separator;  // what joins it to the word before: '_' or '-'
    std::string text;
    int weight;
};

// The words of a KiCad name: split at "_", and a word that is no dimension, pitch, count or
// variant split again at "-", so that the parts of "TO-220-3" or "HLE-102-02" can go one by one.
std::vector<NameWord> nameWords(std::string_view name) {
    std::vector<NameWord> words;
    std::size_t start = 0;
    for (std::size_t index = 0;; ++index) {
        const std::size_t end = name.find('_', start);
        const std::string_view word = name.substr(start, end - start);
        int weight = -1;
        if (isMetricWord(word)) {
            weight = kMetricCode;
        } else if (isDimensionWord(word)) {
            weight = kDimension;
        } else if (isPitchWord(word)) {
            weight = kPitch;
        } else if (isCountWord(word) || abbreviation(word)) {
            weight = kMustKeep;
        }
        if (weight >= 0 || word.find('-') == std::string_view::npos) {
            if (weight < 0) {
                const bool digits = std::any_of(word.begin(), word.end(), isDigit);
                weight = index > 0 ? kOther : digits ? kPackage : kFamilyWord;
            }
            words.push_back({'_', std::string(word), weight});
        } else {
            std::size_t from = 0;
            for (bool first = true;; first = false) {
                const std::size_t dash = word.find('-', from);
                const std::string_view part = word.substr(from, dash - from);
                int partWeight = isShortCode(part) || abbreviation(part) ? kMustKeep : kOther;
                if (first) partWeight = index == 0 ? kPackage : kOther;
                words.push_back({first ? '_' : '-', std::string(part), partWeight});
                if (dash == std::string_view::npos) break;
                from = dash + 1;
            }
        }
        if (end == std::string_view::npos) return words;
        start = end + 1;
    }
}

std::string joined(const std::vector<NameWord>& words) {
    std::string out;
    for (const NameWord& word : words) {
        if (!out.empty()) out.push_back(word.separator);
        out += word.text;
    }
    return out;
}

// One short form of `words`, keeping the word at `keep` (if any) before all others: words of
// least weight dropped (the later first) until it fits, then the longest words without digits
// cut, then heavier words dropped, then the rest cut at 13.
std::string reduced(std::vector<NameWord> words, std::optional<std::size_t> keep) {
    std::vector<std::size_t> order(words.size());
    for (std::size_t i = 0; i < words.size(); ++i) {
        order[i] = i;
        if (const auto shortForm = abbreviation(words[i].text)) words[i].text = *shortForm;
        words[i].text = trimmed(words[i].text);
        if (keep && *keep == i) words[i].weight += kKept;
    }
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return words[a].weight != words[b].weight ? words[a].weight < words[b].weight : a > b;
    });
    std::vector<bool> dropped(words.size(), false);
    auto current = [&] {
        std::vector<NameWord> kept;
        for (std::size_t i = 0; i < words.size(); ++i) {
            if (!dropped[i]) kept.push_back(words[i]);
        }
        return joined(kept);
    };
    auto dropUpTo = [&](int weightLimit) {
        std::size_t left =
            static_cast<std::size_t>(std::count(dropped.begin(), dropped.end(), false));
        for (std::size_t i : order) {
            if (current().size() <= kTextCapacity || left <= 1) return;
            if (dropped[i] || words[i].weight >= weightLimit) continue;
            dropped[i] = true;
            --left;
        }
    };
    dropUpTo(kMustKeep);
    while (current().size() > kTextCapacity) {
        std::optional<std::size_t> longest;
        for (std::size_t i = 0; i < words.size(); ++i) {
            const std::string& text = words[i].text;
            if (dropped[i] || text.size() <= 3 || std::any_of(text.begin(), text.end(), isDigit)) {
                continue;
            }
            if (!longest || text.size() > words[*longest].text.size()) longest = i;
        }
        if (!longest) break;
        words[*longest].text.pop_back();
    }
    dropUpTo(kKept * 2);
    // A word dropped early may fit again once heavier ones made room: the heaviest come back
    // first.
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        if (!dropped[*it]) continue;
        dropped[*it] = false;
        if (current().size() > kTextCapacity) dropped[*it] = true;
    }
    std::string name = current();
    if (name.size() > kTextCapacity) name.resize(kTextCapacity);
    if (name.empty()) name = "_";  // a component needs a name to be found by
    return name;
}

// Printable ASCII, every other byte as "_".
std::string printable(std::string_view name) {
    std::string out(name);
    for (char& c : out) {
        if (c < 0x20 || c >= 0x7F) c = '_';
    }
    return out;
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

std::string mergeNameMappings(std::string_view text, const std::vector<NameMapping>& mappings) {
    std::map<std::string, std::string> byKicadName;
    std::set<std::string> shortNames;
    for (const NameMapping& mapping : mappings) {
        byKicadName[mapping.kicadName] = mapping.shortName;
        shortNames.insert(foldedName(mapping.shortName));
    }
    std::string out;
    std::set<std::string> written;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        std::string_view content = line;
        if (!content.empty() && content.back() == '\r') content.remove_suffix(1);
        const std::size_t tab = content.find('\t');
        if (content.empty() || content.front() == '#' || tab == std::string_view::npos) {
            out += std::string(line) + '\n';
            continue;
        }
        const std::string kicadName(content.substr(0, tab));
        const auto mapped = byKicadName.find(kicadName);
        if (mapped != byKicadName.end()) {
            if (written.insert(kicadName).second) out += kicadName + '\t' + mapped->second + '\n';
            continue;
        }
        // A short name now given to another footprint no longer names this one.
        if (shortNames.count(foldedName(content.substr(tab + 1))) != 0) continue;
        out += std::string(line) + '\n';
    }
    for (const NameMapping& mapping : mappings) {
        if (written.insert(mapping.kicadName).second) {
            out += mapping.kicadName + '\t' + byKicadName[mapping.kicadName] + '\n';
        }
    }
    return out;
}

std::map<std::string, std::string> footprintNamesByShortName(const NameOverrides& overrides) {
    std::map<std::string, std::string> names;
    for (const auto& [kicadName, shortName] : overrides.shortNames) {
        const std::size_t colon = kicadName.find(':');
        names.emplace(shortName,
                      colon == std::string::npos ? kicadName : kicadName.substr(colon + 1));
    }
    return names;
}

std::set<std::string> sharedNameWords(const std::vector<std::string_view>& names) {
    if (names.size() < 2) return {};
    std::set<std::string> shared;
    for (const NameWord& word : nameWords(names.front())) shared.insert(word.text);
    for (std::string_view name : names) {
        std::set<std::string> words;
        for (const NameWord& word : nameWords(name)) {
            if (shared.count(word.text) != 0) words.insert(word.text);
        }
        shared = std::move(words);
    }
    return shared;
}

std::vector<std::string> nameCandidates(std::string_view name,
                                        const std::set<std::string>& sharedWords) {
    const std::string ascii = printable(name);
    if (fits(ascii)) return {ascii};
    std::vector<NameWord> words = nameWords(ascii);
    // Past the words every footprint of the folder shares and a leading family word, the first
    // word with digits names the package ("Crystal_AT310_..." is an AT310).
    bool leading = true;
    for (NameWord& word : words) {
        if (sharedWords.count(word.text) != 0 && word.weight > kMetricCode) {
            word.weight = kShared;
            continue;
        }
        if (leading && word.separator == '_' && word.weight == kOther &&
            std::any_of(word.text.begin(), word.text.end(), isDigit)) {
            word.weight = kPackage;
        }
        leading = leading && (word.weight == kShared || word.weight == kFamilyWord);
    }
    std::vector<std::string> candidates = {reduced(words, std::nullopt)};
    std::vector<std::size_t> order(words.size());
    for (std::size_t i = 0; i < words.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return words[a].weight > words[b].weight;
    });
    for (std::size_t i : order) {
        std::string candidate = reduced(words, i);
        if (std::find(candidates.begin(), candidates.end(), candidate) == candidates.end()) {
            candidates.push_back(std::move(candidate));
        }
    }
    return candidates;
}

std::string compactName(std::string_view name, const std::set<std::string>& sharedWords) {
    return nameCandidates(name, sharedWords).front();
}

NamingResult shortenNames(const std::vector<NameRequest>& requests,
                          const std::vector<std::string>& existing,
                          const NameOverrides& overrides) {
    NamingResult result;
    std::map<std::string, std::vector<std::string_view>> byLibrary;
    for (const NameRequest& request : requests) {
        byLibrary[request.library].push_back(request.footprint);
    }
    std::map<std::string, std::set<std::string>> shared;
    for (const auto& [library, names] : byLibrary) {
        if (!library.empty()) shared[library] = sharedNameWords(names);
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

    // Each footprint has its short forms, best first. Round r gives each footprint still
    // unnamed its r-th form when no other footprint wants that form in the same round, so
    // that two footprints whose best forms collide both move on to forms that keep what tells
    // them apart; what is left takes its first free form, and only then a ~N.
    result.names.assign(requests.size(), std::string());
    std::vector<std::vector<std::string>> forms(requests.size());
    std::vector<bool> named(requests.size(), false);
    std::size_t rounds = 0;
    for (std::size_t i = 0; i < requests.size(); ++i) {
        const NameRequest& request = requests[i];
        if (const auto chosen = overrides.find(request.library, request.footprint)) {
            result.names[i] = *chosen;
            named[i] = true;
            continue;
        }
        forms[i] = nameCandidates(request.footprint, shared[request.library]);
        if (existingExact.count(forms[i].front()) != 0) {
            result.names[i] = forms[i].front();
            named[i] = true;
            continue;
        }
        rounds = std::max(rounds, forms[i].size());
    }
    for (std::size_t round = 0; round < rounds; ++round) {
        std::map<std::string, int> wanted;
        for (std::size_t i = 0; i < requests.size(); ++i) {
            if (!named[i] && round < forms[i].size()) ++wanted[foldedName(forms[i][round])];
        }
        for (std::size_t i = 0; i < requests.size(); ++i) {
            if (named[i] || round >= forms[i].size()) continue;
            const std::string& form = forms[i][round];
            if (wanted[foldedName(form)] == 1 && !taken.isGiven(form)) {
                result.names[i] = taken.take(form, kTextCapacity);
                named[i] = true;
            }
        }
    }
    for (std::size_t i = 0; i < requests.size(); ++i) {
        if (named[i]) continue;
        const auto free =
            std::find_if(forms[i].begin(), forms[i].end(),
                         [&](const std::string& form) { return !taken.isGiven(form); });
        result.names[i] =
            taken.take(free != forms[i].end() ? *free : forms[i].front(), kTextCapacity);
    }
    return result;
}
