#include "component_render.h"

#include "component_viewer.h"
#include "library.h"
#include "library_file_builder.h"
#include "primitive_factory.h"
#include "viewer_test_support.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

/// The panel as the window paints it: the viewer on a QPainterCanvas over an image.
QImage panelImage(const Component& component, int width, int height) {
    ComponentViewer viewer;
    viewer.setComponent(&component);
    return paintImage(width, height, 0x123456,
                      [&](Canvas& canvas) { viewer.paint(canvas, width, height); });
}

int differingPixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return -1;
    int count = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x)
            count += (a.pixel(x, y) & 0xFFFFFF) != (b.pixel(x, y) & 0xFFFFFF);
    }
    return count;
}

TEST(ComponentRender, PngIsThePanelPaintedAtTheSameSize) {
    int components = 0;
    for (const std::filesystem::path& file : libraryFilesAtHand()) {
        Library library;
        PlainNameList names;
        library.load(file.string(), names);
        // Every fourth component keeps the run short; the sizes differ in parity and fit.
        for (std::size_t i = 0; i < library.size(); i += 4) {
            const Component& component = *library.components()[i];
            for (const auto& [w, h] : {std::pair{517, 463}, std::pair{120, 91}}) {
                const QImage image = renderComponentImage(component, w, h);
                EXPECT_EQ(image.size(), QSize(w, h));
                EXPECT_EQ(differingPixels(image, panelImage(component, w, h)), 0)
                    << file.filename() << " " << component.displayName() << " " << w;
            }
            ++components;
        }
    }
    EXPECT_GT(components, 10);
}

TEST(ComponentRender, SvgIsTheViewersPictureAndEmptySizesAreOnePixel) {
    const auto component = makeComponent({makeTrack(7, 0, 0, 100, 50, 10)});
    const std::string svg = renderComponentSvg(*component, 200, 100);
    EXPECT_NE(svg.find("viewBox=\"0 0 200 100\""), std::string::npos);
    EXPECT_NE(svg.find("fill=\"#aaaaaa\""), std::string::npos) << "the panel's background";
    EXPECT_NE(svg.find("stroke=\"#ffff55\""), std::string::npos) << "layer 7's colour";
    EXPECT_EQ(renderComponentImage(*component, 0, -3).size(), QSize(1, 1));
}

}  // namespace
