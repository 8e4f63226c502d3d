#include "viewer_panel.h"

#include "library.h"
#include "qpainter_canvas.h"

#include <QPainter>

ViewerPanel::ViewerPanel(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    setFocusPolicy(Qt::NoFocus);
}

void ViewerPanel::showComponent(const Component* component) {
    if (viewer_.setComponent(component)) update();
}

void ViewerPanel::clearComponent(bool repaint) {
    viewer_.clearComponent();
    if (repaint) update();
}

void ViewerPanel::releaseComponentsOf(const Library& library, bool repaint) {
    for (const auto& component : library.components()) {
        if (component.get() == viewer_.shown()) {
            clearComponent(repaint);
            return;
        }
    }
}

void ViewerPanel::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);  // the frame
    const QRect area = contentsRect();
    QPainter painter(this);
    painter.setClipRect(area);
    painter.translate(area.topLeft());
    QPainterCanvas canvas(painter);
    viewer_.paint(canvas, area.width(), area.height());
}
