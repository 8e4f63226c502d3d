#include "primitive.h"

#include "glyph_advance.h"
#include "primitive_factory.h"
#include "printers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <ostream>

namespace {

struct BoundsCase {
    const char* name;
    Primitive primitive;
    Bounds expected;  // minX, maxX, minY, maxY
};

void PrintTo(const BoundsCase& c, std::ostream* os) { *os << c.name; }

class BoundsRule : public testing::TestWithParam<BoundsCase> {};

TEST_P(BoundsRule, GivesTheExpectedBox) {
    Primitive primitive = GetParam().primitive;
    const Bounds computed = primitive.computeBounds();
    EXPECT_EQ(computed, GetParam().expected);
    EXPECT_EQ(primitive.bounds(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Primitives, BoundsRule,
    testing::Values(
        BoundsCase{"arc, all four quarters", makeArc(1, 100, 100, 50, 15, 10), {45, 155, 45, 155}},
        BoundsCase{"arc, no quarters", makeArc(1, 100, 100, 50, 0, 10), {95, 105, 95, 105}},
        BoundsCase{"arc, upper bits only", makeArc(1, 100, 100, 50, 0xF0, 10), {95, 105, 95, 105}},
        BoundsCase{"arc, lower left only", makeArc(1, 100, 100, 50, 4, 10), {45, 105, 45, 105}},
        // Step 1 sets minX to exactly 0, which the zero test then replaces by x - w.
        BoundsCase{"arc, side set to zero", makeArc(1, 55, 100, 50, 4, 10), {50, 60, 45, 105}},
        BoundsCase{"arc, odd width halves down", makeArc(1, 0, 10, 3, 1, 11), {-5, 8, 5, 18}},
        BoundsCase{"fill, corners reversed", makeFill(1, 10, -5, -10, 5), {-10, 10, -5, 5}},
        BoundsCase{"pad, odd size", makePad(1, 0, 0, 7, 7, 1), {-3, 3, -3, 3}},
        BoundsCase{"pad, negative size", makePad(1, 0, 0, -7, -7, 1), {3, -3, 3, -3}},
        BoundsCase{
            "pad, shape ignored", makePad(kMultiLayer, 10, 20, 40, 80, 0), {-10, 30, -20, 60}},
        BoundsCase{"track, odd width", makeTrack(1, 0, 0, 100, 0, 11), {-5, 105, -5, 5}},
        // 32767 + 127 would wrap in 16 bits; the box is 32-bit.
        BoundsCase{"track, beyond 16 bits",
                   makeTrack(1, 32767, -32768, 32767, -32768, 255),
                   {32640, 32894, -32895, -32641}},
        BoundsCase{"string 0", makeString(1, 0, 0, 60, 5, 0, "AB"), {0, 120, 0, 60}},
        BoundsCase{"string 1", makeString(1, 0, 0, 60, 5, 1, "AB"), {-60, 0, 0, 120}},
        BoundsCase{"string 2", makeString(1, 0, 0, 60, 5, 2, "AB"), {-120, 0, -60, 0}},
        BoundsCase{"string 3", makeString(1, 0, 0, 60, 5, 3, "AB"), {0, 60, -120, 0}},
        BoundsCase{"string 16", makeString(1, 0, 0, 60, 5, 16, "AB"), {-120, 0, 0, 60}},
        BoundsCase{"string 17", makeString(1, 0, 0, 60, 5, 17, "AB"), {0, 60, 0, 120}},
        BoundsCase{"string 18", makeString(1, 0, 0, 60, 5, 18, "AB"), {0, 120, -60, 0}},
        BoundsCase{"string 19", makeString(1, 0, 0, 60, 5, 19, "AB"), {-60, 0, -120, 0}},
        BoundsCase{
            "string, unknown orientation", makeString(1, 7, 7, 60, 5, 5, "AB"), {0, 0, 0, 0}},
        // height / 6 is truncated before the multiplication: 65 gives 10, not 10.83.
        BoundsCase{"string, height 65", makeString(1, 0, 0, 65, 5, 0, "AB"), {0, 120, 0, 65}},
        BoundsCase{"string, height 5", makeString(1, 0, 0, 5, 5, 0, "AB"), {0, 0, 0, 5}},
        BoundsCase{
            "string, control codes", makeString(1, 0, 0, 60, 5, 0, "\x01\x1f"), {0, 0, 0, 60}},
        BoundsCase{"string, code 0xC1 as A", makeString(1, 0, 0, 60, 5, 0, "\xC1"), {0, 60, 0, 60}},
        BoundsCase{"string, narrow glyphs", makeString(1, 0, 0, 6, 1, 0, "i!lW&"), {0, 22, 0, 6}},
        BoundsCase{"via, widest", makeVia(1, 0, 0, 255, 10), {-127, 127, -127, 127}},
        BoundsCase{"via, diameter 1", makeVia(1, 5, 6, 1, 0), {5, 5, 6, 6}}));

TEST(StringBounds, LengthByteAboveThirteenCountsOnlyTheThirteenStoredCharacters) {
    Primitive string = makeString(1, 0, 0, 6, 1, 0, "MMMMMMMMMMMMM");  // 13 x advance 6
    auto bytes = string.bytes();
    bytes[string_offset::kTextLength] = 200;
    Primitive claimed(std::span<const std::uint8_t, 16>(bytes.data(), 16),
                      std::span<const std::uint8_t, 16>(bytes.data() + 16, 16));
    EXPECT_EQ(claimed.computeBounds().maxX, 78);
    EXPECT_EQ(claimed.string().textLength, 200);
    EXPECT_EQ(claimed.string().text.size(), 13u);
}

TEST(PrimitiveRecords, LengthAndWriteFollowTheType) {
    const struct {
        Primitive primitive;
        std::size_t length;
    } cases[] = {{makeArc(1, 0, 0, 1, 1, 1), 16},         {makeFill(1, 0, 0, 1, 1), 16},
                 {makePad(1, 0, 0, 1, 1, 1), 32},         {makeTrack(1, 0, 0, 1, 1, 1), 16},
                 {makeString(1, 0, 0, 1, 1, 0, "X"), 32}, {makeVia(1, 0, 0, 1, 1), 16}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.primitive.recordLength(), c.length) << int(c.primitive.type());
        std::vector<std::uint8_t> image(48, 0xEE);
        EXPECT_EQ(c.primitive.writeTo(image, 8), 8 + c.length);
        EXPECT_TRUE(std::equal(image.begin() + 8, image.begin() + 8 + long(c.length),
                               c.primitive.bytes().begin()));
        EXPECT_EQ(image[7], 0xEE);
        EXPECT_EQ(image[8 + c.length], 0xEE) << "wrote past its record";
    }
    std::array<std::uint8_t, 16> unknown{1, 4};
    EXPECT_EQ(Primitive(unknown, unknown).recordLength(), 0u);
    EXPECT_EQ(Primitive(unknown, unknown).computeBounds(), Bounds{});
}

}  // namespace
