#pragma once

#include "component_viewer.h"

#include <QFrame>

class Component;
class Library;

/// The sunken panel in which the window shows one component. It owns the ComponentViewer and lets
/// it paint the whole area inside the frame; it takes no input.
class ViewerPanel final : public QFrame {
    Q_OBJECT
public:
    explicit ViewerPanel(QWidget* parent = nullptr);

    /// Shows `component` (borrowed: it must stay alive until it is cleared or replaced) and
    /// repaints; none keeps what is shown.
    void showComponent(const Component* component);
    /// Shows nothing; `repaint` false when the window is already gone from the screen.
    void clearComponent(bool repaint = true);
    /// Clears the panel when it shows one of `library`'s components, before the library goes
    /// away; `repaint` as for `clearComponent`.
    void releaseComponentsOf(const Library& library, bool repaint = true);

    const Component* shown() const { return viewer_.shown(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ComponentViewer viewer_;
};
