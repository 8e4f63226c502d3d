#include "footprint_import.h"

#include "field_codes.h"
#include "glyph_advance.h"
#include "kicad_layers.h"
#include "kicad_text.h"
#include "pad_numbers.h"
#include "primitive_factory.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <new>
#include <numbers>
#include <optional>
#include <utility>

namespace {

constexpr std::int32_t kMax8Bit = 255;
// Angles closer than this to a quarter boundary count as on it.
constexpr double kAngleTolerance = 0.5;

// Thrown inside this file only: a value that does not fit, caught by importFootprint.
struct Refusal {
    std::string message;
};

struct LibPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

double normalisedDegrees(double degrees) {
    double d = std::fmod(degrees, 360.0);
    if (d < 0) {
        d += 360.0;
    }
    return d;
}

// A millimetre value as a person reads it in a message: "833", "-0.635".
std::string millimetres(double mm) {
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%.6g", mm);
    return text.data();
}

class Converter {
public:
    Converter(const KicadFootprint& footprint, std::string_view name,
              const FootprintImportOptions& options)
        : fp_(footprint), name_(name), options_(options) {}

    std::unique_ptr<Component> run();
    std::map<std::string, int>& notes() { return notes_; }
    std::string& renumbering() { return renumbering_; }

private:
    void note(const std::string& text) { ++notes_[text]; }

    std::int64_t nanometres(double mm) const {
        return static_cast<std::int64_t>(std::llround(mm * 1.0e6));
    }
    void countRounding(std::int64_t nm, std::int32_t units) {
        const double error = std::fabs(static_cast<double>(nm - static_cast<std::int64_t>(units) *
                                                                    options_.unit.nanometres)) /
                             static_cast<double>(options_.unit.nanometres);
        if (error > options_.roundingTolerance) {
            ++roundedValues_;
            largestRounding_ = std::max(largestRounding_, error);
        }
    }
    std::int32_t length(double mm, const std::string& what) {
        const std::int64_t nm = nanometres(mm);
        const auto units = toLibraryUnits(nm, options_.unit);
        if (!units) {
            throw Refusal{what + " of " + millimetres(mm) +
                          " mm does not fit the 16-bit field (at most 32,767 units)"};
        }
        countRounding(nm, *units);
        return *units;
    }
    std::int32_t width8(double mm, const std::string& what) {
        const std::int32_t units = length(mm, what);
        if (units > kMax8Bit || units < 0) {
            throw Refusal{what + " of " + millimetres(mm) + " mm is " + std::to_string(units) +
                          " units, more than the 255 its 8-bit field holds"};
        }
        return units;
    }
    LibPoint point(KicadPoint p, const std::string& what) {
        return {length(p.x, what + " x"), -length(p.y, what + " y")};
    }

    std::optional<std::uint8_t> drawingLayer(const std::string& layer, const std::string& what);
    void addPad(const KicadPad& pad);
    void orderPads();
    void addGraphic(const KicadGraphic& g);
    void addText(const KicadText& t);
    void addOutline(std::uint8_t layer, const std::vector<KicadPoint>& points, double width,
                    bool closed, const std::string& what);

