#include "palette_png.h"

#include "component_render.h"
#include "library.h"
#include "library_file_builder.h"
#include "library_thumbnail.h"
#include "primitive_factory.h"
#include "viewer_test_support.h"

#include <QBuffer>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

/// The colour type in a PNG's header: 3 for palette pixels, 6 for 32-bit ones.
int pngColourType(const QByteArray& png) {
    // Signature (8), chunk length (4), "IHDR" (4), width (4), height (4), bit depth (1).
    return png.size() > 25 ? static_cast<unsigned char>(png[25]) : -1;
}

QImage decoded(const QByteArray& png) {
    QImage image;
    image.loadFromData(png, "PNG");
    return image.convertToFormat(QImage::Format_ARGB32);
}

QByteArray qtPng(const QImage& image) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

// Every picture must decode to the pixels Qt's own 32-bit PNG of it decodes to, the transparent
// ones of a thumbnail included; pictures of few colours must really take the palette path, and
// an image of more colours than a palette holds must still be written whole.
TEST(PalettePng, DecodesToTheSamePixelsAsA32BitPng) {
    struct Case {
        const char* what;
        QImage image;
        int colourType;
    };
    std::vector<Case> cases;
    std::vector<std::unique_ptr<Component>> owned;
    std::vector<const Component*> layers;
    for (std::uint8_t layer = 1; layer <= 13; ++layer) {
        owned.push_back(
            makeComponent({makeArc(layer, 0, 0, 50, 15, 8), makeVia(13, 0, 0, 30, 10)}));
        layers.push_back(owned.back().get());
    }
    cases.push_back({"thumbnail", renderThumbnail(layers, 128), 3});
    for (const std::filesystem::path& file : libraryFilesAtHand()) {
        Library library;
        PlainNameList names;
        library.load(file.string(), names);
        for (std::size_t i = 0; i < library.size(); i += 7) {
            cases.push_back(
                {"render", renderComponentImage(*library.components()[i], 517, 463), 3});
        }
    }
    QImage many(300, 2, QImage::Format_ARGB32);
    for (int x = 0; x < 300; ++x) {
        many.setPixel(x, 0, qRgba(x % 256, x / 256, 7, 255));
        many.setPixel(x, 1, qRgba(0, 0, 0, 0));
    }
    cases.push_back({"300 colours", many, 6});
    // An RGB32 image is opaque whatever its pixels' top bytes hold; read without the conversion,
    // those bytes must not become translucent palette entries.
    static const std::uint32_t raw[] = {0x00ff0000, 0x7f00ff00, 0xff0000ff, 0x00ff0000};
    cases.push_back(
        {"RGB32 with stray alpha bytes",
         QImage(reinterpret_cast<const uchar*>(raw), 2, 2, 8, QImage::Format_RGB32).copy(), 3});
    ASSERT_GT(cases.size(), 5u);

    for (const Case& c : cases) {
        const QByteArray png = encodePng(c.image);
        ASSERT_FALSE(png.isEmpty()) << c.what;
        EXPECT_EQ(pngColourType(png), c.colourType) << c.what;
        EXPECT_EQ(decoded(png), decoded(qtPng(c.image))) << c.what;
    }
}

}  // namespace
