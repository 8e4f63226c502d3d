#include "glyph_advance.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>

TEST(GlyphAdvance, TableHasTheGivenWidths) {
    std::map<int, std::string> byWidth;
    for (int code = 0; code < 128; ++code) {
        byWidth[glyphAdvance(static_cast<std::uint8_t>(code))] += static_cast<char>(code);
    }
    EXPECT_EQ(byWidth[2], "!',.:;i|");
    EXPECT_EQ(byWidth[3], "\"l");
    EXPECT_EQ(byWidth[4], "()1<I[]`{}");
    EXPECT_EQ(byWidth[5], "0>?jn");
    EXPECT_EQ(byWidth[7], "&");
    EXPECT_EQ(byWidth[8], "VW");
    EXPECT_EQ(byWidth[0].size(), 33u);  // 0 to 31 and 127
    EXPECT_EQ(byWidth[6].size(), 95u - 28u);
    for (int code = 0; code < 128; ++code) {
        EXPECT_EQ(glyphAdvance(static_cast<std::uint8_t>(code + 128)),
                  glyphAdvance(static_cast<std::uint8_t>(code)));
    }
}

TEST(GlyphAdvance, SumStopsAtCountAndAtTheText) {
    const std::uint8_t text[] = {'A', 'B', 'i'};
    EXPECT_EQ(advanceSum(text, 0), 0);
    EXPECT_EQ(advanceSum(text, -3), 0);
    EXPECT_EQ(advanceSum(text, 2), 12);
    EXPECT_EQ(advanceSum(text, 3), 14);
    EXPECT_EQ(advanceSum(text, 200), 14);
}
