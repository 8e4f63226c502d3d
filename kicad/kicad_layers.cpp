#include "kicad_layers.h"

#include "field_codes.h"

#include <array>

namespace {

// Indexed by library layer; index 0 is unused.
constexpr std::array<std::string_view, kMultiLayer + 1> kLayerNames = [] {
    std::array<std::string_view, kMultiLayer + 1> names{};
    names[kTopLayer] = "F.Cu";
    names[2] = "In1.Cu";
    names[3] = "In2.Cu";
    names[4] = "In3.Cu";
    names[kLastInnerLayer] = "In4.Cu";
    names[kBottomLayer] = "B.Cu";
    names[kTopOverlay] = "F.SilkS";
    names[kBottomOverlay] = "B.SilkS";
    names[kGroundPlane] = "Dwgs.User";
    names[kPowerPlane] = "Cmts.User";
    names[kBoardLayer] = "Edge.Cuts";
    names[kKeepOutLayer] = kKicadCourtyardLayer;
    names[kMultiLayer] = "Eco2.User";
    return names;
}();
static_assert(kLayerNames[kTopLayer] == kKicadFootprintLayer);
static_assert(kLayerNames[kTopOverlay] == kKicadReferenceLayer);
static_assert(kLayerNames[kKeepOutLayer] == kKicadCourtyardLayer);

constexpr std::array<std::string_view, 2> kThroughHoleLayers = {"*.Cu", "*.Mask"};
constexpr std::array<std::string_view, 3> kTopSurfaceLayers = {"F.Cu", "F.Paste", "F.Mask"};
constexpr std::array<std::string_view, 3> kBottomSurfaceLayers = {"B.Cu", "B.Paste", "B.Mask"};

}  // namespace

bool isKicadCourtyardLayer(std::string_view kicadLayer) {
    return kicadLayer == "F.CrtYd" || kicadLayer == "B.CrtYd" || kicadLayer == "F.Courtyard" ||
           kicadLayer == "B.Courtyard";
}

bool isKicadFabricationLayer(std::string_view kicadLayer) {
    return kicadLayer == "F.Fab" || kicadLayer == "B.Fab";
}

std::optional<std::string_view> kicadLayerName(std::uint8_t layer) {
    if (!isBoardLayer(layer)) return std::nullopt;
    return kLayerNames[layer];
}

std::optional<std::uint8_t> libraryLayerForKicad(std::string_view kicadLayer) {
    if (kicadLayer == "F.Silkscreen") return kTopOverlay;
    if (kicadLayer == "B.Silkscreen") return kBottomOverlay;
    if (isKicadCourtyardLayer(kicadLayer)) return kKeepOutLayer;
    for (std::uint8_t layer = kTopLayer; layer <= kMultiLayer; ++layer) {
        if (kLayerNames[layer] == kicadLayer) return layer;
    }
    return std::nullopt;
}

KicadPadKind kicadPadKind(std::uint8_t layer) {
    return layer == kMultiLayer ? KicadPadKind::ThroughHole : KicadPadKind::Surface;
}

std::span<const std::string_view> kicadPadLayers(std::uint8_t layer) {
    if (!isBoardLayer(layer)) return {};
    if (layer == kMultiLayer) return kThroughHoleLayers;
    if (layer == kTopLayer) return kTopSurfaceLayers;
    if (layer == kBottomLayer) return kBottomSurfaceLayers;
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
    if (top) return kTopLayer;
    if (bottom) return kBottomLayer;
    for (std::string_view name : layers) {
        if (auto layer = libraryLayerForKicad(name); layer && *layer != kMultiLayer) return layer;
    }
    return std::nullopt;
}
