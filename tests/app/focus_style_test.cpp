#include "focus_style.h"

#include "window_fixture.h"

#include <QImage>
#include <QPixmap>

namespace {

/// Whether the pixels of the ring around `widget`'s edge are all in the highlight colour.
bool hasFocusRing(QWidget* widget) {
    const QImage image = widget->grab().toImage();
    const QColor ring = widget->palette().color(QPalette::Active, QPalette::Highlight);
    const int w = image.width();
    const int h = image.height();
    for (const QPoint probe : {QPoint(w / 2, 0), QPoint(w / 2, 1), QPoint(0, h / 2),
                               QPoint(w - 1, h / 2), QPoint(w / 2, h - 1), QPoint(w / 2, h - 2)}) {
        if (image.pixelColor(probe) != ring) return false;
    }
    return true;
}

}  // namespace

TEST_F(WindowTest, OnlyTheListWithTheFocusShowsTheRing) {
    const char* const lists[] = {"fileList", "sourceList", "destinationList"};
    for (const char* focused : lists) {
        list(focused)->setFocus();
        settle();
        for (const char* name : lists) {
            EXPECT_EQ(hasFocusRing(list(name)), std::string(name) == focused)
                << name << " with the focus on " << focused;
        }
    }
}

TEST_F(WindowTest, TheDefaultButtonDoesNotLookFocusedWhenAListHasTheFocus) {
    QPushButton* close = button("closeButton");
    ASSERT_TRUE(close->hasFocus());
    const QImage focused = close->grab().toImage();
    list("fileList")->setFocus();
    settle();
    ASSERT_TRUE(close->isDefault());
    EXPECT_NE(close->grab().toImage(), focused);
}
