#include "status_light.h"

#include "lamp_images.h"

#include <QCoreApplication>
#include <QEvent>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QString>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>

namespace {

constexpr QRgb kFace = qRgb(0x12, 0x34, 0x56);       // a button face unlike any lamp colour
constexpr QRgb kUntouched = qRgb(0xAB, 0xCD, 0xEF);  // what the image holds before a paint

std::string describe(QRgb colour) {
    return QString("#%1").arg(colour & 0xFFFFFF, 6, 16, QChar('0')).toStdString();
}

void setButtonFace(QWidget& widget, QRgb colour) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Button, QColor(colour));
    widget.setPalette(palette);
}

// Paints the lamp onto a 16 x 16 image filled with kUntouched, so a stray pixel outside the
// lamp's 14 x 14 shows.
QImage paintLamp(const StatusLight& lamp) {
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(kUntouched);
    QPainter painter(&image);
    lamp.paint(painter);
    return image;
}

StatusLight makeLamp(int state) {
    return StatusLight(kIdleLampImage, kFullLampImage, kDuplicateLampImage, state);
}

}  // namespace

TEST(StatusLight, ConstructionStateOutsideOneToThreeStartsIdle) {
    for (const auto& [initial, expected] :
         {std::pair{0, 1}, {1, 1}, {2, 2}, {3, 3}, {4, 1}, {-1, 1}}) {
        EXPECT_EQ(makeLamp(initial).state(), expected) << "initial " << initial;
    }
}

// start state, requested state, expected result, expected state afterwards
using SetStateCase = std::tuple<int, int, bool, int>;
class StatusLightSetState : public testing::TestWithParam<SetStateCase> {};

TEST_P(StatusLightSetState, ReturnsWhetherItChangedAndClampsToDuplicate) {
    const auto [start, requested, result, after] = GetParam();
    StatusLight lamp = makeLamp(start);
    EXPECT_EQ(lamp.setState(requested), result);
    EXPECT_EQ(lamp.state(), after);
}

INSTANTIATE_TEST_SUITE_P(Table, StatusLightSetState,
                         testing::Values(SetStateCase{1, 1, false, 1}, SetStateCase{2, 2, false, 2},
                                         SetStateCase{3, 3, false, 3}, SetStateCase{3, 1, true, 1},
                                         SetStateCase{1, 2, true, 2}, SetStateCase{1, 7, true, 3},
                                         SetStateCase{2, 0, true, 3}, SetStateCase{2, -1, true, 3},
                                         // Out of range but not equal to the state: a change,
                                         // although the state stays 3.
                                         SetStateCase{3, 7, true, 3}));

namespace {

class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

TEST(StatusLight, RepaintsOnlyWhenTheStateChanges) {
    StatusLight lamp = makeLamp(1);
    lamp.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&lamp));
    PaintCounter counter;
    lamp.installEventFilter(&counter);

    EXPECT_FALSE(lamp.setState(1));
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.paints, 0);

    EXPECT_TRUE(lamp.setState(2));
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.paints, 1);
}

TEST(StatusLight, KeepsItsSizeInALargerRectangle) {
    StatusLight lamp = makeLamp(1);
    lamp.setGeometry(0, 0, 25, 21);
    EXPECT_EQ(lamp.size(), QSize(14, 14));
}

// state, row and column counting from 1, expected colour (kFace where the image is white)
using ProbeCase = std::tuple<int, int, int, QRgb>;
class StatusLightPaint : public testing::TestWithParam<ProbeCase> {};

TEST_P(StatusLightPaint, ShowsTheImageWithWhiteAsButtonFace) {
    const auto [state, row, column, expected] = GetParam();
    StatusLight lamp = makeLamp(state);
    setButtonFace(lamp, kFace);
    const QRgb actual = paintLamp(lamp).pixel(column - 1, row - 1);
    EXPECT_EQ(actual, expected) << "state " << state << " row " << row << " column " << column
                                << ": " << describe(actual) << " instead of " << describe(expected);
}

