#include "footprint_reader.h"

#include <cmath>
#include <fstream>
#include <new>
#include <numbers>
#include <sstream>
#include <utility>

namespace {

// No footprint coordinate, size or angle comes anywhere near this; a larger value is damage,
// and refusing it here keeps every later conversion far from overflow.
constexpr double kLargestValue = 1.0e6;

// Thrown inside this file only and turned into the result's message by readFootprint.
struct ReadError {
    std::string message;
};

[[noreturn]] void failAt(const SexprNode& node, const std::string& what) {
    throw ReadError{atSexprPlace(node.line, node.column, what)};
}

double numberAt(const SexprNode& list, std::size_t index, const std::string& what) {
    if (index >= list.items.size()) {
        failAt(list, "(" + std::string(list.head()) + ") lacks " + what);
    }
    const SexprNode& item = list.items[index];
    if (!item.isNumber()) {
        failAt(item, "(" + std::string(list.head()) + ") needs a number for " + what + ", not " +
                         describeSexprNode(item, true));
    }
    if (std::fabs(item.number) > kLargestValue) {
        failAt(item, "the number " + std::string(item.text) + " is too large for " + what);
    }
    return item.number;
}

std::string atomAt(const SexprNode& list, std::size_t index, const std::string& what) {
    if (index >= list.items.size()) {
        failAt(list, "(" + std::string(list.head()) + ") lacks " + what);
    }
    const SexprNode& item = list.items[index];
    if (!item.isAtom()) {
        failAt(item, "(" + std::string(list.head()) + ") needs " + what + ", not a list");
    }
    return std::string(item.text);
}

KicadPoint pointOf(const SexprNode& list) {
    return {numberAt(list, 1, "an x value"), numberAt(list, 2, "a y value")};
}

const SexprNode& required(const SexprNode& parent, std::string_view name,
                          const std::string& owner) {
    const SexprNode* node = parent.child(name);
    if (node == nullptr) {
        failAt(parent, owner + " has no (" + std::string(name) + ")");
    }
    return *node;
}

KicadPoint requiredPoint(const SexprNode& parent, std::string_view name, const std::string& owner) {
    return pointOf(required(parent, name, owner));
}

// The word at the given place of the list, or among its bare items, e.g. `hide` in KiCad 6 texts.
bool hasWord(const SexprNode& list, std::string_view word) {
    for (std::size_t i = 1; i < list.items.size(); ++i) {
        if (list.items[i].kind == SexprNode::Kind::Symbol && list.items[i].text == word) {
            return true;
        }
    }
    return false;
}

// (name yes) / (name no) / (name) of KiCad 7 and later.
bool flag(const SexprNode& parent, std::string_view name) {
    const SexprNode* node = parent.child(name);
    if (node == nullptr) {
        return false;
    }
    if (node->items.size() < 2) {
        return true;
    }
    const SexprNode& value = node->items[1];
    if (value.kind != SexprNode::Kind::Symbol || (value.text != "yes" && value.text != "no")) {
        failAt(value, "(" + std::string(name) + ") needs yes or no, not " +
                          describeSexprNode(value, true));
    }
    return value.text == "yes";
}

double strokeWidth(const SexprNode& node) {
    if (const SexprNode* width = node.child("width")) {
        return numberAt(*width, 1, "the line width");
    }
    if (const SexprNode* stroke = node.child("stroke")) {
        if (const SexprNode* width = stroke->child("width")) {
            return numberAt(*width, 1, "the line width");
        }
    }
    return 0.0;
}

bool isFilled(const SexprNode& node) {
    const SexprNode* fill = node.child("fill");
    if (fill == nullptr) {
        return false;
    }
    const std::string value = atomAt(*fill, 1, "a fill kind");
    return value == "solid" || value == "yes";
}

std::string layerOf(const SexprNode& node, const std::string& owner) {
    return atomAt(required(node, "layer", owner), 1, "a layer name");
}

// KiCad 5 gives an arc by its centre, its start and the angle swept; KiCad 6 by three points.
std::vector<KicadPoint> legacyArcPoints(KicadPoint centre, KicadPoint start, double angleDegrees) {
    auto rotated = [&](double degrees) {
        const double a = degrees * std::numbers::pi / 180.0;
        const double dx = start.x - centre.x;
        const double dy = start.y - centre.y;
        return KicadPoint{centre.x + dx * std::cos(a) - dy * std::sin(a),
                          centre.y + dx * std::sin(a) + dy * std::cos(a)};
    };
    return {start, rotated(angleDegrees / 2.0), rotated(angleDegrees)};
}

KicadGraphic readGraphic(const SexprNode& node, std::string_view kind, bool inPad) {
    KicadGraphic g;
    g.line = node.line;
    const std::string owner = "(" + std::string(node.head()) + ")";
    if (!inPad) {
        g.layer = layerOf(node, owner);
    }
    g.width = strokeWidth(node);
    g.filled = isFilled(node);
    if (kind == "line") {
        g.kind = KicadGraphic::Kind::Line;
        g.points = {requiredPoint(node, "start", owner), requiredPoint(node, "end", owner)};
    } else if (kind == "rect") {
        g.kind = KicadGraphic::Kind::Rect;
        g.points = {requiredPoint(node, "start", owner), requiredPoint(node, "end", owner)};
    } else if (kind == "circle") {
        g.kind = KicadGraphic::Kind::Circle;
        g.points = {requiredPoint(node, "center", owner), requiredPoint(node, "end", owner)};
    } else if (kind == "arc") {
        g.kind = KicadGraphic::Kind::Arc;
        if (node.child("mid") != nullptr) {
            g.points = {requiredPoint(node, "start", owner), requiredPoint(node, "mid", owner),
                        requiredPoint(node, "end", owner)};
        } else {
            const double angle = numberAt(required(node, "angle", owner), 1, "the arc's angle");
            g.points = legacyArcPoints(requiredPoint(node, "start", owner),
                                       requiredPoint(node, "end", owner), angle);
        }
    } else {
        g.kind = KicadGraphic::Kind::Poly;
        const SexprNode& pts = required(node, "pts", owner);
        for (std::size_t i = 1; i < pts.items.size(); ++i) {
            const SexprNode& xy = pts.items[i];
            if (xy.head() != "xy") {
                failAt(xy,
                       "(pts) holds " + describeSexprNode(xy, true) + " where (xy x y) belongs");
            }
            g.points.push_back(pointOf(xy));
        }
        if (g.points.size() < 2) {
            failAt(pts, "a polygon needs at least two points");
        }
    }
    return g;
}

KicadPadType padType(const SexprNode& word) {
    if (word.kind == SexprNode::Kind::Symbol) {
        if (word.text == "thru_hole") {
            return KicadPadType::ThroughHole;
        }
        if (word.text == "smd") {
            return KicadPadType::Smd;
        }
        if (word.text == "connect") {
            return KicadPadType::Connect;
        }
        if (word.text == "np_thru_hole") {
            return KicadPadType::NonPlatedHole;
        }
    }
    failAt(word, "an unknown pad type: " + describeSexprNode(word, true));
}

KicadPadShape padShape(const SexprNode& word) {
    if (word.kind == SexprNode::Kind::Symbol) {
        if (word.text == "circle") {
            return KicadPadShape::Circle;
        }
        if (word.text == "rect") {
            return KicadPadShape::Rect;
        }
        if (word.text == "oval") {
            return KicadPadShape::Oval;
        }
        if (word.text == "trapezoid") {
            return KicadPadShape::Trapezoid;
        }
        if (word.text == "roundrect") {
            return KicadPadShape::RoundRect;
        }
        if (word.text == "custom") {
            return KicadPadShape::Custom;
        }
    }
    failAt(word, "an unknown pad shape: " + describeSexprNode(word, true));
}

KicadPad readPad(const SexprNode& node) {
    KicadPad pad;
    pad.line = node.line;
    if (node.items.size() < 4) {
        failAt(node, "(pad) needs a number, a type and a shape");
    }
    pad.number = atomAt(node, 1, "a pad number");
    const std::string owner = "pad \"" + pad.number + "\"";
    pad.type = padType(node.items[2]);
    pad.shape = padShape(node.items[3]);
    const SexprNode& at = required(node, "at", owner);
    pad.at = pointOf(at);
    if (at.items.size() > 3) {
        pad.rotation = numberAt(at, 3, "the pad's angle");
    }
    const SexprNode& size = required(node, "size", owner);
    pad.size = pointOf(size);
    if (pad.size.x < 0 || pad.size.y < 0) {
        failAt(size, owner + " has a negative size");
    }
    if (const SexprNode* drill = node.child("drill")) {
        KicadDrill d;
        std::size_t i = 1;
        const bool oval = i < drill->items.size() && drill->items[i].text == "oval";
        if (oval) {
            ++i;
        }
        if (i < drill->items.size() && drill->items[i].isNumber()) {
            d.width = numberAt(*drill, i++, "the drill diameter");
            d.height = d.width;
            if (oval && i < drill->items.size() && drill->items[i].isNumber()) {
                d.height = numberAt(*drill, i, "the drill height");
            }
        }
        if (const SexprNode* offset = drill->child("offset")) {
            d.offset = pointOf(*offset);
        }
        pad.drill = d;
    }
    const SexprNode& layers = required(node, "layers", owner);
    for (std::size_t i = 1; i < layers.items.size(); ++i) {
        pad.layers.push_back(atomAt(layers, i, "a layer name"));
    }
    if (const SexprNode* ratio = node.child("roundrect_rratio")) {
        pad.roundrectRatio = numberAt(*ratio, 1, "the corner ratio");
    }
    if (const SexprNode* ratio = node.child("chamfer_ratio")) {
        pad.chamferRatio = numberAt(*ratio, 1, "the chamfer ratio");
    }
    if (const SexprNode* chamfer = node.child("chamfer")) {
        for (std::size_t i = 1; i < chamfer->items.size(); ++i) {
            pad.chamferCorners.push_back(atomAt(*chamfer, i, "a corner name"));
        }
    }
    if (const SexprNode* delta = node.child("rect_delta")) {
        pad.rectDelta = pointOf(*delta);
    }
    if (const SexprNode* primitives = node.child("primitives")) {
        for (const SexprNode& item : primitives->items) {
            const std::string_view head = item.head();
            if (head == "gr_line" || head == "gr_arc" || head == "gr_circle" || head == "gr_rect" ||
                head == "gr_poly") {
                pad.primitives.push_back(readGraphic(item, head.substr(3), true));
            }
        }
    }
    return pad;
}

KicadText readText(const SexprNode& node, KicadText::Kind kind, std::string text) {
    KicadText t;
    t.line = node.line;
    t.kind = kind;
    t.text = std::move(text);
    const std::string owner = "text \"" + t.text + "\"";
    const SexprNode& at = required(node, "at", owner);
    t.at = pointOf(at);
    if (at.items.size() > 3 && at.items[3].isNumber()) {
        t.rotation = numberAt(at, 3, "the text's angle");
    }
    t.layer = layerOf(node, owner);
    t.hidden = hasWord(node, "hide") || flag(node, "hide");
    if (const SexprNode* effects = node.child("effects")) {
        if (const SexprNode* font = effects->child("font")) {
            if (const SexprNode* size = font->child("size")) {
                // KiCad writes the height first, then the width.
                t.height = numberAt(*size, 1, "the text height");
            }
            if (const SexprNode* thickness = font->child("thickness")) {
                t.thickness = numberAt(*thickness, 1, "the stroke width");
            }
        }
        if (const SexprNode* justify = effects->child("justify")) {
            t.mirrored = hasWord(*justify, "mirror");
            t.horizontal = hasWord(*justify, "left") ? -1 : hasWord(*justify, "right") ? 1 : 0;
            t.vertical = hasWord(*justify, "top") ? -1 : hasWord(*justify, "bottom") ? 1 : 0;
        }
        t.hidden = t.hidden || hasWord(*effects, "hide") || flag(*effects, "hide");
    }
    return t;
}

KicadFootprint readModel(const SexprNode& root) {
    KicadFootprint fp;
    const std::string_view head = root.head();
    if (head != "footprint" && head != "module") {
        failAt(root, "this is not a footprint: it starts with " + describeSexprNode(root, true));
    }
    fp.legacy = head == "module";
    fp.name = atomAt(root, 1, "a footprint name");
    if (fp.name.empty()) {
        failAt(root, "the footprint has an empty name");
    }
    if (const SexprNode* layer = root.child("layer")) {
        fp.layer = atomAt(*layer, 1, "a layer name");
    }
    if (const SexprNode* descr = root.child("descr")) {
        fp.description = atomAt(*descr, 1, "a description");
    }
    for (const SexprNode* attr : root.children("attr")) {
        for (std::size_t i = 1; i < attr->items.size(); ++i) {
            fp.attributes.push_back(atomAt(*attr, i, "an attribute"));
        }
    }
    for (std::size_t i = 2; i < root.items.size(); ++i) {
        const SexprNode& item = root.items[i];
        const std::string_view name = item.head();
        if (name == "pad") {
            fp.pads.push_back(readPad(item));
        } else if (name == "fp_line" || name == "fp_arc" || name == "fp_circle" ||
                   name == "fp_rect" || name == "fp_poly") {
            fp.graphics.push_back(readGraphic(item, name.substr(3), false));
        } else if (name == "fp_text") {
            const std::string kind = atomAt(item, 1, "a text kind");
            const std::string text = atomAt(item, 2, "its text");
            const KicadText::Kind k = kind == "reference" ? KicadText::Kind::Reference
                                      : kind == "value"   ? KicadText::Kind::Value
                                                          : KicadText::Kind::User;
            fp.texts.push_back(readText(item, k, text));
        } else if (name == "property") {
            // KiCad 8 keeps the reference and value as properties with a place on the board.
            const std::string key = atomAt(item, 1, "a property name");
            if ((key == "Reference" || key == "Value") && item.child("at") != nullptr &&
                item.child("layer") != nullptr) {
                fp.texts.push_back(readText(
                    item, key == "Reference" ? KicadText::Kind::Reference : KicadText::Kind::Value,
                    atomAt(item, 2, "its text")));
            }
        } else if (name == "model" || name == "zone" || name == "group" || name == "fp_text_box" ||
                   name == "image" || name == "dimension") {
            fp.unmodelled.emplace_back(name);
        } else if (item.isAtom() && i == 2 && fp.legacy) {
            // KiCad 5 may put a word such as `locked` right after the name.
        }
    }
    return fp;
}

}  // namespace

