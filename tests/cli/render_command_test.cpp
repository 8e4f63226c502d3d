#include "cobble_process.h"
#include "component_viewer.h"
#include "library.h"
#include "library_file_builder.h"
#include "name_rules.h"
#include "primitive_factory.h"
#include "qpainter_canvas.h"
#include "recording_canvas.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

/// One drawn figure, as the SVG states it or as a recorded operation implies it: its kind, the
/// numbers that place it, and its colour.
struct Figure {
    std::string kind;
    std::vector<double> numbers;
    std::string colour;
};

std::ostream& operator<<(std::ostream& os, const Figure& f) {
    os << f.kind << " " << f.colour;
    for (double n : f.numbers) os << " " << n;
    return os;
}

bool sameFigure(const Figure& a, const Figure& b) {
    if (a.kind != b.kind || a.colour != b.colour || a.numbers.size() != b.numbers.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.numbers.size(); ++i) {
        if (std::abs(a.numbers[i] - b.numbers[i]) > 1e-3) return false;
    }
    return true;
}

std::string hexColour(Rgb colour) {
    char text[8];
    std::snprintf(text, sizeof text, "#%06x", colour);
    return text;
}

std::vector<double> numbersIn(const std::string& text) {
    std::vector<double> numbers;
    static const std::regex number(R"(-?\d+(\.\d+)?)");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), number);
         it != std::sregex_iterator(); ++it) {
        numbers.push_back(std::stod(it->str()));
    }
    return numbers;
}

