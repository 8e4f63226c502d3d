#include "lamp_images.h"

#include <gtest/gtest.h>

#include <algorithm>

TEST(LampImages, EveryTableIsFourteenRowsOfFourteenKnownLetters) {
    for (const LampPixels& lamp : kLampImages) {
        ASSERT_EQ(lamp.rows.size(), 14u);
        for (std::size_t y = 0; y < lamp.rows.size(); ++y) {
            ASSERT_EQ(lamp.rows[y].size(), 14u) << "image " << lamp.id << " row " << y + 1;
            for (char letter : lamp.rows[y]) {
                EXPECT_TRUE(
                    std::any_of(kLampColours.begin(), kLampColours.end(),
                                [letter](const LampColour& c) { return c.letter == letter; }))
                    << "image " << lamp.id << " row " << y + 1 << " letter " << letter;
            }
        }
    }
}
