#include "name_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Taking {
    const char* what;
    std::vector<std::string> claimed;
    std::vector<std::string> reserved;
    std::vector<std::string> asked;
    std::size_t capacity;
    std::vector<std::string> given;
};

void PrintTo(const Taking& t, std::ostream* os) { *os << t.what; }

class DistinctNamesTaking : public testing::TestWithParam<Taking> {};

TEST_P(DistinctNamesTaking, GivesNoTwoNamesThatDifferOnlyInCase) {
    DistinctNames names;
    for (const auto& name : GetParam().claimed) names.claim(name);
    for (const auto& name : GetParam().reserved) names.reserve(name);
    std::vector<std::string> given;
    for (const auto& name : GetParam().asked)
        given.push_back(names.take(name, GetParam().capacity));
    EXPECT_EQ(given, GetParam().given);
}

constexpr std::size_t kAny = DistinctNames::kUnlimited;

INSTANTIATE_TEST_SUITE_P(
    Table, DistinctNamesTaking,
    testing::Values(
        Taking{"repeats count on", {}, {}, {"A", "a", "A"}, kAny, {"A", "a~2", "A~3"}},
        Taking{"claimed names are never given", {"r1"}, {}, {"R1", "R1"}, kAny, {"R1~2", "R1~3"}},
        // A reserved name is kept for whoever asks for it by that name, even later.
        Taking{"reserved names wait", {}, {"x~2"}, {"X", "X", "x~2"}, kAny, {"X", "X~3", "x~2"}},
        // At the limit the suffix replaces the last characters instead of making it longer.
        Taking{"suffix within capacity",
               {},
               {},
               {"ABCDEFGHIJKLM", "abcdefghijklm", "ABCDEFGHIJKLM"},
               13,
               {"ABCDEFGHIJKLM", "abcdefghijk~2", "ABCDEFGHIJK~3"}},
        Taking{
            "bytes above ASCII keep their case", {}, {}, {"\xC9", "\xE9"}, kAny, {"\xC9", "\xE9"}}),
    [](const testing::TestParamInfo<Taking>& row) {
        std::string name = row.param.what;
        for (char& c : name) {
            if (c == ' ') c = '_';
        }
        return name;
    });

}  // namespace

namespace {

struct PatternCase {
    const char* pattern;
    const char* name;
    bool ignoringCase;
    bool matches;
};

struct LookupCase {
    const char* what;
    const char* typed;
    NameLookup::Kind kind;
    std::vector<std::size_t> found;
    std::vector<std::size_t> close;
};

void PrintTo(const LookupCase& c, std::ostream* os) { *os << c.what; }

}  // namespace

TEST(NamePatterns, MatchByteByByteLikeTheShell) {
    const PatternCase cases[] = {
        {"SO*", "SO8", false, true},
        {"SO*", "SO", false, true},
        {"SO*", "XSO8", false, false},
        {"DIP1?", "DIP14", false, true},
        {"DIP1?", "DIP1", false, false},
        {"*8", "SO8", false, true},
        {"*O*8*", "SOT-23-8", false, true},
        {"*O*8*", "SOT-23", false, false},
        {"[CR]0805", "R0805", false, true},
        {"[!CR]0805", "R0805", false, false},
        {"[^CR]0805", "L0805", false, true},
        {"R[0-9]", "R7", false, true},
        {"R[0-9]", "RX", false, false},
        {"A[]]B", "A]B", false, true},
        {"A[B", "A[B", false, true},  // an unclosed set is a plain bracket
        {"\\*", "*", false, true},
        {"\\*", "X", false, false},
        {"so*", "SO8", false, false},
        {"so*", "SO8", true, true},
        {"[a-c]1", "B1", true, true},
        {"?\xE9", "R\xE9", false, true},  // bytes above 127 are single bytes, whatever the locale
        {"**************************b", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", false, false},
    };
    for (const PatternCase& c : cases) {
        EXPECT_EQ(matchesNamePattern(c.pattern, c.name, c.ignoringCase), c.matches)
            << c.pattern << " ~ " << c.name << (c.ignoringCase ? " ignoring case" : "");
    }
}

class NameLookupTable : public testing::TestWithParam<LookupCase> {};

// The names of a library in list order: two equal, two equal but for case.
const std::vector<std::string_view> kHeld = {"DIP14", "DIP16", "R0805", "R0805", "SO8",
                                             "SOT23", "Sw1",   "SW1",   "DIP*"};

TEST_P(NameLookupTable, FindsExactThenUniqueIgnoringCaseThenByPatternElseSaysWhatIsClose) {
    const LookupCase& c = GetParam();
    const NameLookup lookup = lookUpName(kHeld, c.typed);
    EXPECT_EQ(lookup.kind, c.kind);
    EXPECT_EQ(lookup.found, c.found);
    EXPECT_EQ(lookup.close, c.close);
}

using K = NameLookup::Kind;
INSTANTIATE_TEST_SUITE_P(
    Table, NameLookupTable,
    testing::Values(
        LookupCase{"exact, both of a name held twice", "R0805", K::Exact, {2, 3}, {}},
        LookupCase{"ignoring case", "so8", K::IgnoringCase, {4}, {}},
        LookupCase{"a pattern's own name is taken as it is", "DIP*", K::Exact, {8}, {}},
        LookupCase{"pattern", "DIP1?", K::Pattern, {0, 1}, {}},
        LookupCase{
            "pattern ignoring case when nothing matches as typed", "sot*", K::Pattern, {5}, {}},
        LookupCase{"two names equal but for case are no answer", "sw1", K::None, {}, {6, 7}},
        LookupCase{"one letter off", "SO9", K::None, {}, {4}},
        LookupCase{"too far off for a suggestion", "QFP44", K::None, {}, {}},
        LookupCase{"at most three, closest first", "DIP1", K::None, {}, {0, 1, 8}}));
