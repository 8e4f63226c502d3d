#include "ordered_work.h"

#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

struct OrderCase {
    std::size_t count;
    unsigned threads;
    /// Deliver returns false after this many deliveries; `count` to take them all.
    std::size_t stopAfter;
    /// The item whose work throws; `count` for none.
    std::size_t throwsAt;
};

class OrderedWorkTest : public testing::TestWithParam<OrderCase> {};

// Early items take longest, so that threads finish out of order: the deliveries must still come
// in index order, each with its own result, and stop exactly where the caller or a failure says.
TEST_P(OrderedWorkTest, DeliversInIndexOrderAndStopsWhereTold) {
    const OrderCase& c = GetParam();
    std::vector<std::size_t> delivered;
    const auto work = [&](std::size_t i) {
        if (i == c.throwsAt) throw std::runtime_error("failed");
        std::this_thread::sleep_for(std::chrono::microseconds(i < 4 ? 3000 : 0));
        return i * i;
    };
    const auto deliver = [&](std::size_t i, std::size_t square) {
        EXPECT_EQ(square, i * i);
        delivered.push_back(i);
        return delivered.size() < c.stopAfter;
    };
    bool threw = false;
    try {
        runInOrder(c.count, work, deliver, c.threads);
    } catch (const std::runtime_error&) {
        threw = true;
    }
    const std::size_t expected = std::min({c.count, c.stopAfter, c.throwsAt});
    EXPECT_EQ(threw, c.throwsAt < c.count && c.throwsAt < c.stopAfter);
    ASSERT_EQ(delivered.size(), expected);
    for (std::size_t i = 0; i < expected; ++i) EXPECT_EQ(delivered[i], i);
}

INSTANTIATE_TEST_SUITE_P(Cases, OrderedWorkTest,
                         testing::Values(OrderCase{0, 2, 0, 0}, OrderCase{1, 2, 1, 1},
                                         OrderCase{100, 1, 100, 100}, OrderCase{100, 2, 100, 100},
                                         OrderCase{100, 7, 100, 100}, OrderCase{100, 3, 10, 100},
                                         OrderCase{100, 3, 100, 2}, OrderCase{100, 1, 100, 50}));

}  // namespace
