#include "component_names.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct CompactCase {
    const char* name;
    const char* prefix;
    const char* expected;
};

class CompactName : public testing::TestWithParam<CompactCase> {};

TEST_P(CompactName, ShortensByTheRules) {
    const std::string shortName = compactName(GetParam().name, GetParam().prefix);
    EXPECT_EQ(shortName, GetParam().expected);
    EXPECT_LE(shortName.size(), kTextCapacity);
}

INSTANTIATE_TEST_SUITE_P(
    KicadNames, CompactName,
    testing::Values(CompactCase{"SOT-23", "", "SOT-23"},
                    CompactCase{"Exactly13Char", "", "Exactly13Char"},
                    CompactCase{"R_0603_1608Metric", "R_", "R_0603"},
                    CompactCase{"SOIC-8_3.9x4.9mm_P1.27mm", "", "SOIC-8_P1.27"},
                    CompactCase{"PinHeader_1x02_P2.54mm_Vertical", "PinHeader_", "1x02_P2.54_V"},
                    CompactCase{"PinHeader_2x05_P2.54mm_Horizontal", "PinHeader_", "2x05_P2.54_H"},
                    CompactCase{"R_0805_2012Metric_Pad1.20x1.40mm_HandSolder", "R_", "R_0805_HS"},
                    CompactCase{"TSSOP-8_P0.65mm", "", "TSSOP-8_P0.65"},
                    CompactCase{"QFN-32-1EP_5x5mm_P0.5mm_EP3.45x3.45mm", "", "QFN-32-1EP"},
                    CompactCase{"HSOP-8-1EP_3.9x4.9mm_P1.27mm_EP2.3x2.3mm_ThermalVias", "",
                                "HSOP-8-1EP_TV"},
                    CompactCase{"LongPrefix_Thing_P1.27mm_LongerWords", "", "LongPrefix_Th"},
                    // Bytes a DOS name cannot show become underscores.
                    CompactCase{"R\xc3\xa9sistance", "", "R__sistance"},
                    CompactCase{"Tab\tName", "", "Tab_Name"}));

TEST(CommonNamePrefix, StopsAtASeparatorAndLeavesEveryNameSomething) {
    EXPECT_EQ(commonNamePrefix({"PinHeader_1x02", "PinHeader_1x03", "PinHeader_2x02"}),
              "PinHeader_");
    EXPECT_EQ(commonNamePrefix({"SOIC-8", "SOIC-14"}), "SOIC-");
    EXPECT_EQ(commonNamePrefix({"SOIC-8", "SSOP-8"}), "");
    EXPECT_EQ(commonNamePrefix({"R_0402", "R_"}), "");  // would leave "R_" nothing
    EXPECT_EQ(commonNamePrefix({"R_0402_1005Metric"}), "");
}

TEST(ShortenNames, KeepsNamesUniqueIgnoringCase) {
    const std::vector<NameRequest> requests = {
        {"Lib", "QFN-32-1EP_5x5mm_P0.5mm_EP3.45x3.45mm"},
        {"Lib", "QFN-32-1EP_5x5mm_P0.5mm_EP3.1x3.1mm"},
        {"Lib", "QFN-32-1EP_5x5mm_P0.5mm_EP3.3x3.3mm"},
        {"", "sot-23"},
    };
    const NamingResult r = shortenNames(requests, {"SOT-23"});
    ASSERT_TRUE(r) << r.error;
    EXPECT_EQ(r.names,
              (std::vector<std::string>{"QFN-32-1EP", "QFN-32-1EP~2", "QFN-32-1EP~3", "sot-23~2"}));
}

// Importing a footprint a second time must meet the copy rule's refusal, not slip in renamed.
TEST(ShortenNames, KeepsANameThatExistsExactlySoTheCopyRuleRefusesIt) {
    const NamingResult r = shortenNames({{"", "SOT-23"}}, {"SOT-23"});
    ASSERT_TRUE(r);
    EXPECT_EQ(r.names, std::vector<std::string>{"SOT-23"});
}

TEST(ShortenNames, UsesOverridesAndKeepsOthersClearOfThem) {
    const NameOverridesResult parsed =
        parseNameOverrides("# mine\n\nLib:SOIC-8_3.9x4.9mm_P1.27mm\tSO8\r\nTO-220\tso8x\n");
    ASSERT_TRUE(parsed.overrides) << parsed.error;
    const std::vector<NameRequest> requests = {{"Lib", "SOIC-8_3.9x4.9mm_P1.27mm"},
                                               {"Other", "SOIC-8_3.9x4.9mm_P1.27mm"},
                                               {"", "so8"},
                                               {"", "TO-220"}};
    const NamingResult r = shortenNames(requests, {}, *parsed.overrides);
    ASSERT_TRUE(r) << r.error;
    EXPECT_EQ(r.names, (std::vector<std::string>{"SO8", "SOIC-8_P1.27", "so8~2", "so8x"}));
}

TEST(ShortenNames, RefusesTwoOverridesThatDifferOnlyInCase) {
    const auto parsed = parseNameOverrides("A\tpart\nB\tPART\n");
    ASSERT_TRUE(parsed.overrides);
    const NamingResult r = shortenNames({{"", "A"}, {"", "B"}}, {}, *parsed.overrides);
    EXPECT_FALSE(r);
    EXPECT_NE(r.error.find("PART"), std::string::npos);
}

struct BadNamesCase {
    const char* text;
    const char* message;
};

class BadNamesFile : public testing::TestWithParam<BadNamesCase> {};

TEST_P(BadNamesFile, NamesTheLine) {
    const NameOverridesResult r = parseNameOverrides(GetParam().text);
    EXPECT_FALSE(r.overrides);
    EXPECT_NE(r.error.find(GetParam().message), std::string::npos) << r.error;
}

INSTANTIATE_TEST_SUITE_P(Lines, BadNamesFile,
                         testing::Values(BadNamesCase{"A\tok\nno tab here\n", "line 2: expected"},
                                         BadNamesCase{"\tSHORT\n", "line 1: expected"},
                                         BadNamesCase{"A\tFourteenChars!\n",
                                                      "line 1: the short name"},
                                         BadNamesCase{"A\t\n", "line 1: the short name"},
                                         BadNamesCase{"A\tX\nA\tY\n", "line 2: A is named twice"},
                                         BadNamesCase{"A\tna\xe9me\n", "printable ASCII"}));

}  // namespace
