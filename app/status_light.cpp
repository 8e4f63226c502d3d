#include "status_light.h"

#include "lamp_draw_transparent.h"
#include "lamp_images.h"

StatusLight::StatusLight(int idleImage, int fullImage, int duplicateImage, int initialState,
                         QWidget* parent)
    : QWidget(parent),
      state_(initialState >= 1 && initialState <= 3 ? initialState : 1),
      idleImage_(idleImage),
      fullImage_(fullImage),
      duplicateImage_(duplicateImage) {
    // The image covers the whole control, so nothing needs erasing before a paint, and the
    // control keeps its size whatever rectangle the window gives it.
    setFixedSize(kLampImageSize, kLampImageSize);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAccessibleDescription(stateName());
}

bool StatusLight::setState(int newState) {
    if (newState == state_) return false;
    state_ = newState >= 1 && newState <= 3 ? newState : static_cast<int>(LampState::duplicate);
    // Assistive technology hears of the change through the description.
    setAccessibleDescription(stateName());
    update();
    return true;
}

void StatusLight::paint(QPainter& painter) const {
    // The image is built at each paint and not kept: it is tiny, and this way a change of the
    // palette shows at the next paint without any bookkeeping.
    painter.setBackground(palette().color(QPalette::Button));
    drawTransparent(painter, 0, 0, lampImage(imageForState()), QColor(0xFF, 0xFF, 0xFF));
}

QString StatusLight::stateName() const {
    switch (static_cast<LampState>(state_)) {
        case LampState::full:
            return QStringLiteral("full");
        case LampState::duplicate:
            return QStringLiteral("duplicate");
        case LampState::idle:
            break;
    }
    return QStringLiteral("idle");
}

QSize StatusLight::sizeHint() const { return {kLampImageSize, kLampImageSize}; }

void StatusLight::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    paint(painter);
}

int StatusLight::imageForState() const {
    // The state is always one of the three; setState and the constructor see to it.
    switch (static_cast<LampState>(state_)) {
        case LampState::full:
            return fullImage_;
        case LampState::duplicate:
            return duplicateImage_;
        case LampState::idle:
            break;
    }
    return idleImage_;
}
