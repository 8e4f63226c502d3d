#include "name_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct NameCase {
    std::string stored;
    std::string printed;
};

class NameText : public testing::TestWithParam<NameCase> {};

TEST_P(NameText, PrintsAndReadsBack) {
    EXPECT_EQ(nameForText(GetParam().stored), GetParam().printed);
    EXPECT_EQ(nameFromText(GetParam().printed), GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(Names, NameText,
                         testing::Values(NameCase{"DIP14", "DIP14"}, NameCase{"R 0805", "R 0805"},
                                         NameCase{"\xB5"
                                                  "F",
                                                  "\xC2\xB5"
                                                  "F"},
                                         NameCase{"\xFF\xC0", "\xC3\xBF\xC3\x80"},
                                         NameCase{std::string("A\0B", 3), "A\\x00B"},
                                         NameCase{"\x7F\x9F\n", "\\x7F\\x9F\\x0A"},
                                         NameCase{"C:\\x", "C:\\\\x"},
                                         NameCase{"\xA0", "\xC2\xA0"}));

TEST(NameTextInput, RejectsWhatPrintingNeverGives) {
    for (const std::string bad :
         {"\\", "\\x4", "\\xZZ", "\\q", "\xE2\x82\xAC", "\xC3", "\xC2\x41"}) {
        EXPECT_EQ(nameFromText(bad), std::nullopt) << bad;
    }
}

TEST(NameTextJson, EveryCodeBecomesOneCharacter) {
    std::string all;
    for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
    const std::string utf8 = latin1ToUtf8(all);
    EXPECT_EQ(utf8.size(), 128u + 2 * 128u);
    EXPECT_EQ(utf8.substr(utf8.size() - 2), "\xC3\xBF");
}

}  // namespace
