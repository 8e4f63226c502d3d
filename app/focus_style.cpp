#include "focus_style.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QPen>
#include <QStyleOption>

FocusStyle::FocusStyle() : QProxyStyle() {}

int FocusStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                            const QWidget* widget) const {
    // A frame as wide as the ring, so that the list's contents never cover part of it.
    if (metric == PM_DefaultFrameWidth && qobject_cast<const QAbstractItemView*>(widget)) {
        return kListRingWidth;
    }
    return QProxyStyle::pixelMetric(metric, option, widget);
}

void FocusStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                             const QWidget* widget) const {
    QProxyStyle::drawControl(element, option, painter, widget);
    if (!(option->state & State_HasFocus)) return;
    if (element == CE_ShapedFrame && qobject_cast<const QAbstractItemView*>(widget)) {
        // Drawn over the frame, inside the list's own rectangle, so no list grows or moves.
        const QRect outer = option->rect;
        QRegion ring(outer);
        ring -= QRegion(
            outer.adjusted(kListRingWidth, kListRingWidth, -kListRingWidth, -kListRingWidth));
        painter->save();
        painter->setClipRegion(ring);
        painter->fillRect(outer, option->palette.color(QPalette::Active, QPalette::Highlight));
        painter->restore();
    } else if (element == CE_PushButton) {
        painter->save();
        painter->setPen(QPen(option->palette.color(QPalette::ButtonText), 1, Qt::DotLine));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(option->rect.adjusted(3, 3, -4, -4));
        painter->restore();
    }
}