    const KicadFootprint& fp_;
    std::string name_;
    const FootprintImportOptions& options_;
    std::map<std::string, int> notes_;
    int roundedValues_ = 0;
    double largestRounding_ = 0.0;
    bool hasDrill_ = false;
    std::vector<Primitive> drawings_;  // drawings, texts and surface pads, in the desired order
    // A pad with the number KiCad gave it; `numbered` is false for a pad without a number and
    // for a non-plated hole, which go after the others.
    struct ImportedPad {
        Primitive primitive;
        std::string number;
        bool numbered = true;
    };
    std::vector<ImportedPad> pads_;
    std::vector<Primitive> surfacePads_;
    std::vector<Primitive> throughPads_;
    std::string renumbering_;
};

std::optional<std::uint8_t> Converter::drawingLayer(const std::string& layer,
                                                    const std::string& what) {
    if (isKicadCourtyardLayer(layer)) {
        if (options_.withCourtyard) {
            return kKeepOutLayer;
        }
        note(what + " on the courtyard skipped");
        return std::nullopt;
    }
    if (isKicadFabricationLayer(layer)) {
        note(what + " on the fabrication layer skipped");
        return std::nullopt;
    }
    const auto mapped = libraryLayerForKicad(layer);
    if (!mapped) {
        note(what + " on " + layer + " skipped (no such layer here)");
    }
    return mapped;
}

void Converter::addPad(const KicadPad& pad) {
    const std::string what = "pad \"" + pad.number + "\"";
    std::uint8_t layer = kMultiLayer;
    if (pad.type == KicadPadType::Smd || pad.type == KicadPadType::Connect) {
        // Copper decides the side; a pad on a drawing layer only (as the export writes pads of
        // other layers) keeps that layer; paste or mask alone has no layer here.
        std::vector<std::string_view> names(pad.layers.begin(), pad.layers.end());
        const auto mapped = libraryLayerForPadLayers(names);
        if (!mapped) {
            note("pad without copper (paste or mask only) dropped");
            return;
        }
        layer = *mapped;
    }
    if (pad.type == KicadPadType::NonPlatedHole) {
        note("non-plated hole imported as a through-hole pad");
    }
    double w = pad.size.x;
    double h = pad.size.y;
    PadShape shape = PadShape::Rectangle;
    switch (pad.shape) {
        case KicadPadShape::Circle:
            shape = PadShape::Round;
            h = w;
            break;
        case KicadPadShape::Rect:
            shape = PadShape::Rectangle;
            break;
        case KicadPadShape::Oval:
            shape = PadShape::Rounded;
            break;
        case KicadPadShape::Trapezoid:
            note("trapezoid pad drawn as a rectangle of its size");
            break;
        case KicadPadShape::RoundRect: {
            const bool allCorners = pad.chamferCorners.size() >= 4 && pad.chamferRatio > 0;
            if (allCorners) {
                shape = PadShape::Octagon;
                note("chamfered pad drawn as an octagon");
            } else if (!pad.chamferCorners.empty() && pad.chamferRatio > 0) {
                note("pad chamfered on some corners drawn as a rectangle");
            } else {
                note("round-rect pad drawn as a rectangle");
            }
            break;
        }
        case KicadPadShape::Custom: {
            double minX = -w / 2, maxX = w / 2, minY = -h / 2, maxY = h / 2;
            auto take = [&](double x, double y, double grow) {
                minX = std::min(minX, x - grow);
                maxX = std::max(maxX, x + grow);
                minY = std::min(minY, y - grow);
                maxY = std::max(maxY, y + grow);
            };
            for (const KicadGraphic& g : pad.primitives) {
                const double half = g.width / 2;
                if (g.kind == KicadGraphic::Kind::Circle && g.points.size() == 2) {
                    const double r =
                        std::hypot(g.points[1].x - g.points[0].x, g.points[1].y - g.points[0].y);
                    take(g.points[0].x, g.points[0].y, r + half);
                } else {
                    for (const KicadPoint& p : g.points) {
                        take(p.x, p.y, half);
                    }
                }
            }
            // The primitives are drawn around the pad's centre; keep that centre and cover them.
            w = 2 * std::max(-minX, maxX);
            h = 2 * std::max(-minY, maxY);
            note("custom pad drawn as its bounding rectangle");
            break;
        }
    }

    const double turn = normalisedDegrees(pad.rotation);
    const double nearestQuarter = std::round(turn / 90.0) * 90.0;
    if (std::fabs(turn - nearestQuarter) <= 1e-6) {
        const long quarter = std::lround(nearestQuarter / 90.0) % 4;
        if (quarter % 2 == 1) {
            std::swap(w, h);
        }
    } else if (shape != PadShape::Round) {
        const double a = turn * std::numbers::pi / 180.0;
        const double bw = std::fabs(w * std::cos(a)) + std::fabs(h * std::sin(a));
        const double bh = std::fabs(w * std::sin(a)) + std::fabs(h * std::cos(a));
        w = bw;
        h = bh;
        shape = PadShape::Rectangle;
        note("pad turned by an angle other than a quarter drawn as its upright bounding box");
    }

    const LibPoint centre = point(pad.at, what + " position");
    const std::int32_t xSize = length(w, what + " width");
    const std::int32_t ySize = length(h, what + " height");
    Primitive primitive = makePad(layer, centre.x, centre.y, xSize, ySize, static_cast<int>(shape));
    pads_.push_back(
        {primitive, pad.number, !pad.number.empty() && pad.type != KicadPadType::NonPlatedHole});
    if (pad.drill && layer == kMultiLayer) {
        hasDrill_ = true;
    }
}

void Converter::addOutline(std::uint8_t layer, const std::vector<KicadPoint>& points, double width,
                           bool closed, const std::string& what) {
    const std::int32_t w = width8(width, what + " line width");
    std::vector<LibPoint> corners;
    for (const KicadPoint& p : points) {
        corners.push_back(point(p, what));
    }
    const std::size_t segments = closed ? corners.size() : corners.size() - 1;
    for (std::size_t i = 0; i < segments; ++i) {
        const LibPoint a = corners[i];
        const LibPoint b = corners[(i + 1) % corners.size()];
        if (closed && i + 1 == corners.size() && a.x == b.x && a.y == b.y) {
            continue;  // already closed by its last point
        }
        drawings_.push_back(makeTrack(layer, a.x, a.y, b.x, b.y, w));
    }
}

void Converter::addGraphic(const KicadGraphic& g) {
    static constexpr std::array<const char*, 5> kNames = {"line", "arc", "circle", "rectangle",
                                                          "polygon"};
    const std::string kind = kNames[static_cast<std::size_t>(g.kind)];
    const auto layer = drawingLayer(g.layer, kind);
    if (!layer) {
        return;
    }
    const std::string what = kind + " at line " + std::to_string(g.line);
    switch (g.kind) {
        case KicadGraphic::Kind::Line:
            addOutline(*layer, g.points, g.width, false, what);
            break;
        case KicadGraphic::Kind::Rect: {
            const KicadPoint a = g.points[0];
            const KicadPoint b = g.points[1];
            if (g.filled) {
                const double grow = g.width / 2;
                const LibPoint p1 =
                    point({std::min(a.x, b.x) - grow, std::min(a.y, b.y) - grow}, what);
                const LibPoint p2 =
                    point({std::max(a.x, b.x) + grow, std::max(a.y, b.y) + grow}, what);
                drawings_.push_back(makeFill(*layer, p1.x, p1.y, p2.x, p2.y));
            } else {
                addOutline(*layer, {a, {b.x, a.y}, b, {a.x, b.y}}, g.width, true, what);
            }
            break;
        }
        case KicadGraphic::Kind::Circle: {
            const LibPoint centre = point(g.points[0], what + " centre");
            const double r =
                std::hypot(g.points[1].x - g.points[0].x, g.points[1].y - g.points[0].y);
            if (g.filled) {
                // A disc is a circle of half its outer radius drawn with a line that wide.
                const double outer = r + g.width / 2;
                const std::int32_t diameter = length(outer, what + " radius");
                if (diameter <= kMax8Bit) {
                    drawings_.push_back(makeArc(*layer, centre.x, centre.y, diameter / 2,
                                                arc_quarter::kAll, diameter));
                    break;
                }
                note("filled circle too large to fill drawn as its outline");
            }
            const std::int32_t radius = length(r, what + " radius");
            drawings_.push_back(makeArc(*layer, centre.x, centre.y, radius, arc_quarter::kAll,
                                        width8(g.width, what + " line width")));
            break;
        }
        case KicadGraphic::Kind::Arc: {
            // Library axes: y up, so KiCad's y is negated before the angles are taken.
            const double sx = g.points[0].x, sy = -g.points[0].y;
            const double mx = g.points[1].x, my = -g.points[1].y;
            const double ex = g.points[2].x, ey = -g.points[2].y;
            const double d = 2 * (sx * (my - ey) + mx * (ey - sy) + ex * (sy - my));
            if (std::fabs(d) < 1e-12) {
                note("arc through three points on a line drawn as a line");
                addOutline(*layer, {g.points[0], g.points[2]}, g.width, false, what);
                break;
            }
            const double s2 = sx * sx + sy * sy, m2 = mx * mx + my * my, e2 = ex * ex + ey * ey;
            const double cx = (s2 * (my - ey) + m2 * (ey - sy) + e2 * (sy - my)) / d;
            const double cy = (s2 * (ex - mx) + m2 * (sx - ex) + e2 * (mx - sx)) / d;
            const double r = std::hypot(sx - cx, sy - cy);
            auto angle = [&](double x, double y) {
                return normalisedDegrees(std::atan2(y - cy, x - cx) * 180.0 / std::numbers::pi);
            };
            const double as = angle(sx, sy), am = angle(mx, my), ae = angle(ex, ey);
            const double ccwToEnd = normalisedDegrees(ae - as);
            const double ccwToMid = normalisedDegrees(am - as);
            double start = as;
            double sweep = ccwToEnd;
            if (ccwToMid > ccwToEnd) {  // the arc runs clockwise: the same arc from its end
                start = ae;
                sweep = 360.0 - ccwToEnd;
            }
            if (sweep < 1e-9) {
                sweep = 360.0;
            }
            bool exact = true;
            const int quarters = arcQuarters(start, sweep, exact);
            if (!exact) {
                note("arc widened to the whole quarters it touches");
            }
            const std::int32_t x = length(cx, what + " centre x");
            const std::int32_t y = length(cy, what + " centre y");
            drawings_.push_back(makeArc(*layer, x, y, length(r, what + " radius"), quarters,
                                        width8(g.width, what + " line width")));
            break;
        }
        case KicadGraphic::Kind::Poly: {
            std::vector<KicadPoint> pts = g.points;
            if (pts.size() > 2 && pts.front().x == pts.back().x && pts.front().y == pts.back().y) {
                pts.pop_back();
            }
            if (g.filled && pts.size() == 4) {
                const bool rectangle = (pts[0].x == pts[1].x && pts[1].y == pts[2].y &&
                                        pts[2].x == pts[3].x && pts[3].y == pts[0].y) ||
                                       (pts[0].y == pts[1].y && pts[1].x == pts[2].x &&
                                        pts[2].y == pts[3].y && pts[3].x == pts[0].x);
                if (rectangle) {
                    const LibPoint p1 = point(pts[0], what);
                    const LibPoint p2 = point(pts[2], what);
                    drawings_.push_back(makeFill(*layer, p1.x, p1.y, p2.x, p2.y));
                    break;
                }
            }
            if (g.filled) {
                note("filled polygon drawn as its outline");
            }
            addOutline(*layer, pts, g.width, true, what);
            break;
        }
    }
}

void Converter::addText(const KicadText& t) {
    const std::string what = "text \"" + t.text + "\"";
    if (t.hidden) {
        note("hidden text skipped");
        return;
    }
    const auto layer = drawingLayer(t.layer, "text");
    if (!layer) {
        return;
    }
    std::string text = t.text;
    if (t.kind == KicadText::Kind::Reference || text == "${REFERENCE}") {
        text = t.kind == KicadText::Kind::Reference && !text.empty() && text != "${REFERENCE}"
                   ? text
                   : "REF**";
    } else if (t.kind == KicadText::Kind::Value || text == "${VALUE}") {
        if (text == fp_.name || text == "${VALUE}") {
            text = name_;
        }
    }
    bool replaced = false;
    for (char& c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x7F) {
            c = '?';
            replaced = true;
        }
    }
    if (replaced) {
        note("characters outside ASCII in a text replaced by ?");
    }
    if (text.size() > kTextCapacity) {
        text.resize(kTextCapacity);
        note("text longer than 13 characters cut to 13");
    }
    if (text.empty()) {
        note("empty text skipped");
        return;
    }

