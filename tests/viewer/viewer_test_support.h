#pragma once

#include "canvas.h"
#include "component.h"
#include "primitive.h"
#include "recording_canvas.h"
#include "view_transform.h"

#include <QImage>

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

/// A component holding `primitives`, placed as a load places them (Vias and MultiLayer Pads at
/// the tail, others at the head).
std::unique_ptr<Component> makeComponent(std::initializer_list<Primitive> primitives);

/// A transform at `scale` that puts library (0, 0) at panel (100, 100) in a 200 x 200 panel.
ViewTransform transformAt(bool magnify, std::int32_t scale);

/// The polylines drawn by a recording: each moveTo starts one, each lineTo adds a point.
std::vector<std::vector<PixelPoint>> polylines(const std::vector<CanvasOp>& ops);

/// A `width` x `height` image filled with `background`, then painted through a QPainterCanvas.
QImage paintImage(int width, int height, Rgb background, const std::function<void(Canvas&)>& draw);

/// Checks the colour of one pixel; a failure names the position and both colours, and writes the
/// image into the build folder as `name`.png for review.
testing::AssertionResult pixelIs(const QImage& image, int x, int y, Rgb expected,
                                 const std::string& name = "pixel_check");

/// The number of pixels of `colour` in the rectangle from (left, top) up to but excluding
/// (right, bottom).
int countPixels(const QImage& image, const PixelRect& area, Rgb colour);
