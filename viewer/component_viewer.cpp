#include "component_viewer.h"

bool ComponentViewer::setComponent(const Component* component) {
    if (!component) return false;
    shown_ = component;
    return true;
}

bool ComponentViewer::clearComponent() {
    shown_ = nullptr;
    return true;
}

void ComponentViewer::paint(Canvas& canvas, int width, int height) const {
    canvas.fillRect({0, 0, width, height}, 0xAAAAAA);
}
