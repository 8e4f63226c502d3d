#include "footprint_export.h"

#include "component.h"
#include "field_codes.h"
#include "glyph_advance.h"
#include "kicad_layers.h"
#include "kicad_strings.h"
#include "kicad_text.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string_view>

namespace {

constexpr std::string_view kReference = "REF**";
// KiCad's default field text: 1 mm high, 0.15 mm strokes, 1.5 mm clear of the drawing.
constexpr std::int64_t kFieldSize = 1'000'000;
constexpr std::int64_t kFieldThickness = 150'000;
constexpr std::int64_t kFieldGap = 1'500'000;
// KiCad's library conventions for a courtyard: 0.25 mm clear of pads and drawings, its corners
// on a 0.01 mm grid, drawn 0.05 mm wide.
constexpr std::int64_t kCourtyardClearance = 250'000;
constexpr std::int64_t kCourtyardGrid = 10'000;
constexpr std::int64_t kCourtyardWidth = 50'000;

// KiCad clamps every coordinate it reads to about 1518 mm (so that squared distances fit its
// integers); a primitive reaching beyond 1.5 m would come out bent, so it is left out.
constexpr std::int64_t kKicadReach = 1'500'000'000;

const char* kindName(const Primitive& primitive) {
    switch (*primitive.kind()) {
        case PrimitiveType::Arc:
            return "Arc";
        case PrimitiveType::Fill:
            return "Fill";
        case PrimitiveType::Pad:
            return "Pad";
        case PrimitiveType::Track:
            return "Track";
        case PrimitiveType::String:
            return "String";
        case PrimitiveType::Via:
            return "Via";
    }
    return "?";
}

// `value` rounded down (`up` false) or up to a multiple of `step`.
std::int64_t toGrid(std::int64_t value, std::int64_t step, bool up) {
    std::int64_t q = value / step;
    if (q * step != value && ((value < 0) != up)) q += up ? 1 : -1;
    return q * step;
}

// A box in KiCad nanometres, y down; empty until something is added.
struct NanometreBox {
    std::int64_t minX = 0, maxX = 0, minY = 0, maxY = 0;
    bool empty = true;

    void add(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2) {
        const std::int64_t loX = std::min(x1, x2), hiX = std::max(x1, x2);
        const std::int64_t loY = std::min(y1, y2), hiY = std::max(y1, y2);
        if (empty) {
            minX = loX, maxX = hiX, minY = loY, maxY = hiY;
            empty = false;
            return;
        }
        minX = std::min(minX, loX), maxX = std::max(maxX, hiX);
        minY = std::min(minY, loY), maxY = std::max(maxY, hiY);
    }
};

// The characters of a String the viewer draws: codes from 128 take the glyph 128 lower, and
// codes without a glyph draw nothing and do not move the pen.
std::string drawnCharacters(const StringFields& s) {
    std::string characters;
    for (std::uint8_t byte : s.text) {
        const std::uint8_t code = byte & 0x7F;
        if (code >= 0x20 && code != 0x7F) characters += static_cast<char>(code);
    }
    return characters;
}

}  // namespace

bool isDesignatorPlaceholder(std::string_view text) {
    if (text == kReference) return true;
    if (text.size() < 2 || text.back() != '?') return false;
    return std::all_of(text.begin(), text.end() - 1,
                       [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); });
}

namespace {

class FootprintWriter {
public:
    FootprintWriter(const Component& component, const KicadExportOptions& options)
        : component_(component), options_(options) {}

    FootprintText write();

private:
    std::string mm(std::int64_t nanometres) const { return formatMillimetres(nanometres); }
    std::string length(std::int64_t units) const { return formatUnits(units, options_.unit); }
    // A library point as KiCad "x y".
    std::string point(std::int64_t x, std::int64_t y) const {
        return length(x) + ' ' + formatMillimetres(toKicadYNanometres(y, options_.unit));
    }
    std::string pointNm(std::int64_t x, std::int64_t y) const { return mm(x) + ' ' + mm(y); }
    std::int64_t nm(std::int64_t units) const { return toNanometres(units, options_.unit); }

