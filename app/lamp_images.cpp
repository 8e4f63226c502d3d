#include "lamp_images.h"

#include <algorithm>

namespace {

QRgb colourOf(char letter) {
    const auto found = std::find_if(kLampColours.begin(), kLampColours.end(),
                                    [letter](const LampColour& c) { return c.letter == letter; });
    // Every letter of the tables is in the colour table (a test guards this); anything else
    // would fall back to white and so show as background.
    return found != kLampColours.end() ? found->rgb : kLampColours.front().rgb;
}

}  // namespace

QImage lampImage(int id) {
    const auto lamp = std::find_if(kLampImages.begin(), kLampImages.end(),
                                   [id](const LampPixels& l) { return l.id == id; });
    if (lamp == kLampImages.end()) return {};

    QImage image(kLampImageSize, kLampImageSize, QImage::Format_RGB32);
    for (int y = 0; y < kLampImageSize; ++y) {
        const std::string_view row = lamp->rows[static_cast<std::size_t>(y)];
        for (int x = 0; x < kLampImageSize; ++x) {
            image.setPixel(x, y, colourOf(row[static_cast<std::size_t>(x)]));
        }
    }
    return image;
}