INSTANTIATE_TEST_SUITE_P(Idle, StatusLightPaint,
                         testing::Values(ProbeCase{1, 1, 1, kFace}, ProbeCase{1, 14, 14, kFace},
                                         ProbeCase{1, 1, 5, qRgb(0, 0, 0)},
                                         ProbeCase{1, 11, 1, kFace},
                                         ProbeCase{1, 11, 2, qRgb(0, 0, 0)},
                                         ProbeCase{1, 7, 7, qRgb(0xC0, 0xC0, 0xC0)}));

// Highlights: white inside the lamp is background too.
INSTANTIATE_TEST_SUITE_P(Full, StatusLightPaint,
                         testing::Values(ProbeCase{2, 1, 14, kFace}, ProbeCase{2, 3, 6, kFace},
                                         ProbeCase{2, 3, 7, kFace}, ProbeCase{2, 7, 3, kFace},
                                         ProbeCase{2, 4, 6, qRgb(0xFF, 0xFF, 0)},
                                         ProbeCase{2, 9, 3, qRgb(0xFF, 0, 0)},
                                         ProbeCase{2, 1, 5, qRgb(0x80, 0, 0)}));

INSTANTIATE_TEST_SUITE_P(Duplicate, StatusLightPaint,
                         testing::Values(ProbeCase{3, 14, 1, kFace}, ProbeCase{3, 3, 7, kFace},
                                         ProbeCase{3, 7, 3, kFace},
                                         ProbeCase{3, 3, 6, qRgb(0, 0xFF, 0xFF)},
                                         ProbeCase{3, 3, 9, qRgb(0, 0x80, 0x80)},
                                         ProbeCase{3, 10, 10, qRgb(0, 0, 0xFF)}));

TEST(StatusLight, PaintsNothingOutsideItsFourteenPixels) {
    for (int state : {1, 2, 3}) {
        StatusLight lamp = makeLamp(state);
        const QImage image = paintLamp(lamp);
        for (int i = 0; i < 16; ++i) {
            for (const QPoint p : {QPoint(14, i), QPoint(15, i), QPoint(i, 14), QPoint(i, 15)}) {
                EXPECT_EQ(image.pixel(p), kUntouched)
                    << "state " << state << " x " << p.x() << " y " << p.y();
            }
        }
    }
}

// The identifiers given at construction choose the images, not the state numbers themselves.
TEST(StatusLight, PaintsTheImageWhoseIdentifierItWasGiven) {
    StatusLight swapped(kDuplicateLampImage, kIdleLampImage, kFullLampImage, 1);
    EXPECT_EQ(paintLamp(swapped).pixel(6, 6), qRgb(0, 0, 0xFF));
    swapped.setState(2);
    EXPECT_EQ(paintLamp(swapped).pixel(6, 6), qRgb(0xC0, 0xC0, 0xC0));
    swapped.setState(3);
    EXPECT_EQ(paintLamp(swapped).pixel(6, 6), qRgb(0xFF, 0, 0));
}

// The button face is read at each paint, not once at construction.
TEST(StatusLight, UsesTheCurrentButtonFaceAtEachPaint) {
    StatusLight lamp = makeLamp(2);
    EXPECT_EQ(paintLamp(lamp).pixel(0, 0), lamp.palette().color(QPalette::Button).rgb());
    setButtonFace(lamp, kFace);
    EXPECT_EQ(paintLamp(lamp).pixel(0, 0), kFace);
    setButtonFace(lamp, qRgb(0x20, 0xA0, 0x20));
    EXPECT_EQ(paintLamp(lamp).pixel(0, 0), qRgb(0x20, 0xA0, 0x20));
    EXPECT_EQ(paintLamp(lamp).pixel(5, 2), qRgb(0x20, 0xA0, 0x20));
}
