#include "component_names.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

struct CompactCase {
    const char* name;
    std::set<std::string> shared;
    const char* expected;
};

class CompactName : public testing::TestWithParam<CompactCase> {};

TEST_P(CompactName, ShortensByTheRules) {
    const std::string shortName = compactName(GetParam().name, GetParam().shared);
    EXPECT_EQ(shortName, GetParam().expected);
    EXPECT_LE(shortName.size(), kTextCapacity);
}

INSTANTIATE_TEST_SUITE_P(
    KicadNames, CompactName,
    testing::Values(
        CompactCase{"SOT-23", {}, "SOT-23"}, CompactCase{"Exactly13Char", {}, "Exactly13Char"},
        CompactCase{"R_0603_1608Metric", {"R"}, "R_0603"},
        CompactCase{"SOIC-8_3.9x4.9mm_P1.27mm", {}, "SOIC-8_P1.27"},
        CompactCase{"PinHeader_1x02_P2.54mm_Vertical", {"PinHeader"}, "1x02_P2.54_V"},
        CompactCase{"PinHeader_1x02_P2.54mm_Vertical_SMD_Pin1Left",
                    {"PinHeader", "P2.54mm"},
                    "1x02_V_SMD_1L"},
        // A word dropped to make room comes back when the name fits with it.
        CompactCase{"R_0805_2012Metric_Pad1.20x1.40mm_HandSolder", {"R"}, "R_0805_HS"},
        CompactCase{"TSSOP-8_P0.65mm", {}, "TSSOP-8_P0.65"},
        CompactCase{"TO-220-3_Horizontal_TabDown", {}, "TO-220-3_H_TD"},
        CompactCase{"TO-220-3_Horizontal_TabUp", {}, "TO-220-3_H_TU"},
        CompactCase{"PowerIntegrations_TO-220-7C", {}, "TO-220-7C"},
        CompactCase{"QFN-32-1EP_5x5mm_P0.5mm_EP3.45x3.45mm", {}, "QFN-32-1EP"},
        CompactCase{"HSOP-8-1EP_3.9x4.9mm_P1.27mm_EP2.3x2.3mm_ThermalVias", {}, "HSOP-8-1EP_TV"},
        // Zeros after the point and the unit say nothing.
        CompactCase{"Fuseholder_P5.00mm_D10.50mm_Horizontal", {}, "P5_D10.5_H"},
        CompactCase{"LongPrefix_Thing_P1.27mm_LongerWords", {}, "Thing_P1.27"},
        // Only when nothing else fits is a word cut.
        CompactCase{"SolderWire-0.1sqmm_1x01_D0.4mm", {}, "SolderWi_1x01"},
        // Bytes a DOS name cannot show become underscores.
        CompactCase{"R\xc3\xa9sistance", {}, "R__sistance"},
        CompactCase{"Tab\tName", {}, "Tab_Name"}));

TEST(SharedNameWords, AreTheWordsEveryNameHolds) {
    using Words = std::set<std::string>;
    EXPECT_EQ(sharedNameWords({"PinHeader_1x02_P2.54mm", "PinHeader_2x02_P2.54mm_Vertical"}),
              (Words{"P2.54mm", "PinHeader"}));
    EXPECT_EQ(sharedNameWords({"SOIC-8", "SOIC-14"}), Words{"SOIC"});
    EXPECT_EQ(sharedNameWords({"SOIC-8", "SSOP-14"}), Words{});
    EXPECT_EQ(sharedNameWords({"R_0402_1005Metric"}), Words{});
}

// Names that collide in their best form keep the word that tells them apart.
TEST(ShortenNames, KeepsWhatTellsCollidingNamesApart) {
    const std::vector<NameRequest> requests = {
        {"Lib", "QFN-16-1EP_3x3mm_P0.5mm_EP1.75x1.75mm"},
        {"Lib", "QFN-16-1EP_4x4mm_P0.5mm_EP1.75x1.75mm"},
        {"Lib", "SolderWire-0.1sqmm_1x01_D0.4mm_OD1mm"},
        {"Lib", "SolderWire-0.1sqmm_1x01_D0.4mm_OD1mm_Relief"},
        // The package after the family word stays when the styles tell them apart.
        {"Lib", "Crystal_AT310_D3.0mm_L10.0mm_Horizontal_1EP_style1"},
        {"Lib", "Crystal_AT310_D3.0mm_L10.0mm_Horizontal_1EP_style2"},
    };
    const NamingResult r = shortenNames(requests, {});
    ASSERT_TRUE(r) << r.error;
    ASSERT_EQ(r.names.size(), 6u);
    EXPECT_NE(r.names[0].find("3x3"), std::string::npos) << r.names[0];
    EXPECT_NE(r.names[1].find("4x4"), std::string::npos) << r.names[1];
    EXPECT_NE(r.names[3].find("Rel"), std::string::npos) << r.names[3];
    EXPECT_NE(r.names[4], r.names[5]);
    EXPECT_EQ(r.names[4].rfind("AT310", 0), 0u) << r.names[4];
    EXPECT_EQ(r.names[5].rfind("AT310", 0), 0u) << r.names[5];
    for (const std::string& name : r.names) {
        EXPECT_EQ(name.find('~'), std::string::npos) << name;
        EXPECT_LE(name.size(), kTextCapacity);
    }
}

TEST(ShortenNames, KeepsNamesUniqueIgnoringCase) {
    const std::vector<NameRequest> requests = {
        {"", "R\xc3\xa9sistance_0"},
        {"", "R__sistance_0"},
        {"", "R\xe9\xe9sistance_0"},
        {"", "sot-23"},
    };
    const NamingResult r = shortenNames(requests, {"SOT-23"});
    ASSERT_TRUE(r) << r.error;
    EXPECT_EQ(r.names, (std::vector<std::string>{"R__sistance_0", "R__sistance~2", "R__sistance~3",
                                                 "sot-23~2"}));
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

TEST(NameMappings, MergeIntoTheFileKeepingWhatTheyDoNotReplace) {
    const std::string text = "# chosen by hand\nLib:A\tAA\nLib:B\tBB\r\n\nC\tCC\n";
    // A is named again, D is new, and D takes B's short name (ignoring case), so B's line goes.
    const std::string merged =
        mergeNameMappings(text, {{"Lib:A", "A2"}, {"D", "bb"}, {"Lib:A", "A3"}});
    EXPECT_EQ(merged, "# chosen by hand\nLib:A\tA3\n\nC\tCC\nD\tbb\n");
    EXPECT_EQ(mergeNameMappings("", {{"X", "Y"}}), "X\tY\n");
    // What the merge writes, the names file reader takes.
    const NameOverridesResult parsed = parseNameOverrides(merged);
    ASSERT_TRUE(parsed.overrides) << parsed.error;
    EXPECT_EQ(footprintNamesByShortName(*parsed.overrides),
              (std::map<std::string, std::string>{{"A3", "A"}, {"CC", "C"}, {"bb", "D"}}));
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
