#include "svg_canvas.h"

#include "component_viewer.h"
#include "library.h"
#include "library_file_builder.h"
#include "primitive_factory.h"
#include "primitive_painters.h"
#include "recording_canvas.h"
#include "viewer_test_support.h"

#include <QString>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Element {
    std::string name;
    std::map<std::string, std::string> attributes;

    double number(const std::string& key) const { return std::stod(attributes.at(key)); }
    const std::string& text(const std::string& key) const { return attributes.at(key); }
};

struct Document {
    bool wellFormed = false;
    Element root;
    std::vector<Element> elements;
};

/// The svg element and the figures inside it, in document order.
Document parse(const std::string& svg) {
    Document document;
    QXmlStreamReader reader(QString::fromStdString(svg));
    bool inRoot = false;
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement) continue;
        Element element{reader.name().toString().toStdString(), {}};
        for (const auto& a : reader.attributes()) {
            element.attributes[a.name().toString().toStdString()] =
                a.value().toString().toStdString();
        }
        if (!inRoot) {
            document.root = element;
            inRoot = true;
        } else {
            document.elements.push_back(element);
        }
    }
    document.wellFormed = !reader.hasError();
    return document;
}

std::string hex(Rgb colour) {
    char text[8];
    std::snprintf(text, sizeof text, "#%06x", colour & 0xFFFFFF);
    return text;
}

std::vector<double> numbersIn(const std::string& text) {
    std::vector<double> values;
    std::string cleaned = text;
    for (char& c : cleaned) {
        if (c == ',' || std::isalpha(static_cast<unsigned char>(c))) c = ' ';
    }
    std::istringstream in(cleaned);
    in.imbue(std::locale::classic());
    for (double v; in >> v;) values.push_back(v);
    return values;
}

double rayAngle(double cx, double cy, double x, double y) { return std::atan2(cy - y, x - cx); }

bool sameAngle(double a, double b) {
    const double d = std::remainder(a - b, 2 * std::numbers::pi);
    return std::abs(d) < 1e-3;
}

/// Checks one element against the drawing operation it must come from, given the tools selected
/// and the position at that moment.
void expectElementOf(const CanvasOp& op, const Element& e, const Pen& pen, const Brush& brush,
                     PixelPoint position) {
    const int width = pen.kind == PenKind::Line && pen.width > 0 ? pen.width : 1;
    const double offset = width % 2 == 1 ? 0.5 : 0.0;
    auto expectStroke = [&] {
        EXPECT_EQ(e.text("stroke"), hex(pen.colour));
        EXPECT_EQ(e.number("stroke-width"), width);
        if (pen.kind == PenKind::Line) {
            EXPECT_EQ(e.text("stroke-linecap"), "round");
            EXPECT_EQ(e.text("stroke-linejoin"), "round");
        }
    };
    if (const auto* fill = std::get_if<FillRectOp>(&op)) {
        ASSERT_EQ(e.name, "rect");
        EXPECT_EQ(e.number("x"), fill->rect.left);
        EXPECT_EQ(e.number("y"), fill->rect.top);
        EXPECT_EQ(e.number("width"), fill->rect.right - fill->rect.left);
        EXPECT_EQ(e.number("height"), fill->rect.bottom - fill->rect.top);
        EXPECT_EQ(e.text("fill"), hex(fill->colour));
    } else if (const auto* ellipse = std::get_if<EllipseOp>(&op)) {
        ASSERT_EQ(e.name, "ellipse");
        const auto& b = ellipse->box;
        // The outline's outer edge lies on the box.
        EXPECT_DOUBLE_EQ(e.number("cx") - e.number("rx") - 0.5, std::min(b.left, b.right));
        EXPECT_DOUBLE_EQ(e.number("cx") + e.number("rx") + 0.5, std::max(b.left, b.right));
        EXPECT_DOUBLE_EQ(e.number("cy") - e.number("ry") - 0.5, std::min(b.top, b.bottom));
        EXPECT_DOUBLE_EQ(e.number("cy") + e.number("ry") + 0.5, std::max(b.top, b.bottom));
        EXPECT_EQ(e.text("fill"), hex(brush.colour));
        expectStroke();
    } else if (const auto* polygon = std::get_if<PolygonOp>(&op)) {
        ASSERT_EQ(e.name, "polygon");
        const auto values = numbersIn(e.text("points"));
        ASSERT_EQ(values.size(), 2 * polygon->points.size());
        for (std::size_t i = 0; i < polygon->points.size(); ++i) {
            EXPECT_EQ(values[2 * i], polygon->points[i].x + offset);
            EXPECT_EQ(values[2 * i + 1], polygon->points[i].y + offset);
        }
        EXPECT_EQ(e.text("fill"), hex(brush.colour));
        expectStroke();
    } else if (const auto* arc = std::get_if<ArcOp>(&op)) {
        ASSERT_EQ(e.name, "path");
        EXPECT_EQ(e.text("fill"), "none");
        const auto v = numbersIn(e.text("d"));
        ASSERT_TRUE(v.size() == 9 || v.size() == 16) << e.text("d");
        const double cx = (arc->box.left + arc->box.right) / 2.0 + offset;
        const double cy = (arc->box.top + arc->box.bottom) / 2.0 + offset;
        const double rx = std::abs(arc->box.right - arc->box.left) / 2.0;
        EXPECT_DOUBLE_EQ(v[2], rx);
        EXPECT_EQ(v[6], 0) << "counter-clockwise on the panel";
        if (v.size() == 16) {
            EXPECT_EQ(v[13], 0) << "counter-clockwise on the panel";
        }
        EXPECT_TRUE(sameAngle(rayAngle(cx, cy, v[0], v[1]),
                              rayAngle(cx, cy, arc->start.x + offset, arc->start.y + offset)));
        const double endX = v[v.size() - 2];
        const double endY = v[v.size() - 1];
        EXPECT_TRUE(sameAngle(rayAngle(cx, cy, endX, endY),
                              rayAngle(cx, cy, arc->end.x + offset, arc->end.y + offset)));
        expectStroke();
    } else if (const auto* line = std::get_if<LineToOp>(&op)) {
        ASSERT_EQ(e.name, "path");
        EXPECT_EQ(e.text("fill"), "none");
        EXPECT_EQ(numbersIn(e.text("d")),
                  (std::vector<double>{position.x + offset, position.y + offset,
                                       line->point.x + offset, line->point.y + offset}));
        expectStroke();
    } else {
        FAIL() << "not a drawing operation: " << op;
    }
}

