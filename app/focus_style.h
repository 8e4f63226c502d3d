#pragma once

#include <QProxyStyle>

/// The application's style with a focus mark that cannot be missed. The Delete key acts on the
/// focused list, so a focused list gets a ring in the highlight colour over its frame; a focused
/// push button gets a dotted rectangle inside its face. The default button keeps the base style's
/// look, which without this would be the same as that of a focused button.
class FocusStyle final : public QProxyStyle {
    Q_OBJECT
public:
    /// Wraps a new instance of the application's style.
    FocusStyle();

    /// The width of the ring around a focused list, in pixels.
    static constexpr int kListRingWidth = 2;

    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
};
