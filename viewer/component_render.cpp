#include "component_render.h"

#include "component_viewer.h"
#include "qpainter_canvas.h"
#include "svg_canvas.h"

#include <QPainter>

#include <algorithm>

QImage renderComponentImage(const Component& component, int width, int height) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    ComponentViewer viewer;
    viewer.setComponent(&component);
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    QPainterCanvas canvas(painter);
    viewer.paint(canvas, width, height);
    painter.end();
    return image;
}

std::string renderComponentSvg(const Component& component, int width, int height) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    ComponentViewer viewer;
    viewer.setComponent(&component);
    SvgCanvas canvas(width, height);
    viewer.paint(canvas, width, height);
    return canvas.document();
}
