#pragma once

class QWidget;

/// Tells assistive technology that `widget` shows something the user must hear now, such as a
/// refused copy, even though the focus is elsewhere.
void announce(QWidget* widget);
