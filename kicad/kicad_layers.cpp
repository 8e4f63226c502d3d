#include "kicad_layers.h"

#include "component.h"

#include <array>

namespace {

// Indexed by library layer; index 0 is unused.
constexpr std::array<std::string_view, 14> kLayerNames = {
    "",        "F.Cu",    "In1.Cu",    "In2.Cu",    "In3.Cu",    "In4.Cu",    "B.Cu",
    "F.SilkS", "B.SilkS", "Dwgs.User", "Cmts.User", "Edge.Cuts", "Eco1.User", "Eco2.User",
};

constexpr std::array<std::string_view, 2> kThroughHoleLayers = {"*.Cu", "*.Mask"};
constexpr std::array<std::string_view, 3> kTopSurfaceLayers = {"F.Cu", "F.Paste", "F.Mask"};
constexpr std::array<std::string_view, 3> kBottomSurfaceLayers = {"B.Cu", "B.Paste", "B.Mask"};

bool isValidLayer(std::uint8_t layer) { return layer >= 1 && layer <= kMultiLayer; }

}  // namespace

std::optional<std::string_view> kicadLayerName(std::uint8_t layer) {
    if (!isValidLayer(layer)) return std::nullopt;
    return kLayerNames[layer];
}

std::optional<std::uint8_t> libraryLayerForKicad(std::string_view kicadLayer) {
    if (kicadLayer == "F.Silkscreen") return std::uint8_t{7};
    if (kicadLayer == "B.Silkscreen") return std::uint8_t{8};
    for (std::uint8_t layer = 1; layer <= kMultiLayer; ++layer) {
        if (kLayerNames[layer] == kicadLayer) return layer;
    }
    return std::nullopt;
}

KicadPadKind kicadPadKind(std::uint8_t layer) {
    return layer == kMultiLayer ? KicadPadKind::ThroughHole : KicadPadKind::Surface;
}

std::span<const std::string_view> kicadPadLayers(std::uint8_t layer) {
    if (!isValidLayer(layer)) return {};
    if (layer == kMultiLayer) return kThroughHoleLayers;
    if (layer == 1) return kTopSurfaceLayers;
    if (layer == 6) return kBottomSurfaceLayers;
    return std::span<const std::string_view>(&kLayerNames[layer], 1);
}

std::optional<std::uint8_t> libraryLayerForPadLayers(std::span<const std::string_view> layers) {
    bool top = false;
    bool bottom = false;
    for (std::string_view name : layers) {
        if (name == "*.Cu") return kMultiLayer;
        top = top || name == "F.Cu";
        bottom = bottom || name == "B.Cu";
    }
    if (top && bottom) return kMultiLayer;
    if (top) return std::uint8_t{1};
    if (bottom) return std::uint8_t{6};
    for (std::string_view name : layers) {
        if (auto layer = libraryLayerForKicad(name); layer && *layer != kMultiLayer) return layer;
    }
    return std::nullopt;
}