/// The figures an SVG document draws, element by element. Arcs must sweep counter-clockwise on
/// the panel (SVG sweep flag 0) and line pens must have round caps and joins.
std::vector<Figure> parseSvg(const std::string& svg) {
    std::vector<Figure> figures;
    static const std::regex element(R"(<(rect|ellipse|polygon|path) ([^>]*)/>)");
    static const std::regex attribute(R"(([a-z-]+)="([^"]*)\")");
    for (auto it = std::sregex_iterator(svg.begin(), svg.end(), element);
         it != std::sregex_iterator(); ++it) {
        const std::string tag = (*it)[1];
        const std::string body = (*it)[2];
        std::map<std::string, std::string> a;
        for (auto at = std::sregex_iterator(body.begin(), body.end(), attribute);
             at != std::sregex_iterator(); ++at) {
            a[(*at)[1]] = (*at)[2];
        }
        if (tag == "rect") {
            figures.push_back({"rect",
                               {std::stod(a["x"]), std::stod(a["y"]), std::stod(a["width"]),
                                std::stod(a["height"])},
                               a["fill"]});
        } else if (tag == "ellipse") {
            figures.push_back({"ellipse", {std::stod(a["cx"]), std::stod(a["cy"])}, a["fill"]});
        } else if (tag == "polygon") {
            figures.push_back({"polygon", numbersIn(a["points"]), a["fill"]});
        } else if (a["d"].find(" A ") != std::string::npos) {
            std::istringstream d(a["d"].substr(a["d"].find(" A ") + 3));
            double rx, ry, rotation;
            int large, sweep;
            d >> rx >> ry >> rotation >> large >> sweep;
            EXPECT_EQ(sweep, 0) << "an arc drawn clockwise: " << a["d"];
            EXPECT_EQ(a["stroke-linecap"], "round") << a["d"];
            figures.push_back({"arc", {}, a["stroke"]});
        } else {
            EXPECT_EQ(a["stroke-linejoin"], "round") << a["d"];
            figures.push_back({"line", numbersIn(a["d"]), a["stroke"]});
        }
    }
    return figures;
}

/// Where QPainter puts a stroke through an integer point: odd widths (a hairline and an outline
/// pen count as 1) on the pixel's centre, even widths on its top left corner.
double strokeOffset(const Pen& pen) {
    const std::int32_t width = pen.kind == PenKind::Line && pen.width > 0 ? pen.width : 1;
    return width % 2 == 1 ? 0.5 : 0.0;
}

/// The figures a recorded paint implies, by the canvas's contract: fills and ellipses with no
/// width or height draw nothing; strokes lie where QPainter draws them.
std::vector<Figure> expectedFigures(const std::vector<CanvasOp>& ops) {
    std::vector<Figure> figures;
    Pen pen;
    Brush brush;
    PixelPoint position;
    for (const CanvasOp& op : ops) {
        if (const auto* f = std::get_if<FillRectOp>(&op)) {
            const PixelRect& r = f->rect;
            if (r.right > r.left && r.bottom > r.top) {
                figures.push_back({"rect",
                                   {double(r.left), double(r.top), double(r.right - r.left),
                                    double(r.bottom - r.top)},
                                   hexColour(f->colour)});
            }
        } else if (const auto* p = std::get_if<SelectPenOp>(&op)) {
            pen = p->pen;
        } else if (const auto* b = std::get_if<SelectBrushOp>(&op)) {
            brush = b->brush;
        } else if (const auto* e = std::get_if<EllipseOp>(&op)) {
            const PixelRect& r = e->box;
            if (r.right != r.left && r.bottom != r.top) {
                figures.push_back({"ellipse",
                                   {(r.left + r.right) / 2.0, (r.top + r.bottom) / 2.0},
                                   hexColour(brush.colour)});
            }
        } else if (const auto* g = std::get_if<PolygonOp>(&op)) {
            Figure figure{"polygon", {}, hexColour(brush.colour)};
            for (const PixelPoint& point : g->points) {
                figure.numbers.push_back(point.x + strokeOffset(pen));
                figure.numbers.push_back(point.y + strokeOffset(pen));
            }
            figures.push_back(figure);
        } else if (const auto* a = std::get_if<ArcOp>(&op)) {
            if (a->box.right != a->box.left && a->box.bottom != a->box.top) {
                figures.push_back({"arc", {}, hexColour(pen.colour)});
            }
        } else if (const auto* m = std::get_if<MoveToOp>(&op)) {
            position = m->point;
        } else if (const auto* l = std::get_if<LineToOp>(&op)) {
            const double o = strokeOffset(pen);
            figures.push_back({"line",
                               {position.x + o, position.y + o, l->point.x + o, l->point.y + o},
                               hexColour(pen.colour)});
            position = l->point;
        }
    }
    return figures;
}

std::string readText(const fs::path& path) {
    const auto bytes = readFileBytes(path);
    return {bytes.begin(), bytes.end()};
}

class Render : public testing::Test {
protected:
    std::string out(const std::string& name) const { return (dir / name).string(); }
    TemporaryDirectory dir;
};

TEST_F(Render, SvgHoldsTheFiguresOfTheRecordedPaint) {
    for (const char* file : {"IC.LIB", "DISCRETE.LIB", "CONNECT.LIB", "PASSIVE.LIB"}) {
        SCOPED_TRACE(file);
        const std::string library = (samplesDir() / file).string();
        const CobbleRun run = runCobble(
            {"render", library, "--format", "svg", "--size", "300x200", "--out", out("svg")});
        ASSERT_EQ(run.status, 0) << describe(run);

        Library loaded;
        PlainNameList names;
        loaded.load(library, names);
        // The pictures are printed in the window's list order: by name ignoring case, ties in
        // directory order (the reverse of the loaded list).
        std::vector<const Component*> listed;
        for (auto it = loaded.components().rbegin(); it != loaded.components().rend(); ++it) {
            listed.push_back(it->get());
        }
        std::stable_sort(listed.begin(), listed.end(), [](const Component* a, const Component* b) {
            return compareNamesIgnoringCase(a->displayName(), b->displayName()) < 0;
        });
        const auto paths = linesOf(run.out);
        ASSERT_EQ(paths.size(), loaded.size());
        for (std::size_t c = 0; c < listed.size(); ++c) {
            const Component* component = listed[c];
            SCOPED_TRACE(component->displayName() + " in " + paths[c]);
            RecordingCanvas recording;
            ComponentViewer viewer;
            viewer.setComponent(component);
            viewer.paint(recording, 300, 200);
            const auto expected = expectedFigures(recording.ops());
            const auto actual = parseSvg(readText(paths[c]));
            ASSERT_EQ(actual.size(), expected.size());
            for (std::size_t i = 0; i < actual.size(); ++i) {
                EXPECT_TRUE(sameFigure(actual[i], expected[i]))
                    << "figure " << i << ": svg " << actual[i] << ", recorded " << expected[i];
            }
        }
    }
}

TEST_F(Render, PngPixelsMatchThePanelPaintedAtTheSameSize) {
    const std::string library = (samplesDir() / "IC.LIB").string();
    const CobbleRun run =
        runCobble({"render", library, "--format", "png", "--size", "240x180", "--out", out("png")});
    ASSERT_EQ(run.status, 0) << describe(run);
    EXPECT_EQ(run.err, "");
    Library loaded;
    PlainNameList names;
    loaded.load(library, names);
    for (const auto& component : loaded.components()) {
        const std::string name = component->displayName();
        QImage panel(240, 180, QImage::Format_RGB32);
        {
            QPainter painter(&panel);
            QPainterCanvas canvas(painter);
            ComponentViewer viewer;
            viewer.setComponent(component.get());
            viewer.paint(canvas, 240, 180);
        }
        const QImage written = QImage(QString::fromStdString(out("png/" + name + ".png")))
                                   .convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(written.size(), panel.size()) << name;
        int differing = 0;
        for (int y = 0; y < panel.height(); ++y) {
            for (int x = 0; x < panel.width(); ++x) {
                if (written.pixel(x, y) != panel.pixel(x, y)) ++differing;
            }
        }
        EXPECT_EQ(differing, 0) << name;
        if (differing != 0) {
            written.save(QString(TEST_OUTPUT_DIR "/render_") + name.c_str() + ".png");
        }
    }
}

TEST_F(Render, FileNamesAreSafeAndUniqueAndOnlyNamedComponentsAreDrawn) {
    LibraryFileBuilder file;
    file.slot(0, makeEntry("A/B", 1, 401))
        .primitive(401, makeTrack(1, 0, 0, 100, 100, 4))
        .slot(1, makeEntry("dip8", 0, 0))
        .slot(2, makeEntry("DIP8", 0, 0))
        .slot(3, makeEntry("CON", 0, 0))
        .slot(4, makeEntry("TWICE", 0, 0))
        .slot(5, makeEntry("TWICE", 0, 0))
        .slot(6, makeEntry("OTHER", 0, 0));
    writeFileBytes(dir / "NAMES.LIB", file.bytes());
    const CobbleRun all =
        runCobble({"render", out("NAMES.LIB"), "--format", "svg", "--out", out("all")});
    ASSERT_EQ(all.status, 0) << describe(all);
    std::set<std::string> written;
    for (const auto& entry : fs::directory_iterator(dir / "all")) {
        written.insert(entry.path().filename());
    }
    EXPECT_EQ(written, (std::set<std::string>{"A%2FB.svg", "%43ON.svg", "DIP8.svg", "dip8~2.svg",
                                              "OTHER.svg", "TWICE.svg", "TWICE~2.svg"}));

    const CobbleRun some = runCobble(
        {"render", out("NAMES.LIB"), "A/B", "TWICE", "--format", "png", "--out", out("some")});
    ASSERT_EQ(some.status, 0) << describe(some);
    EXPECT_EQ(linesOf(some.out),
              (std::vector<std::string>{out("some/A%2FB.png"), out("some/TWICE.png"),
                                        out("some/TWICE~2.png")}));
}

TEST_F(Render, BadRequestsWriteNothing) {
    const std::string library = (samplesDir() / "IC.LIB").string();
    writeFileBytes(dir / "FILE", std::vector<std::uint8_t>{1, 2, 3});
    const CobbleRun intoFile =
        runCobble({"render", library, "--format", "png", "--out", out("FILE")});
    EXPECT_EQ(intoFile.status, 1);
    EXPECT_EQ(intoFile.err, "cobble: " + out("FILE") + ": not a folder\n");
    EXPECT_EQ(readFileBytes(dir / "FILE"), (std::vector<std::uint8_t>{1, 2, 3}));

    const CobbleRun unknown =
        runCobble({"render", library, "DIP8", "NOPE", "--format", "svg", "--out", out("pics")});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_EQ(unknown.err, "cobble: " + library + ": no component named \"NOPE\"\ncobble: " +
                               library + ": nothing drawn; the other NAMEs found \"DIP8\"\n");
    EXPECT_FALSE(fs::exists(dir / "pics"));

    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{"--format", "gif"},
                                               {"--format", "png", "--size", "0x10"},
                                               {"--format", "png", "--size", "20000x10"},
                                               {"--format", "png", "--size", "10"},
                                               {}}) {
        std::vector<std::string> command = {"render", library, "--out", out("pics")};
        command.insert(command.end(), arguments.begin(), arguments.end());
        const CobbleRun run = runCobble(command);
        EXPECT_EQ(run.status, 2) << describe(run);
        EXPECT_EQ(linesOf(run.err).size(), 1u) << run.err;
        EXPECT_FALSE(fs::exists(dir / "pics"));
    }
}

// The pictures are put in place together, but they do not depend on each other: one whose
// name a folder holds is reported alone, and every other picture is still written and printed.
TEST_F(Render, APictureThatCannotBeWrittenIsReportedAloneAndTheOthersAreWritten) {
    writeLibrary(dir / "THREE.LIB", {"A", "B", "C"});
    fs::create_directories(dir / "pics/B.svg/inside");
    const CobbleRun run =
        runCobble({"render", out("THREE.LIB"), "--format", "svg", "--out", out("pics")});
    EXPECT_EQ(run.status, 1) << describe(run);
    EXPECT_EQ(linesOf(run.out), (std::vector<std::string>{out("pics/A.svg"), out("pics/C.svg")}));
    ASSERT_EQ(linesOf(run.err).size(), 1u) << run.err;
    EXPECT_EQ(run.err.rfind("cobble: " + out("pics/B.svg") + ": ", 0), 0u) << run.err;
    for (const char* name : {"A.svg", "C.svg"}) {
        EXPECT_EQ(readText(dir / "pics" / name).rfind("<?xml", 0), 0u) << name;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "pics"), fs::directory_iterator()), 3);
}

}  // namespace
