#pragma once

#include <QFontMetrics>
#include <QRect>
#include <QSize>

// Window layouts are given in dialog units, which scale with the layout's font: a horizontal unit
// is a quarter of the font's average character width, a vertical unit an eighth of its height.
// The average character width is that of the 52 letters A-Z and a-z, rounded to whole pixels,
// which is what such layouts were drawn against; a font's own "average" figure can be wider than
// running text and would leave word-wrapped texts too little room. Each value is converted on its
// own and rounded to the nearest pixel (halves away from zero), so a control's size does not
// depend on where it stands.

/// The pixel rectangle of a rectangle given as x, y, width, height in dialog units of the font
/// measured by `metrics`.
QRect dialogUnitsToPixels(const QFontMetrics& metrics, int x, int y, int width, int height);

/// The pixel size of a width and height given in dialog units of the font measured by `metrics`.
QSize dialogUnitsToPixels(const QFontMetrics& metrics, int width, int height);

/// The average character width that horizontal dialog units are quarters of, in whole pixels.
int dialogAverageCharWidth(const QFontMetrics& metrics);