    void note(const Primitive& primitive, const std::string& what) {
        result_.notes.push_back("record " + std::to_string(primitive.readOrder() + 1) + " (" +
                                kindName(primitive) + "): " + what);
    }
    std::optional<std::string_view> drawingLayer(const Primitive& primitive) {
        const auto layer = kicadLayerName(primitive.layer());
        if (!layer) {
            note(primitive,
                 "layer " + std::to_string(primitive.layer()) + " is not a board layer; skipped");
        }
        return layer;
    }

    // Whether the primitive's box lies where KiCad can hold it; notes it when not. Pads and
    // vias are tested when their turn comes, so that each gets one note.
    bool withinReach(const Primitive& primitive) {
        const Bounds& b = primitive.bounds();
        const std::int64_t farthest = std::max({std::abs(nm(b.minX)), std::abs(nm(b.maxX)),
                                                std::abs(nm(b.minY)), std::abs(nm(b.maxY))});
        if (farthest <= kKicadReach) return true;
        const bool padOrVia =
            primitive.kind() == PrimitiveType::Pad || primitive.kind() == PrimitiveType::Via;
        if (padOrVia != notingPads_) return false;
        note(primitive, "reaches " + mm(farthest) + " mm from the origin, beyond the " +
                            mm(kKicadReach) + " mm KiCad can hold; skipped");
        return false;
    }

    // Where KiCad must put a text to draw a String where the viewer does.
    struct PlacedText {
        std::string characters;
        std::int64_t x = 0, y = 0;  // nanometres, KiCad's axes
        int angle = 0;
        std::int64_t size = 0;
        std::int64_t thickness = 0;
        bool mirrored = false;
    };

    const Primitive* findDesignator(const std::vector<const Primitive*>& records) const;
    void writeFields();
    void writeText(std::string_view kind, std::string_view text, const PlacedText& placed,
                   std::string_view layer, std::string& out) const;
    void writeCourtyard();
    // Grows the box of what was drawn by a box in library units, or by a centred rectangle in
    // nanometres.
    void drew(const Bounds& b) {
        drawn_.add(nm(b.minX), toKicadYNanometres(b.maxY, options_.unit), nm(b.maxX),
                   toKicadYNanometres(b.minY, options_.unit));
    }
    void drew(std::int64_t x, std::int64_t y, std::int64_t width, std::int64_t height) {
        const std::int64_t cx = nm(x);
        const std::int64_t cy = toKicadYNanometres(y, options_.unit);
        drawn_.add(cx - width / 2, cy - height / 2, cx + width - width / 2,
                   cy + height - height / 2);
    }
    void writeArc(const Primitive& primitive);
    void writeFill(const Primitive& primitive);
    void writeTrack(const Primitive& primitive);
    std::optional<PlacedText> placeString(const Primitive& primitive);
    void writeString(const Primitive& primitive);
    void writePad(const Primitive& primitive, std::optional<int> number);
    void writeVia(const Primitive& primitive);
    void writePadLine(const std::string& head, std::int64_t x, std::int64_t y, std::int64_t width,
                      std::int64_t height, std::optional<std::int64_t> drill,
                      std::span<const std::string_view> layers, const std::string& tail = {});

