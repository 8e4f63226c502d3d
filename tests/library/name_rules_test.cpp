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
