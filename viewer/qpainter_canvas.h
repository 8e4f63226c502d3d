#pragma once

#include "canvas.h"

class QPainter;

/// Draws on a QPainter (a widget or a QImage), without antialiasing.
class QPainterCanvas final : public Canvas {
public:
    explicit QPainterCanvas(QPainter& painter);
    void fillRect(const PixelRect& rect, Rgb colour) override;

private:
    QPainter& painter_;
};
