#pragma once

#include <QFontMetrics>
#include <QRect>
#include <QSize>

// Window layouts are given in dialog units, which scale with the layout's font: a horizontal unit
// is a quarter of the font's average character width, a vertical unit an eighth of its height.
// The average character width is that of the 52 letters A-Z and a-z, which is what such layouts
// were drawn against; a font's own "average" figure can be wider than running text and would
// leave word-wrapped texts too little room.

/// Converts positions and sizes in dialog units of one font into pixels, rounded to the nearest
/// pixel. Rectangles are converted by their edges, not their sizes, so controls that touch in
/// dialog units touch on screen too.
class DialogUnits {
public:
    explicit DialogUnits(const QFontMetrics& metrics);

    int x(int units) const;
    int y(int units) const;
    QRect rect(int x, int y, int width, int height) const;
    QSize size(int width, int height) const { return {x(width), y(height)}; }

private:
    int lettersWidth_;
    int lineHeight_;
};
