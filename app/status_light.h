#pragma once

#include <QWidget>

/// The small lamp beside the copy message: idle (grey), full (red) or duplicate (blue).
/// (Outline; the images and their painting come later.)
class StatusLight : public QWidget {
    Q_OBJECT
public:
    StatusLight(int idleImage, int fullImage, int duplicateImage, int initialState,
                QWidget* parent = nullptr);

    int state() const { return state_; }
    /// Changes the state (any value outside 1 to 3 gives 3) and schedules a repaint; false when
    /// the state was already the one asked for.
    bool setState(int newState);

private:
    int state_ = 1;
    int idleImage_;
    int fullImage_;
    int duplicateImage_;
};
