#include "kicad_strings.h"

#include <gtest/gtest.h>

namespace {

struct QuoteRow {
    std::string text;
    std::string quoted;
};

class QuoteKicadStringTest : public testing::TestWithParam<QuoteRow> {};

TEST_P(QuoteKicadStringTest, EscapesWhatTheReaderWouldTakeApart) {
    EXPECT_EQ(quoteKicadString(GetParam().text), GetParam().quoted);
}

INSTANTIATE_TEST_SUITE_P(Texts, QuoteKicadStringTest,
                         testing::Values(QuoteRow{"", "\"\""}, QuoteRow{"DIP14", "\"DIP14\""},
                                         QuoteRow{"a\"b", "\"a\\\"b\""},
                                         QuoteRow{"a\\b", "\"a\\\\b\""},
                                         QuoteRow{"a\nb\rc", "\"a\\nb\\rc\""},
                                         QuoteRow{std::string("a\0b", 3), "\"a\\000b\""},
                                         QuoteRow{"\x01\x1F\x7F", "\"\\001\\037\\177\""},
                                         QuoteRow{"(x) /:*?", "\"(x) /:*?\""},
                                         QuoteRow{"\xC3\xA9", "\"\xC3\xA9\""}));

TEST(Latin1ToUtf8Test, EveryByteBecomesItsCodePoint) {
    EXPECT_EQ(latin1ToUtf8("ABC"), "ABC");
    EXPECT_EQ(latin1ToUtf8("\xE9"), "\xC3\xA9");
    EXPECT_EQ(latin1ToUtf8("\x80"), "\xC2\x80");
    EXPECT_EQ(latin1ToUtf8("\xFF"), "\xC3\xBF");
    EXPECT_EQ(latin1ToUtf8(std::string_view("a\0b", 3)), std::string("a\0b", 3));
    std::string all;
    for (int code = 1; code < 256; ++code) all += static_cast<char>(code);
    const std::string utf8 = latin1ToUtf8(all);
    EXPECT_EQ(utf8.size(), 127u + 2u * 128u);
}

}  // namespace