/// Paints `component` into a recording and into SVG and checks that every drawing operation
/// became exactly one element with the same figure, colours and widths.
void expectSvgHoldsTheRecording(const Component& component, int width, int height) {
    ComponentViewer viewer;
    viewer.setComponent(&component);
    RecordingCanvas recording;
    viewer.paint(recording, width, height);
    SvgCanvas svg(width, height);
    viewer.paint(svg, width, height);
    const Document document = parse(svg.document());
    ASSERT_TRUE(document.wellFormed);
    EXPECT_EQ(document.root.text("viewBox"),
              "0 0 " + std::to_string(width) + " " + std::to_string(height));

    Pen pen;
    Brush brush;
    PixelPoint position;
    std::size_t next = 0;
    for (const CanvasOp& op : recording.ops()) {
        if (const auto* select = std::get_if<SelectPenOp>(&op)) {
            pen = select->pen;
        } else if (const auto* choose = std::get_if<SelectBrushOp>(&op)) {
            brush = choose->brush;
        } else if (const auto* move = std::get_if<MoveToOp>(&op)) {
            position = move->point;
        } else {
            // Empty fills and degenerate ellipses and arcs draw nothing and write nothing.
            if (const auto* fill = std::get_if<FillRectOp>(&op);
                fill &&
                (fill->rect.right <= fill->rect.left || fill->rect.bottom <= fill->rect.top))
                continue;
            if (const auto* e = std::get_if<EllipseOp>(&op);
                e && (e->box.left == e->box.right || e->box.top == e->box.bottom))
                continue;
            if (const auto* a = std::get_if<ArcOp>(&op);
                a && (a->box.left == a->box.right || a->box.top == a->box.bottom))
                continue;
            ASSERT_LT(next, document.elements.size()) << "no element for " << op;
            SCOPED_TRACE(testing::Message() << "operation " << op);
            expectElementOf(op, document.elements[next++], pen, brush, position);
            if (const auto* line = std::get_if<LineToOp>(&op)) position = line->point;
        }
    }
    EXPECT_EQ(next, document.elements.size()) << "elements without an operation";
}

TEST(SvgCanvas, HoldsTheSameFiguresAsTheRecordingForEveryKind) {
    const auto component = makeComponent({
        makeArc(7, 0, 0, 60, 15, 6),
        makeArc(12, 10, 10, 25, 5, 1),
        makeFill(3, -50, -40, -20, -10),
        makePad(1, 40, 40, 30, 30, 1),
        makePad(1, -40, 40, 30, 20, 2),
        makePad(1, 40, -40, 30, 20, 3),
        makePad(6, -40, -40, 40, 16, 4),
        makeTrack(7, -70, 0, 70, 5, 4),
        makeString(7, -60, 60, 30, 3, 0, "R1?"),
        makeString(7, 60, -60, 30, 0, 17, "Ag"),
        makeVia(1, 0, 0, 20, 8),
        makePad(13, 0, 60, 24, 24, 1),
    });
    expectSvgHoldsTheRecording(*component, 380, 372);
    expectSvgHoldsTheRecording(*component, 61, 47);  // reduced, with hairlines
}

TEST(SvgCanvas, HoldsTheSameFiguresForTheLibrariesAtHand) {
    int components = 0;
    for (const std::filesystem::path& file : libraryFilesAtHand()) {
        Library library;
        PlainNameList names;
        library.load(file.string(), names);
        for (const auto& component : library.components()) {
            SCOPED_TRACE(file.filename().string() + " " + component->displayName());
            expectSvgHoldsTheRecording(*component, 517, 463);
            ++components;
        }
    }
    EXPECT_GT(components, 40);
}

