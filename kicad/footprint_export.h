#pragma once

#include "kicad_units.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class Component;

/// How library components become KiCad footprints.
struct KicadExportOptions {
    /// The length of one library unit.
    KicadUnit unit;
    /// The drill of a through-hole pad as a share of its smaller side (its diameter for a round
    /// pad); the result is never below `kMinDrillNanometres` nor above that side. A ratio that is
    /// not a positive number counts as the default.
    double drillRatio = kDefaultDrillRatio;
    /// One drill for every through-hole pad, in nanometres, instead of the ratio; ignored unless
    /// positive.
    std::optional<std::int64_t> drillNanometres;
    /// Add a courtyard round the pads and drawings when the component has no drawing on the
    /// keep-out layer (12), which is written as the courtyard.
    bool courtyard = true;
    /// KiCad names to give footprints back, by component name (as a names file beside the
    /// library maps them); a component not listed keeps its own name.
    std::map<std::string, std::string> footprintNames;

    static constexpr double kDefaultDrillRatio = 0.6;
    static constexpr std::int64_t kMinDrillNanometres = 300'000;
};

/// One footprint as KiCad 6 footprint-file text, with what could not be carried over exactly.
struct FootprintText {
    /// The whole `.kicad_mod` file, ending in a newline.
    std::string text;
    /// One line for each primitive that was skipped or changed on the way, naming the record
    /// ("record 3 (Pad): ..."); empty when the footprint is exact.
    std::vector<std::string> notes;
};

/// Whether a String's text only holds the place of a designator: "REF**", or letters followed by
/// "?" ("U?", "IC?").
bool isDesignatorPlaceholder(std::string_view text);

/// The footprint name of a component: its listed name, read as Latin-1, in UTF-8.
std::string footprintName(const Component& component);

/// The footprint name the export gives a component: the KiCad name `options` maps its name to,
/// or else `footprintName(component)`.
std::string footprintName(const Component& component, const KicadExportOptions& options);

/// The drill of a through-hole pad whose smaller side is `sideNanometres` long.
std::int64_t padDrillNanometres(std::int64_t sideNanometres, const KicadExportOptions& options);

/// Writes `component` as a KiCad footprint. The first String on the top overlay whose text is a
/// designator placeholder becomes the reference field at its place, size and orientation (else
/// the field stands above the component); the value and `${REFERENCE}` go on the fabrication
/// layer. Any component gives a file KiCad reads, including
/// one without primitives or with fields no library should hold; what cannot be drawn in KiCad
/// as the viewer draws it is left out or approximated and named in the notes. The same
/// component and options always give the same bytes.
FootprintText exportFootprint(const Component& component, const KicadExportOptions& options);
