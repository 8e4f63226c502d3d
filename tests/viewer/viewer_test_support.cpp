#include "viewer_test_support.h"

#include "library_file_builder.h"
#include "primitive_factory.h"
#include "qpainter_canvas.h"

#include <QPainter>

#include <iomanip>
#include <sstream>

std::unique_ptr<Component> makeComponent(std::initializer_list<Primitive> primitives) {
    auto component = std::make_unique<Component>(makeEntry("TEST"));
    for (const Primitive& p : primitives) component->addPrimitive(p);
    return component;
}

ViewTransform transformAt(bool magnify, std::int32_t scale) {
    ViewTransform t;
    t.magnify = magnify;
    t.scale = scale;
    t.clientHeight = 200;
    t.clientCentreX = 100;
    t.clientCentreY = 100;
    return t;
}

std::vector<std::vector<PixelPoint>> polylines(const std::vector<CanvasOp>& ops) {
    std::vector<std::vector<PixelPoint>> lines;
    for (const CanvasOp& op : ops) {
        if (const auto* move = std::get_if<MoveToOp>(&op)) {
            lines.push_back({move->point});
        } else if (const auto* line = std::get_if<LineToOp>(&op)) {
            if (lines.empty()) lines.emplace_back();
            lines.back().push_back(line->point);
        }
    }
    return lines;
}

QImage paintImage(int width, int height, Rgb background, const std::function<void(Canvas&)>& draw) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor::fromRgb(background));
    QPainter painter(&image);
    QPainterCanvas canvas(painter);
    draw(canvas);
    return image;
}

testing::AssertionResult pixelIs(const QImage& image, int x, int y, Rgb expected,
                                 const std::string& name) {
    const Rgb actual = image.pixel(x, y) & 0xFFFFFF;
    if (actual == expected) return testing::AssertionSuccess();
    const std::string path = std::string(TEST_OUTPUT_DIR) + "/" + name + ".png";
    image.save(QString::fromStdString(path));
    std::ostringstream text;
    text << std::hex << std::uppercase << std::setfill('0') << "pixel (" << std::dec << x << ", "
         << y << std::hex << ") is #" << std::setw(6) << actual << ", expected #" << std::setw(6)
         << expected << "; image written to " << path;
    return testing::AssertionFailure() << text.str();
}

int countPixels(const QImage& image, const PixelRect& area, Rgb colour) {
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            if ((image.pixel(x, y) & 0xFFFFFF) == colour) ++count;
        }
    }
    return count;
}
