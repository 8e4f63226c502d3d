#include "pad_numbers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct OrderRow {
    const char* a;
    const char* b;
    int sign;  // of comparePadNumbers(a, b)
};

TEST(PadNumbers, OrderAsKicadSortsThem) {
    const OrderRow rows[] = {
        {"2", "10", -1},    {"10", "9", 1},    {"A2", "A10", -1}, {"A10", "B1", -1},
        {"a1", "A1", 0},    {"01", "1", 0},    {"A", "A1", -1},   {"1", "1A", -1},
        {"EP", "EP", 0},    {"9", "MP", -1},   {"", "1", -1},     {"123456789012", "2", 1},
        {"AA1", "AB1", -1}, {"B2", "b10", -1},
    };
    for (const OrderRow& row : rows) {
        const int got = comparePadNumbers(row.a, row.b);
        EXPECT_EQ((got > 0) - (got < 0), row.sign) << row.a << " vs " << row.b;
        const int back = comparePadNumbers(row.b, row.a);
        EXPECT_EQ((back > 0) - (back < 0), -row.sign) << row.b << " vs " << row.a;
    }
}

struct RenumberRow {
    std::vector<std::string> before;
    std::vector<std::string> after;
    const char* said;
};

TEST(PadNumbers, SayExactlyWhatChanges) {
    const RenumberRow rows[] = {
        {{"1", "2", "3"}, {"1", "2", "3"}, ""},
        {{"1", "2", "3", "4", "6"}, {"1", "2", "3", "4", "5"}, "pads 1-4 6 become 1-4 5"},
        {{"1", "1", "2"}, {"1", "2", "3"}, "pads 1 1 2 become 1 2 3"},
        {{"A1", "A2", "A3", "B1"}, {"1", "2", "3", "4"}, "pads A1-A3 B1 become 1-3 4"},
        {{"1", "2", "3", ""}, {"1", "2", "3", "4"}, "pads 1-3 \"\" become 1-3 4"},
        {{"2", "4", "1", "3"}, {"1", "2", "3", "4"}, "pads 2 4 1 3 become 1 2 3 4"},
        // Leading zeros do not count up: "09" then "10" is no run.
        {{"01", "02", "03"}, {"1", "2", "3"}, "pads 01 02 03 become 1 2 3"},
    };
    for (const RenumberRow& row : rows) {
        EXPECT_EQ(describeRenumbering(row.before, row.after), row.said);
    }
}

}  // namespace
