#pragma once

#include "kicad_units.h"

#include <cstdint>
#include <optional>
#include <string>
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

/// The footprint name of a component: its listed name, read as Latin-1, in UTF-8.
std::string footprintName(const Component& component);

/// The drill of a through-hole pad whose smaller side is `sideNanometres` long.
std::int64_t padDrillNanometres(std::int64_t sideNanometres, const KicadExportOptions& options);

/// Writes `component` as a KiCad footprint. Any component gives a file KiCad reads, including
/// one without primitives or with fields no library should hold; what cannot be drawn in KiCad
/// as the viewer draws it is left out or approximated and named in the notes. The same
/// component and options always give the same bytes.
FootprintText exportFootprint(const Component& component, const KicadExportOptions& options);
