#include "component_file_names.h"

#include "name_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>
#include <vector>

namespace {

struct SingleName {
    std::string name;
    std::string stem;
};

class ComponentFileNameOfOne : public testing::TestWithParam<SingleName> {};

TEST_P(ComponentFileNameOfOne, GivesTheStem) {
    const std::vector<std::string> names = {GetParam().name};
    EXPECT_EQ(componentFileNames(names), std::vector<std::string>{GetParam().stem});
}

INSTANTIATE_TEST_SUITE_P(
    Table, ComponentFileNameOfOne,
    testing::Values(
        SingleName{"DIP14", "DIP14"}, SingleName{"R 0.4 IN", "R 0.4 IN"},
        SingleName{"TO-220(V)_#1", "TO-220(V)_#1"}, SingleName{"A/B\\C", "A%2FB%5CC"},
        SingleName{"<>:\"|?*", "%3C%3E%3A%22%7C%3F%2A"}, SingleName{"50%", "50%25"},
        SingleName{"", "%empty"}, SingleName{std::string("\x01\x1F\x7F", 3), "%01%1F%7F"},
        // Latin-1 as UTF-8, so that a name reads in a file manager as in the window.
        SingleName{"R\xE9sist\xFF\x80", "R\xC3\xA9sist\xC3\xBF\xC2\x80"},
        // Hidden files, `.` and `..`, and names Windows trims.
        SingleName{".", "%2E"}, SingleName{"..", "%2E%2E"}, SingleName{"...", "%2E.%2E"},
        SingleName{".LIB", "%2ELIB"}, SingleName{"R1.", "R1%2E"}, SingleName{" R1 ", "%20R1%20"},
        SingleName{" ", "%20"},
        // Device names, with or without an extension, in any case.
        SingleName{"CON", "%43ON"}, SingleName{"con", "%63on"}, SingleName{"Nul.txt", "%4Eul.txt"},
        SingleName{"AUX .X", "%41UX .X"}, SingleName{"PRN", "%50RN"}, SingleName{"COM1", "%43OM1"},
        SingleName{"lpt9.a.b", "%6Cpt9.a.b"}, SingleName{"CONOUT$", "%43ONOUT$"},
        // Near misses stay plain.
        SingleName{"CONN", "CONN"}, SingleName{"COM10", "COM10"}, SingleName{"XCON", "XCON"},
        SingleName{"LPT", "LPT"}));

struct NameSet {
    std::vector<std::string> names;
    std::vector<std::string> stems;
};

class ComponentFileNamesOfMany : public testing::TestWithParam<NameSet> {};

TEST_P(ComponentFileNamesOfMany, GivesTheStems) {
    EXPECT_EQ(componentFileNames(GetParam().names), GetParam().stems);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ComponentFileNamesOfMany,
    testing::Values(NameSet{{"R1", "r1"}, {"R1", "r1~2"}},
                    // The order of distinct spellings does not change which one keeps its stem.
                    NameSet{{"r1", "R1"}, {"r1~2", "R1"}},
                    NameSet{{"R1", "R1", "R1"}, {"R1", "R1~2", "R1~3"}},
                    NameSet{{"ab", "AB", "Ab", "aB"}, {"ab~4", "AB", "Ab~2", "aB~3"}},
                    // A suffix never lands on a stem another name already has, in any case.
                    NameSet{{"R1", "r1", "R1~2"}, {"R1", "r1~3", "R1~2"}},
                    NameSet{{"R1", "r1", "r1~2"}, {"R1", "r1~3", "r1~2"}},
                    NameSet{{"", ""}, {"%empty", "%empty~2"}},
                    // Escapes keep names apart that differ in bytes a file name cannot hold.
                    NameSet{{"A/B", "A\\B", "A|B"}, {"A%2FB", "A%5CB", "A%7CB"}},
                    NameSet{{"A%2FB", "A/B"}, {"A%252FB", "A%2FB"}},
                    // Latin-1 capitals fold as a file system that ignores case folds them.
                    NameSet{{"\xE9", "\xC9", "\xD7", "\xF7"},
                            {"\xC3\xA9~2", "\xC3\x89", "\xC3\x97", "\xC3\xB7"}}));

// Every stem must be usable as is on Windows, macOS and Linux, and all must differ in any case,
// whatever bytes the names hold.
TEST(ComponentFileNames, EveryByteGivesSafeUniqueStems) {
    std::vector<std::string> names;
    for (int byte = 1; byte < 256; ++byte) {
        names.emplace_back(1, static_cast<char>(byte));
        names.push_back("X" + std::string(1, static_cast<char>(byte)) + "y");
        names.push_back(std::string(1, static_cast<char>(byte)) + "Z" +
                        std::string(1, static_cast<char>(byte)));
    }
    names.push_back("");
    names.push_back("");
    const auto stems = componentFileNames(names);
    ASSERT_EQ(stems.size(), names.size());
    std::set<std::string> folded;
    for (const auto& stem : stems) {
        ASSERT_FALSE(stem.empty());
        EXPECT_NE(stem.back(), '.') << stem;
        EXPECT_NE(stem.back(), ' ') << stem;
        EXPECT_NE(stem.front(), '.') << stem;
        for (std::size_t i = 0; i < stem.size(); ++i) {
            const auto byte = static_cast<unsigned char>(stem[i]);
            if (byte >= 0x80) {
                // Only the two-byte UTF-8 of U+0080 to U+00FF.
                ASSERT_TRUE((byte == 0xC2 || byte == 0xC3) && i + 1 < stem.size()) << stem;
                EXPECT_EQ(static_cast<unsigned char>(stem[++i]) & 0xC0, 0x80) << stem;
                continue;
            }
            EXPECT_TRUE(byte >= 0x20 && byte < 0x7F) << stem;
            EXPECT_EQ(std::string_view("<>:\"/\\|?*").find(stem[i]), std::string_view::npos)
                << stem;
        }
        EXPECT_TRUE(folded.insert(foldedUtf8Name(stem)).second) << stem;
    }
}

TEST(ComponentFileNames, SameNamesInAnotherOrderGiveTheSameStems) {
    std::vector<std::string> names = {"DIP8", "dip8", "Dip8", "CON", "a:b", "A:B", "R1", "r1~2"};
    const auto stems = componentFileNames(names);
    std::vector<std::string> reversed(names.rbegin(), names.rend());
    auto reversedStems = componentFileNames(reversed);
    std::reverse(reversedStems.begin(), reversedStems.end());
    EXPECT_EQ(stems, reversedStems);
}

}  // namespace
