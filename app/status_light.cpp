#include "status_light.h"

StatusLight::StatusLight(int idleImage, int fullImage, int duplicateImage, int initialState,
                         QWidget* parent)
    : QWidget(parent),
      state_(initialState >= 1 && initialState <= 3 ? initialState : 1),
      idleImage_(idleImage),
      fullImage_(fullImage),
      duplicateImage_(duplicateImage) {}

bool StatusLight::setState(int newState) {
    if (newState == state_) return false;
    state_ = newState >= 1 && newState <= 3 ? newState : 3;
    update();
    return true;
}
