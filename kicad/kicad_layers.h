#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

/// The KiCad layer a drawing on library layer `layer` goes to: 1 F.Cu, 2 to 5 In1.Cu to In4.Cu,
/// 6 B.Cu, 7 F.SilkS, 8 B.SilkS, 11 Edge.Cuts, and the layers with no footprint meaning to user
/// drawing layers: 9 Dwgs.User, 10 Cmts.User, 13 (MultiLayer) Eco2.User; the keep-out layer 12
/// is the courtyard, F.CrtYd, where an import puts courtyards. Every
/// library layer gets its own KiCad layer so that the map can be read back. None for a layer
/// outside 1 to 13.
std::optional<std::string_view> kicadLayerName(std::uint8_t layer);

/// The library layer a KiCad drawing layer stands for, the inverse of `kicadLayerName`. KiCad 7
/// and later name the silkscreens F.Silkscreen and B.Silkscreen; both spellings are taken, and
/// every courtyard (front or back, either spelling) is 12. None for a layer the map does not use
/// (F.Fab, Eco1.User, ...).
std::optional<std::uint8_t> libraryLayerForKicad(std::string_view kicadLayer);

/// The layer KiCad gives a footprint as a whole, whatever its drawings are on.
inline constexpr std::string_view kKicadFootprintLayer = "F.Cu";

/// The layer of a footprint's reference field: the top silkscreen, where a board shows it.
inline constexpr std::string_view kKicadReferenceLayer = "F.SilkS";

/// The layer of a footprint's value field: the front fabrication layer, which no library layer
/// stands for, so that the name does not come back as a drawing.
inline constexpr std::string_view kKicadValueLayer = "F.Fab";

/// The layer of a footprint's courtyard, which library layer 12 stands for.
inline constexpr std::string_view kKicadCourtyardLayer = "F.CrtYd";

/// Whether `kicadLayer` is a courtyard, in KiCad 6's spelling or a later one.
bool isKicadCourtyardLayer(std::string_view kicadLayer);

/// Whether `kicadLayer` is a fabrication layer.
bool isKicadFabricationLayer(std::string_view kicadLayer);

/// How a pad sits on the board in KiCad.
enum class KicadPadKind {
    /// Through every copper layer, with a hole: a MultiLayer pad or a via.
    ThroughHole,
    /// On one copper side only, with its paste and mask.
    Surface,
};

/// The kind of pad a library Pad on `layer` becomes: through-hole on the MultiLayer, a surface
/// pad on any other layer.
KicadPadKind kicadPadKind(std::uint8_t layer);

/// The KiCad layers a pad on library layer `layer` covers: "*.Cu" "*.Mask" on the MultiLayer;
/// copper, paste and mask of its side on 1 (top) and 6 (bottom); on any other layer of 1 to 12
/// only that layer, as no paste or mask belongs to it. Empty for a layer outside 1 to 13.
std::span<const std::string_view> kicadPadLayers(std::uint8_t layer);

/// The library layer of a KiCad pad from the layers it lists: 13 when it covers all copper
/// ("*.Cu", or both F.Cu and B.Cu), 1 for F.Cu, 6 for B.Cu, else the first listed layer the map
/// knows. Paste and mask layers do not decide. None when no listed layer maps.
std::optional<std::uint8_t> libraryLayerForPadLayers(std::span<const std::string_view> layers);
