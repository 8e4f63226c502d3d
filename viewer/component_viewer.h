#pragma once

#include "canvas.h"

class Component;

/// Draws one component, fitted and centred, into a panel of any size. It refers to the component
/// it shows without owning it; the owner clears it before the component goes away.
class ComponentViewer {
public:
    /// Shows `component` from the next paint on; none keeps what is shown and returns false.
    bool setComponent(const Component* component);
    /// Shows nothing from the next paint on; always true.
    bool clearComponent();
    const Component* shown() const { return shown_; }

    /// Paints the whole panel of `width` x `height` pixels, origin at its top left.
    void paint(Canvas& canvas, int width, int height) const;

private:
    const Component* shown_ = nullptr;
};
