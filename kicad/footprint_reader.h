#pragma once

#include "sexpr.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A plain model of one KiCad footprint as its .kicad_mod file gives it: millimetres, KiCad's
// axes (y downward), angles in degrees counterclockwise as seen on the screen. Nothing here is
// converted; the importer decides what each element becomes.

struct KicadPoint {
    double x = 0.0;
    double y = 0.0;
};

/// A drawn element, on the footprint or inside a custom pad.
struct KicadGraphic {
    enum class Kind { Line, Arc, Circle, Rect, Poly };

    Kind kind = Kind::Line;
    std::string layer;  // empty inside a custom pad
    double width = 0.0;
    bool filled = false;
    /// Line and Rect: start, end. Arc: start, mid, end. Circle: centre, a point on the circle.
    /// Poly: its corners in order.
    std::vector<KicadPoint> points;
    int line = 0;  // where it stands in the file
};

enum class KicadPadType { ThroughHole, Smd, Connect, NonPlatedHole };
enum class KicadPadShape { Circle, Rect, Oval, Trapezoid, RoundRect, Custom };

struct KicadDrill {
    double width = 0.0;   // the diameter, or the slot's width
    double height = 0.0;  // equal to width unless the hole is an oval slot
    KicadPoint offset;
};

struct KicadPad {
    std::string number;  // may be empty (a pad without a name)
    KicadPadType type = KicadPadType::Smd;
    KicadPadShape shape = KicadPadShape::Rect;
    KicadPoint at;
    double rotation = 0.0;
    KicadPoint size;
    std::optional<KicadDrill> drill;
    std::vector<std::string> layers;
    double roundrectRatio = 0.0;
    double chamferRatio = 0.0;
    std::vector<std::string> chamferCorners;  // top_left, top_right, bottom_left, bottom_right
    KicadPoint rectDelta;                     // trapezoid
    std::vector<KicadGraphic> primitives;     // custom shape, relative to the pad's centre
    int line = 0;
};

struct KicadText {
    enum class Kind { Reference, Value, User };

    Kind kind = Kind::User;
    std::string text;
    KicadPoint at;
    double rotation = 0.0;
    std::string layer;
    double height = 1.0;  // character height (KiCad's font size y)
    double thickness = 0.15;
    bool hidden = false;
    bool mirrored = false;
    int horizontal = 0;  // -1 left, 0 centre, 1 right
    int vertical = 0;    // -1 top, 0 centre, 1 bottom (screen terms)
    int line = 0;
};

struct KicadFootprint {
    std::string name;
    std::string layer;  // F.Cu or B.Cu
    std::string description;
    std::vector<std::string> attributes;
    std::vector<KicadPad> pads;
    std::vector<KicadGraphic> graphics;
    std::vector<KicadText> texts;
    /// Elements the model does not hold (3D models, zones, groups, ...), one entry per element.
    std::vector<std::string> unmodelled;
    bool legacy = false;  // the KiCad 5 (module ...) form
};

/// A footprint, or the reason it could not be read, with the line and column of the fault.
struct FootprintReadResult {
    std::optional<KicadFootprint> footprint;
    std::string error;
    /// Set when the file itself could not be opened or read, as opposed to read and refused.
    bool unreadable = false;

    explicit operator bool() const { return footprint.has_value(); }
};

/// Reads the text of a .kicad_mod file (KiCad 6 and later, and KiCad 5's `module` form). A value
/// of the wrong kind (a word where a number belongs, a number beyond any footprint's reach) is an
/// error naming the element and the place; unknown elements are listed in `unmodelled`.
FootprintReadResult readFootprint(std::string_view text, const SexprLimits& limits = {});

/// `readFootprint` on a file, refusing files above the size limit before reading them whole.
FootprintReadResult readFootprintFile(const std::string& path, const SexprLimits& limits = {});
