// Painting a component into a 517 x 463 image through the viewer, against a floor that knows
// nothing of the viewer's calls, in the same run: one QPainter call per primitive (a line per
// track and string, an arc, a rectangle or an ellipse per pad, via and fill), so that the ratio
// shows the viewer's own cost (fitting, field decoding, the painters, the stroke font, the canvas)
// and any call it need not make.
// Components: the largest of the sample libraries, and a made-up one of 2,000 primitives.

#include "component_viewer.h"
#include "library.h"
#include "paired_timing.h"
#include "primitive_factory.h"
#include "qpainter_canvas.h"
#include "view_transform.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRect>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
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
        library.load(file.path().string());
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

/// One QPainter call for each primitive, its coordinates mapped by the same fit.
void onePainterCallEach(QPainter& painter, const Component& component, const ViewTransform& t) {
    painter.fillRect(0, 0, kWidth, kHeight, QColor(0xAA, 0xAA, 0xAA));
    painter.setPen(QPen(Qt::yellow, 1));
    painter.setBrush(QBrush(Qt::red));
    for (const Primitive& primitive : component.primitives()) {
        const auto kind = primitive.kind();
        if (!kind) continue;
        switch (*kind) {
            case PrimitiveType::Arc: {
                const ArcFields a = primitive.arc();
                const int r = t.scaled(a.radius);
                painter.drawArc(t.deviceX(a.x) - r, t.deviceY(a.y) - r, 2 * r, 2 * r, 0, 90 * 16);
                break;
            }
            case PrimitiveType::Fill: {
                const FillFields f = primitive.fill();
                painter.fillRect(QRect(QPoint(t.deviceX(f.x1), t.deviceY(f.y2)),
                                       QPoint(t.deviceX(f.x2), t.deviceY(f.y1))),
                                 Qt::red);
                break;
            }
            case PrimitiveType::Pad: {
                const PadFields d = primitive.pad();
                const QRect box(t.deviceX(d.x) - t.scaled(d.xSize) / 2,
                                t.deviceY(d.y) - t.scaled(d.ySize) / 2, t.scaled(d.xSize),
                                t.scaled(d.ySize));
                if (d.shape == 1) {
                    painter.drawEllipse(box);
                } else {
                    painter.drawRect(box);
                }
                break;
            }
            case PrimitiveType::Track: {
                const TrackFields k = primitive.track();
                painter.drawLine(t.deviceX(k.x1), t.deviceY(k.y1), t.deviceX(k.x2),
                                 t.deviceY(k.y2));
                break;
            }
            case PrimitiveType::String: {
                const StringFields g = primitive.string();
                painter.drawLine(t.deviceX(g.x), t.deviceY(g.y),
                                 t.deviceX(g.x + g.height * g.textLength), t.deviceY(g.y));
                break;
            }
            case PrimitiveType::Via: {
                const ViaFields v = primitive.via();
                const int r = t.scaled(v.diameter) / 2;
                painter.drawEllipse(t.deviceX(v.x) - r, t.deviceY(v.y) - r, 2 * r, 2 * r);
                break;
            }
        }
    }
}

void viewerAgainstOneCallPerPrimitive(benchmark::State& state, const Component* component) {
    if (!component) {
        state.SkipWithError("no sample libraries");
        return;
    }
    ComponentViewer viewer;
    viewer.setComponent(component);
    const std::optional<ViewTransform> fit =
        ViewTransform::fit(component->bounds(), kWidth, kHeight);
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    timeAgainstFloors(state,
                      [&] {
                          QPainter painter(&image);
                          QPainterCanvas canvas(painter);
                          viewer.paint(canvas, kWidth, kHeight);
                      },
                      {{"vs_one_call_per_primitive", [&] {
                            QPainter painter(&image);
                            if (fit) onePainterCallEach(painter, *component, *fit);
                        }}});
    benchmark::DoNotOptimize(image.bits());
    state.counters["primitives"] = component->primitiveCount();
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const std::unique_ptr<Component> sample = largestSample();
    const std::unique_ptr<Component> big = madeUp();
    benchmark::RegisterBenchmark("Paint/viewer/largest_sample", viewerPaint, sample.get());
    benchmark::RegisterBenchmark("Paint/viewer/2000_primitives", viewerPaint, big.get());
    benchmark::RegisterBenchmark("Paint/floor/largest_sample", viewerAgainstOneCallPerPrimitive,
                                 sample.get())
        ->UseManualTime()
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("Paint/floor/2000_primitives", viewerAgainstOneCallPerPrimitive,
                                 big.get())
        ->UseManualTime()
        ->Unit(benchmark::kMicrosecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
