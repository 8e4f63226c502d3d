#include "component_viewer.h"

#include "component.h"
#include "primitive_painters.h"
#include "view_transform.h"

#include <optional>

bool ComponentViewer::setComponent(const Component* component) {
    if (!component) return false;
    shown_ = component;
    return true;
}

bool ComponentViewer::clearComponent() {
    shown_ = nullptr;
    return true;
}

bool ComponentViewer::eraseBackground(Canvas& canvas, int width, int height) const {
    canvas.fillRect({0, 0, width, height}, palette_.background());
    return true;
}

void ComponentViewer::paint(Canvas& canvas, int width, int height) const {
    eraseBackground(canvas, width, height);
    paintComponent(canvas, width, height);
}

void ComponentViewer::paintComponent(Canvas& canvas, int width, int height) const {
    if (!shown_ || shown_->primitives().empty()) return;
    const std::optional<ViewTransform> transform =
        ViewTransform::fit(shown_->bounds(), width, height);
    if (!transform) return;
    for (const Primitive& primitive : shown_->primitives()) {
        paintPrimitive(canvas, primitive, *transform, palette_);
    }
}
