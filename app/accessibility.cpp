#include "accessibility.h"

#include <QAccessible>
#include <QWidget>

void announce(QWidget* widget) {
    // A changed name is what screen readers pick up for a label; the alert asks them to speak it
    // at once.
    QAccessibleEvent nameChanged(widget, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&nameChanged);
    QAccessibleEvent alert(widget, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}