FootprintReadResult readFootprint(std::string_view text, const SexprLimits& limits) {
    FootprintReadResult result;
    const SexprResult parsed = parseSexpr(text, limits);
    if (!parsed) {
        result.error = parsed.message();
        return result;
    }
    try {
        result.footprint = readModel(*parsed.root);
    } catch (const ReadError& e) {
        result.error = e.message;
    } catch (const std::bad_alloc&) {
        result.error = "not enough memory to read the footprint";
    }
    return result;
}

FootprintReadResult readFootprintFile(const std::string& path, const SexprLimits& limits) {
    FootprintReadResult result;
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        result.error = "cannot be opened";
        result.unreadable = true;
        return result;
    }
    file.seekg(0, std::ios::end);
    const std::streamoff size = file.tellg();
    if (size < 0) {
        result.error = "cannot be read";
        result.unreadable = true;
        return result;
    }
    if (static_cast<std::size_t>(size) > limits.maxInputBytes) {
        result.error = "is larger than " + std::to_string(limits.maxInputBytes) + " bytes";
        return result;
    }
    file.seekg(0, std::ios::beg);
    std::string content(static_cast<std::size_t>(size), '\0');
    if (!file.read(content.data(), size)) {
        result.error = "cannot be read";
        result.unreadable = true;
        return result;
    }
    return readFootprint(content, limits);
}
