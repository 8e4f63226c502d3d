#include "bounds.h"

#include <gtest/gtest.h>

TEST(Bounds, MergeIntoTheInitialBoxTakesTheOtherBox) {
    Bounds box = Bounds::initial();
    EXPECT_EQ(box, (Bounds{32767, -32768, 32767, -32768}));
    box.merge({-5, 5, 0, 1});
    EXPECT_EQ(box, (Bounds{-5, 5, 0, 1}));
    box.merge({0, 40000, -40000, 0});
    EXPECT_EQ(box, (Bounds{-5, 40000, -40000, 1}));
}
