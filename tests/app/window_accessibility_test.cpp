#include "library_format.h"
#include "status_light.h"
#include "window_fixture.h"

#include <QAccessible>
#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>

namespace {

QString accessibleText(QWidget* widget, QAccessible::Text kind) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(kind) : QStringLiteral("<no interface>");
}

}  // namespace

class RefusalAccessibilityTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        writeLibrary(folder / "A.LIB", {"ONE"});
        locate(folder.path());
        openFile("A.LIB");
        choose("sourceList", "ONE");
        click("copyButton");
    }
};

TEST_F(RefusalAccessibilityTest, TheRefusalAndTheLampStateCanBeRead) {
    auto* lamp = control<StatusLight>("statusLight");
    auto* text = control<QLabel>("messageText");
    EXPECT_EQ(accessibleText(lamp, QAccessible::Description), "idle");
    EXPECT_EQ(accessibleText(text, QAccessible::Name), "");
    EXPECT_EQ(accessibleText(text, QAccessible::Description), "Copy status");

    click("copyButton");  // ONE is there already
    ASSERT_EQ(message(), "Already exists");
    EXPECT_EQ(accessibleText(text, QAccessible::Name), "Already exists");
    EXPECT_EQ(accessibleText(lamp, QAccessible::Description), "duplicate");

    EXPECT_TRUE(waitUntil([&] { return message().isEmpty(); }, 3000));
    EXPECT_EQ(accessibleText(lamp, QAccessible::Description), "idle");
    EXPECT_EQ(accessibleText(text, QAccessible::Name), "");
}

TEST(StatusLightAccessibility, EveryStateHasItsWord) {
    StatusLight lamp(1, 2, 3, 1);
    for (const auto& [state, word] : {std::pair{2, "full"}, {3, "duplicate"}, {1, "idle"}}) {
        lamp.setState(state);
        EXPECT_EQ(accessibleText(&lamp, QAccessible::Description), word) << state;
    }
}

// The refusal texts once lost their last pixel column in the desktop's default font; they must
// fit whole, with a pixel to spare before the lamp, in whatever font the window gets.
TEST(MessageText, RefusalsFitTheirControlInEveryFontTheWindowMayGet) {
    const QFont original = QApplication::font();
    QList<QFont> fonts = {original};
    for (const char* family : {"DejaVu Sans", "DejaVu Serif", "DejaVu Sans Mono"}) {
        for (int points : {8, 9, 10, 11, 12, 14}) fonts.append(QFont(family, points));
    }
    for (const QFont& font : fonts) {
        QApplication::setFont(font);
        ScriptedUserDialogs dialogs;
        LibraryManagerDialog window(dialogs);
        auto* text = window.findChild<QLabel*>(QStringLiteral("messageText"));
        auto* lamp = window.findChild<QWidget*>(QStringLiteral("statusLight"));
        ASSERT_TRUE(text && lamp);
        const QFontMetrics metrics(text->font());
        for (const char* refusal : {"Too many comps!!", "Already exists"}) {
            EXPECT_LT(metrics.horizontalAdvance(QString::fromLatin1(refusal)),
                      text->contentsRect().width())
                << refusal << " in " << font.toString().toStdString();
        }
        EXPECT_LT(text->geometry().right(), lamp->geometry().left());
    }
    QApplication::setFont(original);
}
