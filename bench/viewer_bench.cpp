// Painting a component into a 517 x 463 image through the viewer, side by side with issuing the
// same QPainter calls directly from a prepared list, so that the difference is the viewer's own
// cost: fitting, field decoding, the painters, the stroke font and the canvas.
// Components: the largest of the sample libraries, and a made-up one of 2,000 primitives.

#include "component_viewer.h"
#include "library.h"
#include "primitive_factory.h"
#include "qpainter_canvas.h"
#include "recording_canvas.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPolygon>
#include <QRect>
#include <QRectF>

#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <numbers>
#include <string>
#include <variant>
#include <vector>

namespace {

constexpr int kWidth = 517;
constexpr int kHeight = 463;

/// The samples' largest component, copied out of its library.
std::unique_ptr<Component> largestSample() {
    std::unique_ptr<Component> largest;
    const std::filesystem::path dir = SAMPLES_DIR;
    if (!std::filesystem::exists(dir)) return largest;
    for (const auto& file : std::filesystem::directory_iterator(dir)) {
        if (file.path().extension() != ".LIB") continue;
        Library library;
        PlainNameList names;
        library.load(file.path().string(), names);
        for (const auto& component : library.components()) {
            if (!largest || component->primitiveCount() > largest->primitiveCount()) {
                largest = component->clone();
            }
        }
    }
    return largest;
}

/// 2,000 primitives of every kind, in the proportions of a busy footprint.
std::unique_ptr<Component> madeUp() {
    auto component = std::make_unique<Component>(makeEntry("BIG2000"));
    for (int i = 0; i < 2000; ++i) {
        const int x = (i * 37) % 4000 - 2000;
        const int y = (i * 53) % 3000 - 1500;
        switch (i % 20) {
            case 0:
            case 1:
                component->addPrimitive(makeArc(7, x, y, 40 + i % 50, 1 + i % 15, 8));
                break;
            case 2:
                component->addPrimitive(makeFill(1, x, y, x + 60, y + 40));
                break;
            case 3:
            case 4:
            case 5:
            case 6:
            case 7:
                component->addPrimitive(
                    makePad(i % 2 ? 13 : 1, x, y, 60, 40 + i % 3 * 10, 1 + i % 4));
                break;
            case 8:
                component->addPrimitive(makeString(7, x, y, 60, 8, i % 4, "U12"));
                break;
            case 9:
                component->addPrimitive(makeVia(kMultiLayer, x, y, 40, 20));
                break;
            default:
                component->addPrimitive(makeTrack(7, x, y, x + 200, y + (i % 7) * 30, 10));
                break;
        }
    }
    return component;
}

// One QPainter call with its arguments, ready to issue.
struct SetPen {
    QPen pen;
};
struct SetBrush {
    QBrush brush;
};
struct FillRect {
    QRect rect;
    QColor colour;
};
struct DrawEllipse {
    QRect rect;
};
struct DrawPolygon {
    QPolygon polygon;
};
struct DrawArc {
    QRectF rect;
    int start;
    int span;
};
struct DrawLine {
    QLine line;
};
struct DrawPoint {
    QPoint point;
};
using QtCall = std::variant<SetPen, SetBrush, FillRect, DrawEllipse, DrawPolygon, DrawArc, DrawLine,
                            DrawPoint>;

QPen qpen(const Pen& pen) {
    if (pen.kind == PenKind::Outline) return QPen(QColor::fromRgb(pen.colour), 1);
    return QPen(QBrush(QColor::fromRgb(pen.colour)), std::max(pen.width, 0), Qt::SolidLine,
                Qt::RoundCap, Qt::RoundJoin);
}

/// Works out beforehand the calls QPainterCanvas makes for each recorded operation.
class Translator {
public:
    explicit Translator(std::vector<QtCall>& calls) : calls_(calls) {}

