#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>

/// Copies `image` onto `painter` with its top-left corner at (x, y), every pixel of exactly
/// `keyColour` replaced by the painter's current background colour; a pixel that differs from
/// the key in any channel is copied as it is. The image is treated as opaque and the whole
/// rectangle is written in one copy, so nothing under it shows through. Always true; a null
/// image draws nothing.
bool drawTransparent(QPainter& painter, int x, int y, const QImage& image, const QColor& keyColour);
