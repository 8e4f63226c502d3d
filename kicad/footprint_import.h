#pragma once

#include "component.h"
#include "footprint_reader.h"
#include "kicad_units.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

/// How footprints become components.
struct FootprintImportOptions {
    KicadUnit unit;
    /// Courtyard drawings go to the keep-out layer (12) instead of being skipped.
    bool withCourtyard = false;
    /// Roundings to whole units larger than this many units are counted in the summary.
    double roundingTolerance = 0.25;
};

/// One converted footprint: a component, or the reason it was refused; and what was
/// approximated or dropped, each kind of change once with its count ("3 x round-rect pad drawn
/// as a rectangle").
struct FootprintImport {
    std::unique_ptr<Component> component;
    std::string error;
    std::map<std::string, int> notes;
    /// How the pad numbers an export gives differ from KiCad's, e.g. "pads 1 2 3 4 6 become
    /// 1 2 3 4 5"; empty when every copper pad gets its own number back.
    std::string renumbering;

    explicit operator bool() const { return component != nullptr; }
    /// The renumbering, when there is one, then the notes as lines, most frequent first, e.g.
    /// "8 x round-rect pad drawn as a rectangle".
    std::vector<std::string> summary() const;
};

/// Builds the component `name` (at most 13 bytes) from `footprint`. Millimetres become units
/// rounded to the nearest, y is negated; pads, drawings and texts follow the import rules (see
/// the README). A value that does not fit its field (a coordinate or pad size beyond 16 bits, a
/// line width above 255) refuses the whole footprint with a message naming the element; nothing
/// is ever wrapped. The component's list holds drawings and texts first, then surface pads, then
/// through-hole pads, each in the order of their KiCad numbers (2 before 10, A1 before B1), pads
/// without a number and non-plated holes last, so that a save and an export give a footprint
/// numbered 1 to N its numbers back.
FootprintImport importFootprint(const KicadFootprint& footprint, std::string_view name,
                                const FootprintImportOptions& options = {});

/// Which of the quarters (bit 1 upper right, 2 upper left, 4 lower left, 8 lower right, in
/// library axes with y up) an arc from angle `start` sweeping `sweep` degrees counterclockwise
/// passes through; `exact` says whether it begins and ends on quarter boundaries.
int arcQuarters(double start, double sweep, bool& exact);