    const std::int32_t height = length(t.height, what + " height");
    const std::int32_t stroke = width8(t.thickness, what + " stroke width");
    const double turn = normalisedDegrees(t.rotation);
    const long quarters = std::lround(turn / 90.0);
    if (std::fabs(turn - static_cast<double>(quarters) * 90.0) > kAngleTolerance) {
        note("text turned to the nearest quarter");
    }
    const std::int32_t orientation = orientationForKicad(static_cast<int>(quarters), t.mirrored);
    const TextDirection direction = *textDirection(orientation);

    // The String's anchor is the start of its baseline; KiCad's is where the justification puts
    // it: by default the middle of the ink, whose width is the advance sum less the two units
    // after the last glyph, and a little above the middle of the capitals. Step back from one
    // to the other in glyph space, then into the library's axes.
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(text.data()),
                                              text.size());
    // The viewer draws a font unit of the height / 6, truncated.
    const std::int32_t fontUnit = height / 6;
    const double unit = fontUnit;
    const double ink = unit * (advanceSum(bytes, static_cast<std::int32_t>(text.size())) - 2);
    const double gx = t.horizontal < 0 ? 0.0 : t.horizontal > 0 ? ink : ink / 2.0;
    const double gy = t.vertical < 0   ? 6.0 * unit
                      : t.vertical > 0 ? 0.0
                                       : unit * (3.0 - 6.0 * kKicadCapCentreRise);
    const auto unitNm = static_cast<double>(options_.unit.nanometres);
    const double ax = static_cast<double>(nanometres(t.at.x)) / unitNm;
    const double ay = -static_cast<double>(nanometres(t.at.y)) / unitNm;
    const double sx = ax - (direction.xx * gx + direction.xy * gy);
    const double sy = ay - (direction.yx * gx + direction.yy * gy);
    if (std::fabs(sx) > 32767.0 || std::fabs(sy) > 32767.0) {
        throw Refusal{what + " starts beyond the 16-bit range of the library's coordinates"};
    }
    const long x = std::lround(sx);
    const long y = std::lround(sy);
    if (x < std::numeric_limits<std::int16_t>::min() ||
        x > std::numeric_limits<std::int16_t>::max() ||
        y < std::numeric_limits<std::int16_t>::min() ||
        y > std::numeric_limits<std::int16_t>::max()) {
        throw Refusal{what + " starts beyond the 16-bit range of the library's coordinates"};
    }
    drawings_.push_back(makeString(*layer, static_cast<int>(x), static_cast<int>(y), height, stroke,
                                   orientation, text));
}