// Field values at the ends of their ranges give figures far outside the panel; the document
// must still hold exactly the recorded figures, in plain numbers.
TEST(SvgCanvas, HoldsExtremeFieldValues) {
    const auto component = makeComponent({
        makeArc(7, -32768, 32767, -32768, 255, 255),
        makeArc(7, 0, 0, 32767, 15, 255),
        makeFill(1, -32768, -32768, 32767, 32767),
        makePad(1, 32767, -32768, -32768, 32767, 3),
        makePad(1, 0, 0, 32767, -32768, 4),
        makeTrack(7, -32768, -32768, 32767, 32767, 255),
        makeString(7, 100, 100, 255, 255, 17, "W@&8%$#gjpqy~"),
        makeVia(200, 0, 0, 255, 255),
    });
    expectSvgHoldsTheRecording(*component, 517, 463);
    const auto tiny =
        makeComponent({makeTrack(7, 0, 0, 1, 1, 0), makeString(7, 0, 0, 0, 255, 0, "AB"),
                       makeVia(1, 0, 0, 0, 255)});
    expectSvgHoldsTheRecording(*tiny, 517, 463);
}

struct Quarter {
    int flag;
    PixelPoint start;
    PixelPoint end;
};

class SvgArcQuarter : public testing::TestWithParam<Quarter> {};

// A quarter must come out as the quarter the flag names, not the other three: the sweep flag
// decides which way round the ellipse the renderer goes.
TEST_P(SvgArcQuarter, RunsCounterClockwiseFromStartToEnd) {
    SvgCanvas svg(200, 200);
    paintArc(svg, makeArc(1, 0, 0, 30, GetParam().flag, 1), transformAt(true, 1), LayerPalette());
    const auto document = parse(svg.document());
    ASSERT_EQ(document.elements.size(), 1u);
    const auto v = numbersIn(document.elements[0].text("d"));
    ASSERT_EQ(v.size(), 9u);
    EXPECT_EQ((std::vector<double>{v[0], v[1]}),
              (std::vector<double>{GetParam().start.x + 0.5, GetParam().start.y + 0.5}));
    EXPECT_EQ((std::vector<double>{v[2], v[3], v[4], v[5], v[6]}),
              (std::vector<double>{30, 30, 0, 0, 0}))
        << "radii, rotation, small arc, counter-clockwise";
    EXPECT_EQ((std::vector<double>{v[7], v[8]}),
              (std::vector<double>{GetParam().end.x + 0.5, GetParam().end.y + 0.5}));
}

INSTANTIATE_TEST_SUITE_P(Quarters, SvgArcQuarter,
                         testing::Values(Quarter{4, {70, 100}, {100, 130}},
                                         Quarter{2, {100, 70}, {70, 100}},
                                         Quarter{1, {130, 100}, {100, 70}},
                                         Quarter{8, {100, 130}, {130, 100}}));

TEST(SvgCanvas, LongArcsTakeTheLargeFlagAndEqualRaysTheWholeEllipse) {
    SvgCanvas svg(100, 100);
    svg.selectPen(Pen::line(2, 0x112233));
    // Three quarters counter-clockwise from the right to the bottom.
    svg.arc({10, 10, 90, 90}, {90, 50}, {50, 90});
    svg.arc({10, 10, 90, 90}, {90, 50}, {95, 50});
    const auto document = parse(svg.document());
    ASSERT_EQ(document.elements.size(), 2u);
    EXPECT_EQ(numbersIn(document.elements[0].text("d")),
              (std::vector<double>{90, 50, 40, 40, 0, 1, 0, 50, 90}));
    EXPECT_EQ(numbersIn(document.elements[1].text("d")),
              (std::vector<double>{90, 50, 40, 40, 0, 0, 0, 10, 50, 40, 40, 0, 0, 0, 90, 50}));
}

TEST(SvgCanvas, DocumentHasItsSizeAndIsTheSameEachTime) {
    auto paint = [] {
        SvgCanvas svg(517, 463);
        svg.fillRect({0, 0, 517, 463}, 0xAAAAAA);
        svg.fillRect({5, 5, 5, 9}, 0xFF0000);  // empty: nothing
        svg.selectPen(Pen::line(0, 0xFFFF55));
        svg.moveTo({3, 4});
        svg.lineTo({3, 4});
        return svg.document();
    };
    const std::string first = paint();
    EXPECT_EQ(first, paint());
    const auto document = parse(first);
    ASSERT_TRUE(document.wellFormed);
    EXPECT_EQ(document.root.name, "svg");
    EXPECT_EQ(document.root.text("width"), "517");
    EXPECT_EQ(document.root.text("height"), "463");
    EXPECT_EQ(document.root.text("viewBox"), "0 0 517 463");
    ASSERT_EQ(document.elements.size(), 2u);
    EXPECT_EQ(document.elements[1].text("d"), "M 3.5 4.5 L 3.5 4.5") << "a hairline dot";
    EXPECT_EQ(document.elements[1].text("stroke-width"), "1");
}

}  // namespace