    void operator()(const FillRectOp& o) {
        const PixelRect& r = o.rect;
        if (r.right <= r.left || r.bottom <= r.top) return;
        calls_.push_back(FillRect{QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1)),
                                  QColor::fromRgb(o.colour)});
    }
    void operator()(const SelectPenOp& o) {
        if (!(o.pen == pen_)) calls_.push_back(SetPen{qpen(o.pen)});
        pen_ = o.pen;
    }
    void operator()(const SelectBrushOp& o) {
        if (!(o.brush == brush_)) {
            calls_.push_back(SetBrush{QBrush(QColor::fromRgb(o.brush.colour))});
        }
        brush_ = o.brush;
    }
    void operator()(const EllipseOp& o) {
        const QRect r =
            QRect(QPoint(o.box.left, o.box.top), QPoint(o.box.right, o.box.bottom)).normalized();
        if (r.width() <= 1 || r.height() <= 1) return;
        calls_.push_back(DrawEllipse{QRect(r.topLeft(), r.bottomRight() - QPoint(2, 2))});
    }
    void operator()(const PolygonOp& o) {
        QPolygon polygon;
        for (const PixelPoint& p : o.points) polygon << QPoint(p.x, p.y);
        calls_.push_back(DrawPolygon{polygon});
    }
    void operator()(const ArcOp& o) {
        const double cx = (o.box.left + o.box.right) / 2.0;
        const double cy = (o.box.top + o.box.bottom) / 2.0;
        const auto angle = [&](PixelPoint p) {
            return std::atan2(cy - p.y, p.x - cx) * 180.0 / std::numbers::pi;
        };
        const double from = angle(o.start);
        double span = angle(o.end) - from;
        while (span <= 0) span += 360;
        calls_.push_back(DrawArc{
            QRectF(o.box.left, o.box.top, o.box.right - o.box.left, o.box.bottom - o.box.top),
            static_cast<int>(std::lround(from * 16)), static_cast<int>(std::lround(span * 16))});
    }
    void operator()(const MoveToOp& o) { at_ = o.point; }
    void operator()(const LineToOp& o) {
        if (o.point == at_) {
            calls_.push_back(DrawPoint{QPoint(at_.x, at_.y)});
        } else {
            calls_.push_back(DrawLine{QLine(at_.x, at_.y, o.point.x, o.point.y)});
        }
        at_ = o.point;
    }

private:
    std::vector<QtCall>& calls_;
    Pen pen_;
    Brush brush_;
    PixelPoint at_;
};

std::vector<QtCall> qtCalls(const std::vector<CanvasOp>& ops) {
    std::vector<QtCall> calls;
    Translator translator(calls);
    for (const CanvasOp& op : ops) std::visit(translator, op);
    return calls;
}

struct Issue {
    QPainter& p;
    void operator()(const SetPen& c) const { p.setPen(c.pen); }
    void operator()(const SetBrush& c) const { p.setBrush(c.brush); }
    void operator()(const FillRect& c) const { p.fillRect(c.rect, c.colour); }
    void operator()(const DrawEllipse& c) const { p.drawEllipse(c.rect); }
    void operator()(const DrawPolygon& c) const { p.drawPolygon(c.polygon); }
    void operator()(const DrawArc& c) const { p.drawArc(c.rect, c.start, c.span); }
    void operator()(const DrawLine& c) const { p.drawLine(c.line); }
    void operator()(const DrawPoint& c) const { p.drawPoint(c.point); }
};

void viewerPaint(benchmark::State& state, const Component* component) {
    if (!component) {
        state.SkipWithError("no sample libraries");
        return;
    }
    ComponentViewer viewer;
    viewer.setComponent(component);
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        QPainterCanvas canvas(painter);
        viewer.paint(canvas, kWidth, kHeight);
    }
    benchmark::DoNotOptimize(image.bits());
    state.counters["primitives"] = component->primitiveCount();
}

void barePaint(benchmark::State& state, const Component* component) {
    if (!component) {
        state.SkipWithError("no sample libraries");
        return;
    }
    ComponentViewer viewer;
    viewer.setComponent(component);
    RecordingCanvas recording;
    viewer.paint(recording, kWidth, kHeight);
    const std::vector<QtCall> calls = qtCalls(recording.ops());
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(QBrush(Qt::white));
        const Issue issue{painter};
        for (const QtCall& call : calls) std::visit(issue, call);
    }
    benchmark::DoNotOptimize(image.bits());
    state.counters["calls"] = static_cast<double>(calls.size());
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const std::unique_ptr<Component> sample = largestSample();
    const std::unique_ptr<Component> big = madeUp();
    benchmark::RegisterBenchmark("Paint/viewer/largest_sample", viewerPaint, sample.get());
    benchmark::RegisterBenchmark("Paint/bare/largest_sample", barePaint, sample.get());
    benchmark::RegisterBenchmark("Paint/viewer/2000_primitives", viewerPaint, big.get());
    benchmark::RegisterBenchmark("Paint/bare/2000_primitives", barePaint, big.get());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
