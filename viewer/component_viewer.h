#pragma once

#include "canvas.h"
#include "layer_palette.h"

class Component;

/// Draws one component, fitted and centred, into a panel of any size: the same code paints the
/// window's panel and a QImage. It refers to the component it shows without owning it; the owner
/// clears it or sets another before the component goes away, and asks for a repaint after either.
class ComponentViewer final {
public:
    ComponentViewer() = default;
    virtual ~ComponentViewer() = default;
    ComponentViewer(const ComponentViewer&) = delete;
    ComponentViewer& operator=(const ComponentViewer&) = delete;

    /// Shows `component` from the next paint on and returns true; none keeps what is shown and
    /// returns false.
    bool setComponent(const Component* component);
    /// Shows nothing from the next paint on; always true.
    bool clearComponent();
    const Component* shown() const { return shown_; }
    const LayerPalette& palette() const { return palette_; }

    /// Paints the whole panel of `width` x `height` pixels, origin at its top left: the
    /// background, then every primitive of the shown component in list order, each over the
    /// ones before it. Only the background for no component, an empty one, one whose bounds have
    /// no width or height, or an empty panel.
    void paint(Canvas& canvas, int width, int height) const;

    /// Paints the shown component as `paint` does, fitted to `width` x `height` pixels, but over
    /// whatever the canvas already holds: no background, so that a picture can keep its own
    /// (a transparent thumbnail). Nothing in the cases where `paint` shows only the background.
    void paintComponent(Canvas& canvas, int width, int height) const;

    /// Fills the whole panel with the background colour; always true.
    bool eraseBackground(Canvas& canvas, int width, int height) const;

private:
    LayerPalette palette_;
    const Component* shown_ = nullptr;
};
