#include "primitive_painters.h"

#include "stroke_font.h"
#include "tool_selection.h"

#include <algorithm>
#include <array>
#include <optional>

namespace {

/// A line width in pixels that shows at every scale.
std::int32_t atLeastOnePixel(std::int32_t width) { return width == 0 ? 1 : width; }

/// A filled circle or ellipse in the box around (x, y) with the given half sizes, bordered in
/// its own colour.
void filledEllipse(Canvas& canvas, Rgb colour, std::int32_t x, std::int32_t y, std::int32_t rx,
                   std::int32_t ry) {
    const FigureTools tools(canvas, colour);
    canvas.ellipse({x - rx, y - ry, x + rx, y + ry});
}

}  // namespace

void paintArc(Canvas& canvas, const Primitive& primitive, const ViewTransform& t,
              const LayerPalette& palette) {
    const std::optional<Rgb> colour = palette.layerColour(primitive.layer());
    if (!colour) return;
    const ArcFields a = primitive.arc();
    const std::int32_t x = t.deviceX(a.x);
    const std::int32_t y = t.deviceY(a.y);
    const std::int32_t r = t.scaled(a.radius);
    const PenSelection pen(canvas, Pen::line(atLeastOnePixel(t.scaled(a.lineWidth)), *colour));
    const PixelRect box{x - r, y - r, x + r, y + r};

    struct Quarter {
        std::int32_t bit;
        PixelPoint start;
        PixelPoint end;
    };
    // Each quarter runs counter-clockwise on the panel from its start to its end.
    const std::array<Quarter, 4> quarters = {{
        {arc_quarter::kLowerLeft, {x - r, y}, {x, y + r}},
        {arc_quarter::kUpperLeft, {x, y - r}, {x - r, y}},
        {arc_quarter::kUpperRight, {x + r, y}, {x, y - r}},
        {arc_quarter::kLowerRight, {x, y + r}, {x + r, y}},
    }};
    for (const Quarter& q : quarters) {
        if (a.quadrantFlags & q.bit) canvas.arc(box, q.start, q.end);
    }
}

void paintFill(Canvas& canvas, const Primitive& primitive, const ViewTransform& t,
               const LayerPalette& palette) {
    const std::optional<Rgb> colour = palette.layerColour(primitive.layer());
    if (!colour) return;
    const FillFields f = primitive.fill();
    const std::int32_t x1 = t.deviceX(f.x1);
    const std::int32_t y1 = t.deviceY(f.y1);
    const std::int32_t x2 = t.deviceX(f.x2);
    const std::int32_t y2 = t.deviceY(f.y2);
    canvas.fillRect({std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)},
                    *colour);
}

void paintPad(Canvas& canvas, const Primitive& primitive, const ViewTransform& t,
              const LayerPalette& palette) {
    const std::optional<Rgb> colour = palette.layerColour(primitive.layer());
    if (!colour) return;
    const PadFields p = primitive.pad();
    const std::int32_t x = t.deviceX(p.x);
    const std::int32_t y = t.deviceY(p.y);
    const std::int32_t w = t.scaled(p.xSize);
    const std::int32_t h = t.scaled(p.ySize);
    // Halves and fifths are taken of the scaled sizes, each truncated on its own.
    const std::int32_t halfW = w / 2;
    const std::int32_t halfH = h / 2;
    const std::int32_t fifthW = w / 5;
    const std::int32_t fifthH = h / 5;

    // A shape outside the four codes draws nothing.
    const std::optional<PadShape> shape = padShape(p.shape);
    if (!shape) return;
    switch (*shape) {
        case PadShape::Round:
            // Only the x size counts: a round pad is always a circle.
            filledEllipse(canvas, *colour, x, y, halfW, halfW);
            return;
        case PadShape::Rectangle:
            canvas.fillRect({x - halfW, y - halfH, x + halfW, y + halfH}, *colour);
            return;
        case PadShape::Octagon: {
            const FigureTools tools(canvas, *colour);
            const std::array<PixelPoint, 8> vertices = {{
                {x + halfW, y + fifthH},
                {x + fifthW, y + halfH},
                {x - fifthW, y + halfH},
                {x - halfW, y + fifthH},
                {x - halfW, y - fifthH},
                {x - fifthW, y - halfH},
                {x + fifthW, y - halfH},
                {x + halfW, y - fifthH},
            }};
            canvas.polygon(vertices);
            return;
        }
        case PadShape::Rounded:
            if (w == h) {
                filledEllipse(canvas, *colour, x, y, halfW, halfW);
            } else {
                // One stroke along the longer side; its round ends, as wide as the shorter
                // side, close the figure.
                const PenSelection pen(canvas, Pen::line(std::min(w, h), *colour));
                if (w > h) {
                    canvas.moveTo({x + halfH - halfW, y});
                    canvas.lineTo({x + halfW - halfH, y});
                } else {
                    canvas.moveTo({x, y + halfW - halfH});
                    canvas.lineTo({x, y + halfH - halfW});
                }
            }
            return;
    }
}

void paintTrack(Canvas& canvas, const Primitive& primitive, const ViewTransform& t,
                const LayerPalette& palette) {
    const std::optional<Rgb> colour = palette.layerColour(primitive.layer());
    if (!colour) return;
    const TrackFields f = primitive.track();
    const PenSelection pen(canvas, Pen::line(atLeastOnePixel(t.scaled(f.width)), *colour));
    canvas.moveTo({t.deviceX(f.x1), t.deviceY(f.y1)});
    canvas.lineTo({t.deviceX(f.x2), t.deviceY(f.y2)});
}

void paintString(Canvas& canvas, const Primitive& primitive, const ViewTransform& t,
                 const LayerPalette& palette) {
    const std::optional<Rgb> colour = palette.layerColour(primitive.layer());
    if (!colour) return;
    const StringFields s = primitive.string();
    // `text` already stops at the 13 characters the record holds, whatever the length claims.
    drawText(canvas, s.text, t.scaled(s.height), t.scaled(s.lineWidth), t.deviceX(s.x),
             t.deviceY(s.y), s.orientation, *colour);
}

void paintVia(Canvas& canvas, const Primitive& primitive, const ViewTransform& t,
              const LayerPalette& palette) {
    const ViaFields v = primitive.via();
    const std::int32_t x = t.deviceX(v.x);
    const std::int32_t y = t.deviceY(v.y);
    // The diameter bytes are halved before scaling: 25 magnified by 3 gives 36, not 37.
    const std::int32_t outer = t.scaled(v.diameter >> 1);
    const std::int32_t hole = t.scaled(v.holeDiameter >> 1);
    filledEllipse(canvas, palette.multiLayer(), x, y, outer, outer);
    filledEllipse(canvas, palette.background(), x, y, hole, hole);
}

void paintPrimitive(Canvas& canvas, const Primitive& primitive, const ViewTransform& transform,
                    const LayerPalette& palette) {
    const std::optional<PrimitiveType> kind = primitive.kind();
    if (!kind) return;
    switch (*kind) {
        case PrimitiveType::Arc:
            paintArc(canvas, primitive, transform, palette);
            return;
        case PrimitiveType::Fill:
            paintFill(canvas, primitive, transform, palette);
            return;
        case PrimitiveType::Pad:
            paintPad(canvas, primitive, transform, palette);
            return;
        case PrimitiveType::Track:
            paintTrack(canvas, primitive, transform, palette);
            return;
        case PrimitiveType::String:
            paintString(canvas, primitive, transform, palette);
            return;
        case PrimitiveType::Via:
            paintVia(canvas, primitive, transform, palette);
            return;
    }
}
