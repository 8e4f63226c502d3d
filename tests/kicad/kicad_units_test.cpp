#include "kicad_units.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

struct FormatRow {
    std::int64_t nanometres;
    const char* text;
};

class FormatMillimetresTest : public testing::TestWithParam<FormatRow> {};

TEST_P(FormatMillimetresTest, WritesExactlyWithoutTrailingZeros) {
    EXPECT_EQ(formatMillimetres(GetParam().nanometres), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, FormatMillimetresTest,
    testing::Values(FormatRow{0, "0"}, FormatRow{1, "0.000001"}, FormatRow{-1, "-0.000001"},
                    FormatRow{25400, "0.0254"}, FormatRow{-25400, "-0.0254"},
                    FormatRow{1'000'000, "1"}, FormatRow{1'270'000, "1.27"},
                    FormatRow{-1'270'000, "-1.27"}, FormatRow{100'000, "0.1"},
                    FormatRow{123'456'789, "123.456789"},
                    // -32768 mil, the most negative library coordinate.
                    FormatRow{-832'307'200, "-832.3072"},
                    FormatRow{std::numeric_limits<std::int64_t>::min(), "-9223372036854.775808"}));

TEST(LibraryUnitsTest, OneMilByDefaultAndYNegated) {
    KicadUnit mil;
    EXPECT_EQ(formatUnits(100, mil), "2.54");
    EXPECT_EQ(formatUnits(32767, mil), "832.2818");
    EXPECT_EQ(formatMillimetres(toKicadYNanometres(100, mil)), "-2.54");
    EXPECT_EQ(formatMillimetres(toKicadYNanometres(0, mil)), "0");
    EXPECT_EQ(formatMillimetres(toKicadYNanometres(-32768, mil)), "832.3072");
    KicadUnit tenMicrons{10'000};
    EXPECT_EQ(formatUnits(-7, tenMicrons), "-0.07");
}

struct ParseRow {
    const char* text;
    std::optional<std::int64_t> nanometres;
};

class ParseMillimetresTest : public testing::TestWithParam<ParseRow> {};

TEST_P(ParseMillimetresTest, ReadsDecimalsExactly) {
    EXPECT_EQ(parseMillimetres(GetParam().text), GetParam().nanometres) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseMillimetresTest,
    testing::Values(
        ParseRow{"0.0254", 25400}, ParseRow{"-1.27", -1'270'000}, ParseRow{"+3", 3'000'000},
        ParseRow{".5", 500'000}, ParseRow{"5.", 5'000'000}, ParseRow{"0", 0}, ParseRow{"-0", 0},
        ParseRow{"000.000100", 100}, ParseRow{"1e-3", 1000}, ParseRow{"2.54E1", 25'400'000},
        ParseRow{"0.0000004", 0}, ParseRow{"0.0000005", 1}, ParseRow{"-0.0000015", -2},
        ParseRow{"123.4567894", 123'456'789}, ParseRow{"1e-400", 0}, ParseRow{"", std::nullopt},
        ParseRow{"-", std::nullopt}, ParseRow{".", std::nullopt}, ParseRow{"1.2.3", std::nullopt},
        ParseRow{"1mm", std::nullopt}, ParseRow{" 1", std::nullopt}, ParseRow{"1e", std::nullopt},
        ParseRow{"1e400", std::nullopt}, ParseRow{"99999999999999999999", std::nullopt}));

TEST(ParseUnitTest, TakesOnlyPositiveLengthsUpToAMetre) {
    EXPECT_EQ(parseUnit("0.0254"), KicadUnit{25400});
    EXPECT_EQ(parseUnit("0.000001"), KicadUnit{1});
    EXPECT_EQ(parseUnit("1000"), KicadUnit{1'000'000'000});
    for (const char* bad : {"0", "-0.0254", "0.0000004", "1000.000001", "x", ""}) {
        EXPECT_FALSE(parseUnit(bad)) << bad;
    }
}

TEST(ToLibraryUnitsTest, RoundsToTheNearestUnitWithinSixteenBits) {
    KicadUnit mil;
    EXPECT_EQ(toLibraryUnits(25400, mil), 1);
    EXPECT_EQ(toLibraryUnits(12700, mil), 1);
    EXPECT_EQ(toLibraryUnits(12699, mil), 0);
    EXPECT_EQ(toLibraryUnits(-12700, mil), -1);
    EXPECT_EQ(toLibraryUnits(-12699, mil), 0);
    EXPECT_EQ(toLibraryUnits(toNanometres(32767, mil), mil), 32767);
    EXPECT_EQ(toLibraryUnits(toNanometres(-32768, mil), mil), -32768);
    EXPECT_FALSE(toLibraryUnits(toNanometres(32768, mil), mil));
    EXPECT_FALSE(toLibraryUnits(toNanometres(-32769, mil), mil));
}

}  // namespace
