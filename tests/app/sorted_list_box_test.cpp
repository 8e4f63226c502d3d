#include "sorted_list_box.h"

#include "window_test_support.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

struct OrderCase {
    const char* name;
    std::vector<std::string> appended;
    QStringList expected;
};

void PrintTo(const OrderCase& c, std::ostream* os) { *os << c.name; }

}  // namespace

class SortedListBoxOrder : public testing::TestWithParam<OrderCase> {};

TEST_P(SortedListBoxOrder, KeepsEntriesAscendingWithoutRegardToCase) {
    SortedListBox list;
    for (const auto& name : GetParam().appended) list.append(name);
    EXPECT_EQ(list.texts(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    SortedListBox, SortedListBoxOrder,
    testing::Values(OrderCase{"Mixed",
                              {"beta", "ALPHA", "Gamma", "delta"},
                              {"ALPHA", "beta", "delta", "Gamma"}},
                    // Equal entries keep the order in which they came.
                    OrderCase{"EqualInCaseGoAfter", {"one", "ONE", "One"}, {"one", "ONE", "One"}},
                    OrderCase{"Digits", {"R10", "R2", "R1"}, {"R1", "R10", "R2"}},
                    OrderCase{"Reversed", {"D", "C", "B", "A"}, {"A", "B", "C", "D"}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(SortedListBox, EightBitNamesComeBackAsTheSameBytes) {
    SortedListBox list;
    std::string everyHighCode;
    for (int code = 128; code < 256; ++code) everyHighCode.push_back(static_cast<char>(code));
    list.append(everyHighCode);
    list.selectRow(0);
    EXPECT_EQ(list.selectedName(), everyHighCode);
}

TEST(SortedListBox, AnnouncesOnlyTheUsersSelectionChanges) {
    SortedListBox list;
    QSignalSpy announced(&list, &SortedListBox::itemSelectionChanged);
    list.append("A");
    list.append("B");
    list.append("C");
    list.selectRow(1);
    list.removeRow(1);
    list.clear();
    EXPECT_EQ(announced.count(), 0);

    list.addSorted("X");
    list.setCurrentRow(0);  // as a click or an arrow key does
    EXPECT_EQ(announced.count(), 1);
}

TEST(SortedListBox, RemovingTheLastSelectedEntryLeavesNoSelection) {
    SortedListBox list;
    for (const char* name : {"A", "B", "C"}) list.append(name);
    list.selectRow(2);
    list.removeRow(2);
    list.selectRow(2);
    EXPECT_EQ(list.selectedRow(), -1);
    EXPECT_EQ(list.selectedText(), "");

    list.selectRow(0);
    list.removeRow(0);
    list.selectRow(0);
    EXPECT_EQ(list.selectedText(), "B");
}
