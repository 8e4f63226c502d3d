#include "field_codes.h"

#include <gtest/gtest.h>

#include <set>

namespace {

// Any number of quarter turns, negative ones too, mirrored or not, names one of the eight codes,
// and mirroring sets the mirrored bit alone.
TEST(FieldCodes, EveryTurnHasOneOfTheEightOrientationCodes) {
    std::set<std::int32_t> seen;
    for (int quarters = -9; quarters <= 9; ++quarters) {
        for (const bool mirrored : {false, true}) {
            const std::int32_t code = orientationCode(quarters, mirrored);
            ASSERT_TRUE(stringOrientation(code)) << quarters << " " << mirrored;
            EXPECT_EQ(code & kMirroredOrientation, mirrored ? kMirroredOrientation : 0);
            EXPECT_EQ(orientationCode(quarters + 4, mirrored), code);
            seen.insert(code);
        }
    }
    EXPECT_EQ(seen.size(), 8u);
}

}  // namespace
