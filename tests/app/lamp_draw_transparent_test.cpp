#include "lamp_draw_transparent.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPoint>

#include <gtest/gtest.h>

namespace {

constexpr QRgb kFace = qRgb(0x12, 0x34, 0x56);
constexpr QRgb kUntouched = qRgb(0xAB, 0xCD, 0xEF);

}  // namespace

TEST(DrawTransparent, ReplacesOnlyTheExactKeyColourAtTheGivenPlace) {
    QImage source(3, 1, QImage::Format_RGB32);
    source.setPixel(0, 0, qRgb(0xFF, 0xFF, 0xFF));
    source.setPixel(1, 0, qRgb(0xFE, 0xFE, 0xFE));
    source.setPixel(2, 0, qRgb(0xFF, 0xFF, 0xFE));

    QImage target(6, 3, QImage::Format_RGB32);
    target.fill(kUntouched);
    QPainter painter(&target);
    painter.setBackground(QColor(kFace));
    EXPECT_TRUE(drawTransparent(painter, 2, 1, source, QColor(0xFF, 0xFF, 0xFF)));
    painter.end();

    EXPECT_EQ(target.pixel(2, 1), kFace);
    EXPECT_EQ(target.pixel(3, 1), qRgb(0xFE, 0xFE, 0xFE));
    EXPECT_EQ(target.pixel(4, 1), qRgb(0xFF, 0xFF, 0xFE));
    for (const QPoint p : {QPoint(1, 1), QPoint(5, 1), QPoint(2, 0), QPoint(2, 2)}) {
        EXPECT_EQ(target.pixel(p), kUntouched) << "x " << p.x() << " y " << p.y();
    }
}
