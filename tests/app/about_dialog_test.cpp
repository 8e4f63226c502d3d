#include "about_dialog.h"

#include "app_icon.h"
#include "dialog_units.h"

#include <QApplication>
#include <QFont>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>

namespace {

const QString kDescription = QStringLiteral(
    "Cobblestack is intended to assist in managing Protel Autotrax component libraries. Although "
    "this can be done through the program itself, it is laborious.  With Cobstack, you can view "
    "any library file in a chosen directory and delete unwanted components. A second library may "
    "be opened or created and components added to it from any of the source libraries.");

template <typename T>
T* child(const QWidget& parent, const char* name) {
    T* found = parent.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << "no child named " << name;
    return found;
}

}  // namespace

TEST(AboutDialog, ShowsItsTextsOnceOpen) {
    AboutDialog dialog;
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "About Cobblestack4");
    EXPECT_EQ(child<QLabel>(dialog, "versionText")->text(), "Cobblestack Version 1.0");
    EXPECT_EQ(child<QLabel>(dialog, "disclaimerLabel")->text(), "Disclaimer...");
    EXPECT_EQ(child<QPushButton>(dialog, "okButton")->text(), "OK");
    EXPECT_FALSE(child<QLabel>(dialog, "secondLineText")->text().isEmpty());
    EXPECT_EQ(child<QLabel>(dialog, "descriptionText")->text(), kDescription);

    // One paragraph of roughly 800 characters, short enough for its box.
    const QString disclaimer = child<QLabel>(dialog, "disclaimerText")->text();
    EXPECT_GE(disclaimer.size(), 650);
    EXPECT_LE(disclaimer.size(), 850);
    EXPECT_FALSE(disclaimer.contains('\n'));
    EXPECT_TRUE(disclaimer.endsWith("answer for."));
}

// The texts belong to each opening, not only to the first one.
TEST(AboutDialog, PutsItsTextsBackEachTimeItOpens) {
    AboutDialog dialog;
    dialog.show();
    dialog.hide();
    child<QLabel>(dialog, "descriptionText")->setText("stale");
    child<QLabel>(dialog, "disclaimerText")->setText("stale");
    dialog.show();
    EXPECT_EQ(child<QLabel>(dialog, "descriptionText")->text(), kDescription);
    EXPECT_NE(child<QLabel>(dialog, "disclaimerText")->text(), "stale");
}

TEST(AboutDialog, PlacesItsControlsInDialogUnitsOfItsFont) {
    AboutDialog dialog;
    const DialogUnits units(dialog.fontMetrics());
    EXPECT_EQ(dialog.size(), units.size(235, 225));
    struct Placement {
        const char* name;
        int x, y, width, height;
    };
    for (const Placement& p :
         {Placement{"icon", 11, 17, 21, 20}, Placement{"versionText", 40, 10, 119, 8},
          Placement{"secondLineText", 40, 25, 131, 8}, Placement{"okButton", 178, 7, 50, 14},
          Placement{"descriptionText", 7, 42, 221, 54},
          Placement{"disclaimerText", 7, 116, 221, 102},
          Placement{"disclaimerLabel", 7, 100, 64, 12}}) {
        EXPECT_EQ(child<QWidget>(dialog, p.name)->geometry(),
                  units.rect(p.x, p.y, p.width, p.height))
            << p.name;
    }

    // A new font moves everything with it.
    QFont larger = dialog.font();
    larger.setPointSize(larger.pointSize() * 2);
    dialog.setFont(larger);
    EXPECT_EQ(child<QWidget>(dialog, "okButton")->geometry(),
              DialogUnits(QFontMetrics(larger)).rect(178, 7, 50, 14));
}

// The wrapped texts must stay clear of their borders by the same margin on every side: at the
// sides the wrapping keeps the margin, but a text too long for its box runs into the bottom border.
TEST(AboutDialog, TextsKeepTheirMarginInsideTheirBordersInCommonFonts) {
    AboutDialog dialog;
    dialog.show();
    const QFont windowFont = dialog.font();
    for (const QFont& font : {windowFont, QFont("DejaVu Sans", 8), QFont("DejaVu Sans", 10),
                              QFont("DejaVu Sans", 11), QFont("DejaVu Serif", 9)}) {
        dialog.setFont(font);
        for (const char* name : {"descriptionText", "disclaimerText"}) {
            const auto* box = child<QLabel>(dialog, name);
            const int margin = box->margin();
            EXPECT_GE(margin, 3) << name;
            const QRect inside = box->contentsRect().adjusted(margin, margin, -margin, -margin);
            const QRect text =
                QFontMetrics(box->font())
                    .boundingRect(inside, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                                  box->text());
            EXPECT_TRUE(inside.contains(text))
                << name << " in " << font.family().toStdString() << " " << font.pointSize()
                << ": text ends at " << text.bottom() << ", room to " << inside.bottom();
        }
    }
}

TEST(AboutDialog, EnterAcceptsAndEscapeRejects) {
    for (const auto& [key, result] : {std::pair{Qt::Key_Return, QDialog::Accepted},
                                      {Qt::Key_Enter, QDialog::Accepted},
                                      {Qt::Key_Escape, QDialog::Rejected}}) {
        AboutDialog dialog;
        dialog.show();
        QTest::keyClick(&dialog, key);
        EXPECT_FALSE(dialog.isVisible()) << "key " << key;
        EXPECT_EQ(dialog.result(), result) << "key " << key;
    }
    AboutDialog dialog;
    dialog.show();
    QTest::mouseClick(child<QPushButton>(dialog, "okButton"), Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
}

// The box only shows texts: running it modally over a window leaves that window, the
// application and the box itself as they were (no delete-on-close, no borrowed icon or font).
TEST(AboutDialog, ChangesNothingAroundIt) {
    QWidget owner;
    owner.setWindowTitle("Owner");
    owner.show();
    const QFont appFont = QApplication::font();
    const qint64 appIcon = QApplication::windowIcon().cacheKey();
    const qint64 ownerIcon = owner.windowIcon().cacheKey();
    {
        AboutDialog dialog(&owner);
        QTimer::singleShot(0, &dialog, [&dialog] { QTest::keyClick(&dialog, Qt::Key_Escape); });
        dialog.exec();
        EXPECT_FALSE(dialog.isVisible());
    }
    EXPECT_EQ(owner.windowTitle(), "Owner");
    EXPECT_TRUE(owner.isEnabled());
    EXPECT_TRUE(owner.isVisible());
    EXPECT_EQ(owner.windowIcon().cacheKey(), ownerIcon);
    EXPECT_EQ(QApplication::font(), appFont);
    EXPECT_EQ(QApplication::windowIcon().cacheKey(), appIcon);
    EXPECT_EQ(owner.findChildren<QDialog*>().size(), 0);
}

// The resources live in a static library, where the linker could drop them unnoticed.
TEST(ApplicationIcon, HasBothSizesCompiledInAndTheAboutBoxShowsTheLargeOne) {
    const QIcon icon = applicationIcon();
    for (const int side : {16, 32}) {
        const QImage image = icon.pixmap(side, side).toImage();
        ASSERT_EQ(image.size(), QSize(side, side));
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << "corner of " << side << " is transparent";
    }
    AboutDialog dialog;
    EXPECT_EQ(child<QLabel>(dialog, "icon")->pixmap().toImage(), icon.pixmap(32, 32).toImage());
}
