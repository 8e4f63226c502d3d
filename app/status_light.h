#pragma once

#include <QPainter>
#include <QWidget>

/// The lamp's states, numbered as `setState` takes them.
enum class LampState { idle = 1, full = 2, duplicate = 3 };

/// The small lamp beside the copy message: idle (grey), full (red) or duplicate (blue). It stores
/// its state and the resource identifiers of its three images, and paints the image of the
/// current state, white shown as the button face, in its 14 x 14 pixels. It takes no input.
class StatusLight : public QWidget {
    Q_OBJECT
public:
    /// `idleImage`, `fullImage` and `duplicateImage` are the identifiers of the images shown in
    /// states 1, 2 and 3; an `initialState` outside 1 to 3 starts the lamp in state 1.
    StatusLight(int idleImage, int fullImage, int duplicateImage, int initialState,
                QWidget* parent = nullptr);

    int state() const { return state_; }
    /// Changes the state (any value outside 1 to 3 gives 3) and schedules a repaint; false when
    /// the state was already the one asked for.
    bool setState(int newState);
    bool setState(LampState newState) { return setState(static_cast<int>(newState)); }

    /// Paints the current state's image at the painter's origin over exactly 14 x 14 pixels,
    /// with its white pixels in this widget's palette button colour as it is at this call.
    void paint(QPainter& painter) const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int imageForState() const;

    int state_ = 1;
    int idleImage_;
    int fullImage_;
    int duplicateImage_;
};