    const Component& component_;
    const KicadExportOptions& options_;
    FootprintText result_;
    std::string fields_;
    std::string body_;
    // The String that becomes the reference field, and the field when it has been written.
    const Primitive* designator_ = nullptr;
    std::string reference_;
    bool courtyardDrawn_ = false;
    NanometreBox drawn_;
    bool throughHole_ = false;
    bool surface_ = false;
    bool vias_ = false;
    bool notingPads_ = false;
};

FootprintText FootprintWriter::write() {
    // Records in the order the file held them; the list itself keeps Vias and MultiLayer Pads
    // last, which is the viewer's drawing order and not the file's.
    std::vector<const Primitive*> records;
    records.reserve(component_.primitives().size());
    for (const Primitive& primitive : component_.primitives()) records.push_back(&primitive);
    std::stable_sort(records.begin(), records.end(), [](const Primitive* a, const Primitive* b) {
        return a->readOrder() < b->readOrder();
    });

    designator_ = findDesignator(records);
    // Drawings on the layer an import puts courtyards on are the courtyard.
    courtyardDrawn_ = std::any_of(records.begin(), records.end(), [](const Primitive* p) {
        return p->layer() == kKeepOutLayer && p->kind() != PrimitiveType::String &&
               p->kind() != PrimitiveType::Pad && p->kind() != PrimitiveType::Via;
    });
    for (const Primitive* primitive : records) {
        if (!withinReach(*primitive)) continue;
        switch (*primitive->kind()) {
            case PrimitiveType::Arc:
                writeArc(*primitive);
                break;
            case PrimitiveType::Fill:
                writeFill(*primitive);
                break;
            case PrimitiveType::Track:
                writeTrack(*primitive);
                break;
            case PrimitiveType::String:
                writeString(*primitive);
                break;
            case PrimitiveType::Pad:
            case PrimitiveType::Via:
                break;
        }
    }
    notingPads_ = true;
    int nextNumber = 1;
    for (const Primitive* primitive : records) {
        if (primitive->kind() == PrimitiveType::Pad) {
            // Every copper pad takes the next number, so a skipped one leaves its gap and the
            // others keep the number of their record. KiCad numbers no pad off the copper.
            std::optional<int> number;
            if (isCopperLayer(primitive->layer())) number = nextNumber++;
            if (withinReach(*primitive)) writePad(*primitive, number);
        } else if (primitive->kind() == PrimitiveType::Via && withinReach(*primitive)) {
            writeVia(*primitive);
        }
    }

    writeFields();
    if (options_.courtyard && !courtyardDrawn_) writeCourtyard();

    std::string& text = result_.text;
    text = "(footprint " + quoteKicadString(footprintName(component_, options_)) +
           " (version 20211014) (generator cobble)\n  (layer " +
           quoteKicadString(kKicadFootprintLayer) + ")\n";
    // Vias do not make a surface-mount footprint a through-hole one (thermal vias under a
    // package); KiCad's placement files go by this.
    if (throughHole_) {
        text += "  (attr through_hole)\n";
    } else if (surface_) {
        text += "  (attr smd)\n";
    } else if (vias_) {
        text += "  (attr through_hole)\n";
    }
    text += fields_;
    text += body_;
    text += ")\n";
    return std::move(result_);
}

// The first String on the top overlay that only holds a designator's place ("REF**", "U?"):
// KiCad's reference field takes its place, so that a board does not print it beside the
// reference. It must be one the export would write.
const Primitive* FootprintWriter::findDesignator(
    const std::vector<const Primitive*>& records) const {
    for (const Primitive* primitive : records) {
        if (primitive->kind() != PrimitiveType::String || primitive->layer() != kTopOverlay) {
            continue;
        }
        const StringFields s = primitive->string();
        if (s.height / 6 == 0 || !textDirection(s.orientation)) continue;
        const Bounds& b = primitive->bounds();
        const std::int64_t farthest = std::max({std::abs(nm(b.minX)), std::abs(nm(b.maxX)),
                                                std::abs(nm(b.minY)), std::abs(nm(b.maxY))});
        if (farthest > kKicadReach) continue;
        if (isDesignatorPlaceholder(drawnCharacters(s))) return primitive;
    }
    return nullptr;
}

void FootprintWriter::writeText(std::string_view kind, std::string_view text,
                                const PlacedText& placed, std::string_view layer,
                                std::string& out) const {
    out += "  (fp_text " + std::string(kind) + ' ' + quoteKicadString(text) + " (at " +
           pointNm(placed.x, placed.y);
    if (placed.angle != 0) out += ' ' + std::to_string(placed.angle) + " unlocked";
    out += ") (layer " + quoteKicadString(layer) + ")\n    (effects (font (size " +
           mm(placed.size) + ' ' + mm(placed.size) + ") (thickness " + mm(placed.thickness) + "))";
    if (placed.mirrored) out += " (justify mirror)";
    out += ")\n  )\n";
}

void FootprintWriter::writeFields() {
    const Bounds& b = component_.bounds();
    std::int64_t centreX = 0;
    std::int64_t centreY = 0;
    std::int64_t top = 0;
    std::int64_t bottom = 0;
    if (b.minX <= b.maxX && b.minY <= b.maxY) {
        const std::int64_t reach = kKicadReach - kFieldGap;
        centreX = std::clamp((nm(b.minX) + nm(b.maxX)) / 2, -reach, reach);
        top = std::clamp(toKicadYNanometres(b.maxY, options_.unit), -reach, reach);
        bottom = std::clamp(toKicadYNanometres(b.minY, options_.unit), -reach, reach);
        centreY = (top + bottom) / 2;
    }
    PlacedText field;
    field.size = kFieldSize;
    field.thickness = kFieldThickness;
    if (reference_.empty()) {
        field.x = centreX;
        field.y = top - kFieldGap;
        writeText("reference", kReference, field, kKicadReferenceLayer, reference_);
    }
    fields_ += reference_;
    field.x = centreX;
    field.y = bottom + kFieldGap;
    writeText("value", footprintName(component_, options_), field, kKicadValueLayer, fields_);
    // The fabrication drawing shows the reference in the middle of the part, as KiCad's own
    // footprints do.
    field.x = centreX;
    field.y = centreY;
    writeText("user", "${REFERENCE}", field, kKicadValueLayer, fields_);
}

// A rectangle round everything the footprint draws but its texts, 0.25 mm clear, rounded
// outward to the grid; nothing when nothing was drawn.
void FootprintWriter::writeCourtyard() {
    if (drawn_.empty) return;
    const std::int64_t x1 = toGrid(drawn_.minX - kCourtyardClearance, kCourtyardGrid, false);
    const std::int64_t y1 = toGrid(drawn_.minY - kCourtyardClearance, kCourtyardGrid, false);
    const std::int64_t x2 = toGrid(drawn_.maxX + kCourtyardClearance, kCourtyardGrid, true);
    const std::int64_t y2 = toGrid(drawn_.maxY + kCourtyardClearance, kCourtyardGrid, true);
    body_ += "  (fp_rect (start " + pointNm(x1, y1) + ") (end " + pointNm(x2, y2) + ") (layer " +
             quoteKicadString(kKicadCourtyardLayer) + ") (width " + mm(kCourtyardWidth) +
             ") (fill none))\n";
}

void FootprintWriter::writeArc(const Primitive& primitive) {
    const auto layer = drawingLayer(primitive);
    if (!layer) return;
    const ArcFields a = primitive.arc();
    int quarters = a.quadrantFlags & arc_quarter::kAll;
    std::int64_t radius = a.radius;
    if (quarters == 0) {
        note(primitive, "no quarter is set; skipped");
        return;
    }
    if (radius == 0) {
        note(primitive, "radius 0; skipped");
        return;
    }
    if (radius < 0) {
        // The viewer's quarters then run between the mirrored points through the centre, which
        // draws the opposite quarters of a circle of the positive radius.
        radius = -radius;
        quarters = ((quarters << 2) | (quarters >> 2)) & arc_quarter::kAll;
        note(primitive, "negative radius; written as the opposite quarters of radius " +
                            std::to_string(radius));
    }
    const std::string tail =
        ") (layer " + quoteKicadString(*layer) + ") (width " + length(a.lineWidth) + "))\n";
    // Each quarter lies in the box from the centre to the radius on its side, its line half
    // its width beyond.
    const std::int64_t half = nm(a.lineWidth) / 2;
    for (int q = 0; q < 4; ++q) {
        if ((quarters & arc_quarter::bit(q)) == 0) continue;
        const std::int64_t dx = (q == 0 || q == 3) ? radius : -radius;
        const std::int64_t dy = q < 2 ? radius : -radius;
        const std::int64_t x1 = nm(a.x), x2 = nm(a.x + dx);
        const std::int64_t y1 = toKicadYNanometres(a.y, options_.unit);
        const std::int64_t y2 = toKicadYNanometres(a.y + dy, options_.unit);
        drawn_.add(std::min(x1, x2) - half, std::min(y1, y2) - half, std::max(x1, x2) + half,
                   std::max(y1, y2) + half);
    }
    if (quarters == arc_quarter::kAll) {
        body_ += "  (fp_circle (center " + point(a.x, a.y) + ") (end " + point(a.x + radius, a.y) +
                 ") (layer " + quoteKicadString(*layer) + ") (width " + length(a.lineWidth) +
                 ") (fill none))\n";
        return;
    }
    // Quarter q (0 to 3) spans 90q to 90(q + 1) degrees counter-clockwise from the positive x
    // axis, y up, as the viewer shows it. One arc per run of set quarters, each run begun where
    // the quarter before it is clear.
    const double r = static_cast<double>(nm(radius));
    const std::int64_t cx = nm(a.x);
    const std::int64_t cy = nm(a.y);
    auto at = [&](int eighths) {
        // The point at 45 x eighths degrees, rounded to the nanometre; KiCad y points down.
        static constexpr std::array<double, 8> kCos = {1,  M_SQRT1_2,  0, -M_SQRT1_2,
                                                       -1, -M_SQRT1_2, 0, M_SQRT1_2};
        const int e = eighths % 8;
        const double s = kCos[static_cast<std::size_t>((e + 6) % 8)];
        const std::int64_t x = cx + std::llround(r * kCos[static_cast<std::size_t>(e)]);
        const std::int64_t y = cy + std::llround(r * s);
        return pointNm(x, -y);
    };
    for (int q = 0; q < 4; ++q) {
        const bool set = (quarters & arc_quarter::bit(q)) != 0;
        const bool previousSet = (quarters & arc_quarter::bit((q + 3) % 4)) != 0;
        if (!set || previousSet) continue;
        int run = 1;
        while (run < 4 && (quarters & arc_quarter::bit((q + run) % 4)) != 0) ++run;
        // KiCad 6 sweeps an arc clockwise on its y-down board from start to end, whatever the
        // mid point says, so the run is written from its counter-clockwise end back to its
        // start; the mid point, on the arc, keeps readers that go by it right too.
        const int first = 2 * q;
        const int last = 2 * (q + run);
        body_ += "  (fp_arc (start " + at(last) + ") (mid " + at((first + last) / 2) + ") (end " +
                 at(first) + tail;
    }
}

void FootprintWriter::writeFill(const Primitive& primitive) {
    const auto layer = drawingLayer(primitive);
    if (!layer) return;
    const FillFields f = primitive.fill();
    if (f.x1 == f.x2 || f.y1 == f.y2) {
        note(primitive, "no area; skipped");
        return;
    }
    drew(primitive.bounds());
    body_ += "  (fp_rect (start " + point(std::min(f.x1, f.x2), std::max(f.y1, f.y2)) + ") (end " +
             point(std::max(f.x1, f.x2), std::min(f.y1, f.y2)) + ") (layer " +
             quoteKicadString(*layer) + ") (width 0) (fill solid))\n";
}

void FootprintWriter::writeTrack(const Primitive& primitive) {
    const auto layer = drawingLayer(primitive);
    if (!layer) return;
    const TrackFields t = primitive.track();
    // The line's round ends reach half its width beyond its end points.
    const std::int64_t half = nm(t.width) / 2;
    drawn_.add(nm(std::min(t.x1, t.x2)) - half,
               toKicadYNanometres(std::max(t.y1, t.y2), options_.unit) - half,
               nm(std::max(t.x1, t.x2)) + half,
               toKicadYNanometres(std::min(t.y1, t.y2), options_.unit) + half);
    body_ += "  (fp_line (start " + point(t.x1, t.y1) + ") (end " + point(t.x2, t.y2) +
             ") (layer " + quoteKicadString(*layer) + ") (width " + length(t.width) + "))\n";
}

std::optional<FootprintWriter::PlacedText> FootprintWriter::placeString(
    const Primitive& primitive) {
    const StringFields s = primitive.string();
    if (s.textLength > static_cast<std::int32_t>(s.text.size())) {
        note(primitive, "claims " + std::to_string(s.textLength) + " characters; the " +
                            std::to_string(s.text.size()) + " the record holds are written");
    }
    // Leaving out the codes without a glyph changes nothing the viewer draws.
    std::string characters = drawnCharacters(s);
    const bool highCodes =
        std::any_of(s.text.begin(), s.text.end(), [](std::uint8_t byte) { return byte >= 0x80; });
    if (characters.empty()) {
        note(primitive, "no character that draws; skipped");
        return std::nullopt;
    }
    const std::int32_t unit = s.height / 6;
    if (unit == 0) {
        note(primitive, "height " + std::to_string(s.height) + " draws as a point; skipped");
        return std::nullopt;
    }
    if (highCodes) note(primitive, "codes 128 to 255 written as the characters the viewer draws");
    for (std::string_view markup : {"~{", "^{", "_{", "${"}) {
        if (characters.find(markup) != std::string::npos) {
            note(primitive, "KiCad reads \"" + std::string(markup) + "\" as markup");
            break;
        }
    }
    auto direction = textDirection(s.orientation);
    if (!direction) {
        note(primitive, "orientation " + std::to_string(s.orientation) +
                            " piles the characters on one another; written upright");
        direction = textDirection(0);
    }
    // The stroke font's advance is each glyph's ink width plus two font units, so the ink of
    // the text spans (advance sum - 2) units; KiCad centres its ink on the point it is given,
    // which is therefore the centre of the viewer's ink, moved down the glyphs by KiCad's rise.
    const std::int32_t advance = advanceSum(s.text, s.textLength);
    const double gx = unit * (advance - 2) / 2.0;
    const double gy = unit * (3.0 - 6.0 * kKicadCapCentreRise);
    const double px = s.x + direction->xx * gx + direction->xy * gy;
    const double py = s.y + direction->yx * gx + direction->yy * gy;
    const auto unitNm = static_cast<double>(options_.unit.nanometres);
    PlacedText placed;
    placed.characters = std::move(characters);
    placed.x = std::llround(px * unitNm);
    placed.y = -std::llround(py * unitNm);
    // A negative height turns every glyph half a turn about its origin.
    placed.angle = (direction->kicadAngle + (unit < 0 ? 180 : 0)) % 360;
    placed.size = nm(6 * static_cast<std::int64_t>(std::abs(unit)));
    placed.thickness = nm(s.lineWidth);
    placed.mirrored = direction->mirrored;
    return placed;
}

void FootprintWriter::writeString(const Primitive& primitive) {
    const auto layer = drawingLayer(primitive);
    if (!layer) return;
    const auto placed = placeString(primitive);
    if (!placed) return;
    if (&primitive == designator_) {
        writeText("reference", kReference, *placed, *layer, reference_);
        return;
    }
    writeText("user", placed->characters, *placed, *layer, body_);
}

void FootprintWriter::writePadLine(const std::string& head, std::int64_t x, std::int64_t y,
                                   std::int64_t width, std::int64_t height,
                                   std::optional<std::int64_t> drill,
                                   std::span<const std::string_view> layers,
                                   const std::string& tail) {
    body_ += head + " (at " + point(x, y) + ") (size " + pointNm(width, height) + ')';
    if (drill) body_ += " (drill " + mm(*drill) + ')';
    body_ += " (layers";
    for (std::string_view layer : layers) body_ += ' ' + quoteKicadString(layer);
    body_ += ')';
    body_ += tail;
    body_ += ")\n";
}

void FootprintWriter::writePad(const Primitive& primitive, std::optional<int> number) {
    const PadFields p = primitive.pad();
    const auto layers = kicadPadLayers(primitive.layer());
    if (layers.empty()) {
        note(primitive,
             "layer " + std::to_string(primitive.layer()) + " is not a board layer; skipped");
        return;
    }
    const auto shape = padShape(p.shape);
    if (!shape) {
        note(primitive, "shape " + std::to_string(p.shape) + " is not drawn; skipped");
        return;
    }
    const bool round = *shape == PadShape::Round;
    if (p.xSize < 0 || (!round && p.ySize < 0)) {
        note(primitive, "negative size; written at its magnitude");
    }
    // A round pad is a circle of diameter xSize whatever its ySize, as the viewer draws it.
    const std::int64_t width = std::abs(static_cast<std::int64_t>(p.xSize));
    const std::int64_t height = round ? width : std::abs(static_cast<std::int64_t>(p.ySize));
    if (width == 0 || height == 0) {
        note(primitive, "size 0; skipped");
        return;
    }
    const bool throughHole = kicadPadKind(primitive.layer()) == KicadPadKind::ThroughHole;
    if (!number) note(primitive, "on a layer without copper; written as an unnumbered pad");
    std::string head = "  (pad " + quoteKicadString(number ? std::to_string(*number) : "") +
                       (throughHole ? " thru_hole " : " smd ");
    std::optional<std::int64_t> drill;
    if (throughHole) {
        drill = padDrillNanometres(nm(std::min(width, height)), options_);
        throughHole_ = true;
    } else if (number) {
        surface_ = true;
    }

    drew(p.x, p.y, nm(width), nm(height));
    const bool circle = round || (*shape == PadShape::Rounded && width == height);
    if (circle) {
        writePadLine(head + "circle", p.x, p.y, nm(width), nm(width), drill, layers);
    } else if (*shape == PadShape::Rectangle) {
        writePadLine(head + "rect", p.x, p.y, nm(width), nm(height), drill, layers);
    } else if (*shape == PadShape::Rounded) {
        writePadLine(head + "oval", p.x, p.y, nm(width), nm(height), drill, layers);
    } else {
        // The octagon exactly as the viewer draws it at one pixel per unit: halves and fifths
        // of the sizes truncated, corners relative to the centre (KiCad y down, like the
        // panel). The anchor is a disc of half the smaller side, which lies inside the outline.
        const std::int64_t w2 = width / 2;
        const std::int64_t w5 = width / 5;
        const std::int64_t h2 = height / 2;
        const std::int64_t h5 = height / 5;
        const std::array<std::pair<std::int64_t, std::int64_t>, 8> corners = {{
            {w2, h5},
            {w5, h2},
            {-w5, h2},
            {-w2, h5},
            {-w2, -h5},
            {-w5, -h2},
            {w5, -h2},
            {w2, -h5},
        }};
        std::string outline =
            "\n    (options (clearance outline) (anchor circle))\n"
            "    (primitives\n      (gr_poly (pts";
        // A small pad's fifths are 0 and corners fall together; each point is written once.
        for (std::size_t i = 0; i < corners.size(); ++i) {
            if (corners[i] == corners[(i + 1) % corners.size()]) continue;
            outline += " (xy " + pointNm(nm(corners[i].first), nm(corners[i].second)) + ')';
        }
        outline += ") (width 0) (fill yes))\n    )\n  ";
        const std::int64_t anchor = std::max<std::int64_t>(nm(std::min(width, height)) / 2, 1);
        writePadLine(head + "custom", p.x, p.y, anchor, anchor, drill, layers, outline);
    }
}

void FootprintWriter::writeVia(const Primitive& primitive) {
    const ViaFields v = primitive.via();
    if (v.diameter == 0) {
        note(primitive, "diameter 0; skipped");
        return;
    }
    if (v.holeDiameter == 0) {
        note(primitive, "hole diameter 0");
    } else if (v.holeDiameter >= v.diameter) {
        note(primitive, "hole not smaller than the via");
    }
    vias_ = true;
    drew(v.x, v.y, nm(v.diameter), nm(v.diameter));
    // A via goes through the board whatever its layer byte says, as a MultiLayer pad does.
    writePadLine("  (pad \"\" thru_hole circle", v.x, v.y, nm(v.diameter), nm(v.diameter),
                 nm(v.holeDiameter), kicadPadLayers(kMultiLayer));
}

}  // namespace

std::string footprintName(const Component& component) {
    return latin1ToUtf8(component.displayName());
}

std::string footprintName(const Component& component, const KicadExportOptions& options) {
    const auto given = options.footprintNames.find(component.displayName());
    return given != options.footprintNames.end() ? given->second : footprintName(component);
}

std::int64_t padDrillNanometres(std::int64_t sideNanometres, const KicadExportOptions& options) {
    if (options.drillNanometres && *options.drillNanometres > 0) return *options.drillNanometres;
    // A ratio that is no share of the side (not a number, 0 or less) falls back to the default;
    // above 1 the drill is the side anyway.
    double ratio = options.drillRatio;
    if (!std::isfinite(ratio) || ratio <= 0) ratio = KicadExportOptions::kDefaultDrillRatio;
    const auto byRatio = std::llround(static_cast<double>(sideNanometres) * std::min(ratio, 1.0));
    return std::min(std::max<std::int64_t>(byRatio, KicadExportOptions::kMinDrillNanometres),
                    sideNanometres);
}

FootprintText exportFootprint(const Component& component, const KicadExportOptions& options) {
    return FootprintWriter(component, options).write();
}
