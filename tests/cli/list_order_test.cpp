#include "name_rules.h"

#include <QString>

#include <gtest/gtest.h>

#include <string>

namespace {

int sign(int value) { return (value > 0) - (value < 0); }

int windowCompare(const std::string& a, const std::string& b) {
    return QString::compare(QString::fromLatin1(a.data(), static_cast<qsizetype>(a.size())),
                            QString::fromLatin1(b.data(), static_cast<qsizetype>(b.size())),
                            Qt::CaseInsensitive);
}

// `cobble` must list names in the order of the window's list boxes, which compare through
// Qt's case folding; every pair of Latin-1 characters, and prefixes, must agree.
TEST(ListOrder, AgreesWithTheWindowsComparisonForEveryLatin1Pair) {
    for (int x = 0; x < 256; ++x) {
        for (int y = 0; y < 256; ++y) {
            const std::string a(1, static_cast<char>(x));
            const std::string b(1, static_cast<char>(y));
            ASSERT_EQ(sign(compareNamesIgnoringCase(a, b)), sign(windowCompare(a, b)))
                << "codes " << x << " and " << y;
        }
    }
    for (const auto& [a, b] : {std::pair<std::string, std::string>{"DIP", "dip14"},
                               {"dip14", "DIP"},
                               {"SO8", "so8"},
                               {"", "A"},
                               {"Z1", "z"}}) {
        EXPECT_EQ(sign(compareNamesIgnoringCase(a, b)), sign(windowCompare(a, b))) << a << " " << b;
    }
}

}  // namespace
