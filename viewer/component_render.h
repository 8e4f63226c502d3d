#pragma once

#include <QImage>

#include <string>

class Component;

/// The window panel's picture of `component` at `width` x `height` pixels: the same viewer,
/// fit, palette and stroke font, painted through QPainterCanvas onto an RGB32 image. Sizes
/// below 1 are taken as 1. Needs a QGuiApplication (offscreen will do).
QImage renderComponentImage(const Component& component, int width, int height);

/// The same picture as an SVG document, one vector element per drawing operation.
std::string renderComponentSvg(const Component& component, int width, int height);
