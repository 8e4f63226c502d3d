#include "dialog_units.h"

#include <QApplication>
#include <QFont>
#include <QFontMetrics>

#include <gtest/gtest.h>

#include <cmath>

// Four horizontal units are one average letter and eight vertical units one line, at any size;
// values between are rounded to the nearest pixel, not cut off.
TEST(DialogUnits, ScaleWithTheFontAndRound) {
    for (int pointSize = 6; pointSize <= 20; ++pointSize) {
        QFont font = QApplication::font();
        font.setPointSize(pointSize);
        const QFontMetrics metrics(font);
        const DialogUnits units(metrics);
        const double average =
            metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") /
            52.0;
        const int line = metrics.height();
        EXPECT_EQ(units.y(8), line);
        EXPECT_EQ(units.size(8, 24).height(), 3 * line);
        for (int n = -7; n <= 40; ++n) {
            EXPECT_LE(std::abs(units.x(n) - n * average / 4.0), 0.5) << n << " at " << pointSize;
            EXPECT_LE(std::abs(units.y(n) - n * line / 8.0), 0.5) << n << " at " << pointSize;
        }
    }
}

// Rectangles that touch in dialog units touch on screen: no gap or overlap from rounding sizes.
TEST(DialogUnits, NeighboursShareTheirEdge) {
    const DialogUnits units{QFontMetrics(QApplication::font())};
    for (int left = 0; left < 40; ++left) {
        const QRect a = units.rect(left, left, 13, 7);
        const QRect b = units.rect(left + 13, left + 7, 11, 5);
        EXPECT_EQ(a.right() + 1, b.left()) << left;
        EXPECT_EQ(a.bottom() + 1, b.top()) << left;
    }
}
