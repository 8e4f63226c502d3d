#include "kicad_layers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct LayerRow {
    std::uint8_t layer;
    const char* kicad;
};

class LayerMapTest : public testing::TestWithParam<LayerRow> {};

TEST_P(LayerMapTest, MapsBothWays) {
    const LayerRow& row = GetParam();
    ASSERT_EQ(kicadLayerName(row.layer), std::optional<std::string_view>(row.kicad));
    EXPECT_EQ(libraryLayerForKicad(row.kicad), row.layer);
}

INSTANTIATE_TEST_SUITE_P(AllLayers, LayerMapTest,
                         testing::Values(LayerRow{1, "F.Cu"}, LayerRow{2, "In1.Cu"},
                                         LayerRow{3, "In2.Cu"}, LayerRow{4, "In3.Cu"},
                                         LayerRow{5, "In4.Cu"}, LayerRow{6, "B.Cu"},
                                         LayerRow{7, "F.SilkS"}, LayerRow{8, "B.SilkS"},
                                         LayerRow{9, "Dwgs.User"}, LayerRow{10, "Cmts.User"},
                                         LayerRow{11, "Edge.Cuts"}, LayerRow{12, "F.CrtYd"},
                                         LayerRow{13, "Eco2.User"}));

TEST(LayerMapTest, LayersOutsideTheRangeAndUnknownNamesHaveNoPartner) {
    for (int layer : {0, 14, 15, 100, 255}) {
        EXPECT_FALSE(kicadLayerName(static_cast<std::uint8_t>(layer))) << layer;
        EXPECT_TRUE(kicadPadLayers(static_cast<std::uint8_t>(layer)).empty()) << layer;
    }
    for (const char* name : {"", "F.Fab", "Eco1.User", "f.cu", "F.Cu ", "*.Cu"}) {
        EXPECT_FALSE(libraryLayerForKicad(name)) << name;
    }
    for (const char* courtyard : {"B.CrtYd", "F.Courtyard", "B.Courtyard"}) {
        EXPECT_EQ(libraryLayerForKicad(courtyard), 12) << courtyard;
    }
    EXPECT_EQ(libraryLayerForKicad("F.Silkscreen"), 7);
    EXPECT_EQ(libraryLayerForKicad("B.Silkscreen"), 8);
}

std::vector<std::string> padLayers(std::uint8_t layer) {
    auto span = kicadPadLayers(layer);
    return {span.begin(), span.end()};
}

TEST(PadLayersTest, CoverWhatThePadKindNeeds) {
    using Names = std::vector<std::string>;
    EXPECT_EQ(padLayers(13), (Names{"*.Cu", "*.Mask"}));
    EXPECT_EQ(padLayers(1), (Names{"F.Cu", "F.Paste", "F.Mask"}));
    EXPECT_EQ(padLayers(6), (Names{"B.Cu", "B.Paste", "B.Mask"}));
    EXPECT_EQ(padLayers(3), (Names{"In2.Cu"}));
    EXPECT_EQ(padLayers(7), (Names{"F.SilkS"}));
    EXPECT_EQ(kicadPadKind(13), KicadPadKind::ThroughHole);
    for (std::uint8_t layer = 1; layer <= 12; ++layer) {
        EXPECT_EQ(kicadPadKind(layer), KicadPadKind::Surface) << int{layer};
    }
}

TEST(PadLayersTest, ReadBackToTheLayerTheyCameFrom) {
    for (std::uint8_t layer = 1; layer <= 13; ++layer) {
        EXPECT_EQ(libraryLayerForPadLayers(kicadPadLayers(layer)), layer) << int{layer};
    }
    std::vector<std::string_view> bothSides = {"F.Cu", "B.Cu", "F.Mask", "B.Mask"};
    EXPECT_EQ(libraryLayerForPadLayers(bothSides), 13);
    std::vector<std::string_view> maskOnly = {"F.Mask", "F.Paste"};
    EXPECT_FALSE(libraryLayerForPadLayers(maskOnly));
    // A drawing layer name in a pad's list must not turn the pad into a MultiLayer one.
    std::vector<std::string_view> eco2 = {"Eco2.User"};
    EXPECT_FALSE(libraryLayerForPadLayers(eco2));
}

}  // namespace
