#include "library_thumbnail.h"

#include "component.h"
#include "component_viewer.h"
#include "qpainter_canvas.h"
#include "view_transform.h"

#include <QPainter>

#include <algorithm>

ThumbnailLayout ThumbnailLayout::forCount(std::size_t count, int side) {
    side = std::max(side, 1);
    ThumbnailLayout layout;
    if (count == 0) return layout;
    int columns = 1;
    while (static_cast<std::size_t>(columns) * static_cast<std::size_t>(columns) < count) {
        ++columns;
    }
    layout.columns = std::clamp(columns, 1, std::clamp(side / kMinCellSide, 1, kMaxColumns));
    layout.cellSide = side / layout.columns;
    const auto cells = static_cast<std::size_t>(layout.columns) * layout.columns;
    layout.shown = std::min(count, cells);
    const auto rows = static_cast<int>((layout.shown + layout.columns - 1) / layout.columns);
    layout.top = (side - rows * layout.cellSide) / 2;
    return layout;
}

bool drawsSomething(const Component& component) {
    return !component.primitives().empty() && ViewTransform::fit(component.bounds(), 1, 1);
}

QImage renderThumbnail(std::span<const Component* const> components, int side) {
    side = std::max(side, 1);
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const ThumbnailLayout layout = ThumbnailLayout::forCount(components.size(), side);
    // A margin keeps neighbouring components from touching; a lone component keeps the same
    // share of the square, so its edges do not run into the file manager's frame.
    const int margin = std::max(layout.cellSide / 16, 1);
    const int inner = layout.cellSide - 2 * margin;
    const int left = (side - layout.columns * layout.cellSide) / 2;
    if (inner < 1) return image;

    QPainter painter(&image);
    ComponentViewer viewer;
    for (std::size_t i = 0; i < layout.shown; ++i) {
        const int column = static_cast<int>(i % layout.columns);
        const int row = static_cast<int>(i / layout.columns);
        painter.save();
        painter.translate(left + column * layout.cellSide + margin,
                          layout.top + row * layout.cellSide + margin);
        painter.setClipRect(0, 0, inner, inner);
        viewer.setComponent(components[i]);
        QPainterCanvas canvas(painter);
        viewer.paintComponent(canvas, inner, inner);
        painter.restore();
    }
    painter.end();
    return image;
}