// The export numbers the copper pads 1, 2, 3, ... in the order a saved library holds them, and a
// library holds its through-hole pads after all others. So the pads go in the order of their
// KiCad numbers, unnumbered pads and non-plated holes last, surface pads before through-hole
// ones; where that does not give every copper pad its own number back, the summary says which
// numbers change.
void Converter::orderPads() {
    std::stable_sort(pads_.begin(), pads_.end(), [](const ImportedPad& a, const ImportedPad& b) {
        if (a.numbered != b.numbered) return a.numbered;
        return a.numbered && comparePadNumbers(a.number, b.number) < 0;
    });
    std::vector<std::string> before;
    std::vector<std::string> after;
    for (const bool through : {false, true}) {
        for (const ImportedPad& pad : pads_) {
            if ((pad.primitive.layer() == kMultiLayer) != through) continue;
            (through ? throughPads_ : surfacePads_).push_back(pad.primitive);
            if (isCopperLayer(pad.primitive.layer())) {
                before.push_back(pad.number);
                after.push_back(std::to_string(after.size() + 1));
            }
        }
    }
    renumbering_ = describeRenumbering(before, after);
}

std::unique_ptr<Component> Converter::run() {
    for (const KicadGraphic& g : fp_.graphics) {
        addGraphic(g);
    }
    for (const KicadText& t : fp_.texts) {
        addText(t);
    }
    for (const KicadPad& pad : fp_.pads) {
        addPad(pad);
    }
    orderPads();
    for (const std::string& element : fp_.unmodelled) {
        note("(" + element + ") dropped");
    }
    if (hasDrill_) {
        note("drill sizes not kept: the format has no hole for a pad");
    }
    if (roundedValues_ > 0) {
        std::array<char, 96> text{};
        std::snprintf(text.data(), text.size(),
                      "value rounded by more than %.2f units (at most %.2f)",
                      options_.roundingTolerance, largestRounding_);
        notes_[text.data()] = roundedValues_;
    }

    drawings_.insert(drawings_.end(), surfacePads_.begin(), surfacePads_.end());
    const std::size_t total = drawings_.size() + throughPads_.size();
    if (total > static_cast<std::size_t>(kMaxPrimitiveCount)) {
        throw Refusal{"it would need " + std::to_string(total) +
                      " primitives, more than the 32,767 a component holds"};
    }
    auto component = std::make_unique<Component>(makeEntry(name_));
    // A component puts each new drawing at its head and each through-hole pad at its tail, so
    // the drawings go in backwards to come out in order.
    for (auto it = drawings_.rbegin(); it != drawings_.rend(); ++it) {
        component->addPrimitive(*it);
    }
    for (const Primitive& pad : throughPads_) {
        component->addPrimitive(pad);
    }
    if (total == 0) {
        note("nothing on the layers imported: the component is empty");
    }
    return component;
}

}  // namespace

