#include "status_light.h"

#include <gtest/gtest.h>

TEST(StatusLight, StartsIdleWhateverTheInitialStateSays) {
    EXPECT_EQ(StatusLight(134, 133, 130, 0).state(), 1);
}