int arcQuarters(double start, double sweep, bool& exact) {
    start = normalisedDegrees(start);
    sweep = std::clamp(sweep, 0.0, 360.0);
    const double end = start + sweep;
    auto onBoundary = [](double a) {
        const double rest = std::fmod(a, 90.0);
        return rest <= kAngleTolerance || rest >= 90.0 - kAngleTolerance;
    };
    exact = onBoundary(start) && onBoundary(end);
    int flags = 0;
    // Quarter q spans q x 90 to (q + 1) x 90 degrees; the arc may wrap past 360 once.
    for (int lap = 0; lap < 2; ++lap) {
        for (int q = 0; q < 4; ++q) {
            const double from = q * 90.0 + lap * 360.0;
            const double to = from + 90.0;
            const double overlap = std::min(end, to) - std::max(start, from);
            if (overlap > kAngleTolerance) {
                flags |= arc_quarter::bit(q);
            }
        }
    }
    return flags;
}

std::vector<std::string> FootprintImport::summary() const {
    std::vector<std::pair<std::string, int>> sorted(notes.begin(), notes.end());
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    std::vector<std::string> lines;
    if (!renumbering.empty()) {
        lines.push_back(renumbering);
    }
    for (const auto& [text, count] : sorted) {
        lines.push_back(std::to_string(count) + " x " + text);
    }
    return lines;
}

FootprintImport importFootprint(const KicadFootprint& footprint, std::string_view name,
                                const FootprintImportOptions& options) {
    FootprintImport result;
    try {
        Converter converter(footprint, name, options);
        result.component = converter.run();
        result.notes = std::move(converter.notes());
        result.renumbering = std::move(converter.renumbering());
    } catch (const Refusal& refusal) {
        result.error = refusal.message;
    } catch (const std::bad_alloc&) {
        result.error = "not enough memory to convert it";
    }
    return result;
}
