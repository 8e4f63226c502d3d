#include "component_render.h"
#include "footprint_export.h"
#include "viewer_panel.h"
#include "window_fixture.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QImage>
#include <QMenu>
#include <QTimer>

#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

std::string fileText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> folderEntries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

/// A window with A.LIB (ONE, TWO, THREE) open as the source and ONE shown.
class ExportActionsTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        writeLibrary(folder / "A.LIB", {"ONE", "TWO", "THREE"});
        locate(folder.path());
        openFile("A.LIB");
        choose("sourceList", "ONE");
    }

    /// Opens the context menu and picks the entry `text`, when it is enabled; returns the entries
    /// with whether each was enabled ("+" or "-" before the text).
    QStringList pick(const QString& text) {
        QStringList entries;
        auto* timer = new QTimer;
        timer->setInterval(20);
        QObject::connect(timer, &QTimer::timeout, [timer, text, &entries] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu) return;
            timer->stop();
            timer->deleteLater();
            QAction* chosen = nullptr;
            for (QAction* action : menu->actions()) {
                if (action->isSeparator()) continue;
                entries.append((action->isEnabled() ? "+" : "-") + action->text());
                if (action->text() == text) chosen = action;
            }
            menu->close();
            if (chosen) chosen->trigger();
        });
        timer->start();
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2),
                                window->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(window.get(), &event);
        settle();
        return entries;
    }

    QSize panelSize() const { return control<ViewerPanel>("viewerPanel")->contentsRect().size(); }
};

TEST_F(WindowTest, ExportEntriesWaitForSomethingToExport) {
    QStringList entries;
    auto* timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, &entries] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) return;
        timer->stop();
        timer->deleteLater();
        for (QAction* action : menu->actions()) {
            if (!action->isSeparator()) {
                entries.append((action->isEnabled() ? "+" : "-") + action->text());
            }
        }
        menu->close();
    });
    timer->start();
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2),
                            window->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(window.get(), &event);
    EXPECT_EQ(entries,
              QStringList({"-Export Co&mponent to KiCad...", "-Export &Source Library to KiCad...",
                           "-Export &Destination Library to KiCad...", "-Save &Picture...",
                           "+&About Cobblestack...", "+&Close"}));
}

TEST_F(ExportActionsTest, TheShownComponentBecomesOneFootprintFile) {
    const fs::path target = folder / "one.kicad_mod";
    dialogs.files.push_back(toQString(target));
    const QStringList entries = pick("Export Co&mponent to KiCad...");
    EXPECT_TRUE(entries.contains("+Export Co&mponent to KiCad..."));
    EXPECT_TRUE(entries.contains("-Export &Destination Library to KiCad...")) << "still empty";
    EXPECT_EQ(dialogs.suggestedPaths, QStringList({toQString(folder / "ONE.kicad_mod")}));
    EXPECT_EQ(fileText(target), exportFootprint(*window->shownComponent(), {}).text);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages.first().startsWith("Exported ONE to "))
        << dialogs.messages[0].toStdString();
    EXPECT_TRUE(dialogs.failures.isEmpty());
}

TEST_F(ExportActionsTest, TheSourceLibraryBecomesAFootprintFolderNamedAfterIt) {
    dialogs.files.push_back(toQString(folder / "out"));
    fs::create_directory(folder / "out");
    pick("Export &Source Library to KiCad...");
    EXPECT_EQ(folderEntries(folder / "out" / "A.pretty"),
              std::vector<std::string>({"ONE.kicad_mod", "THREE.kicad_mod", "TWO.kicad_mod"}));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages.first(),
              "Exported 3 footprints to " + toQString(folder / "out" / "A.pretty") + ".");
}

TEST_F(ExportActionsTest, TheDestinationWithoutAFileIsExportedUnderAPlainName) {
    click("copyButton");
    dialogs.files.push_back(toQString(folder.path()));
    EXPECT_TRUE(pick("Export &Destination Library to KiCad...")
                    .contains("+Export &Destination Library to KiCad..."));
    EXPECT_EQ(folderEntries(folder / "Destination.pretty"),
              std::vector<std::string>({"ONE.kicad_mod"}));
}

// A folder that cannot take the export is reported like a failed save, and nothing is written.
TEST_F(ExportActionsTest, AnUnwritableFolderIsReportedAndLeavesNothingBehind) {
    writeFileBytes(folder / "blocked", std::vector<std::uint8_t>(4, 'x'));
    dialogs.files.push_back(toQString(folder / "blocked"));
    pick("Export &Source Library to KiCad...");
    ASSERT_EQ(dialogs.failures.size(), 1);
    EXPECT_TRUE(dialogs.failures.first().startsWith("The library was not exported.\n\n"));
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(fileText(folder / "blocked"), "xxxx");

    dialogs.files.push_back(toQString(folder / "missing" / "one.kicad_mod"));
    pick("Export Co&mponent to KiCad...");
    ASSERT_EQ(dialogs.failures.size(), 2);
    EXPECT_TRUE(dialogs.failures.last().startsWith("The component was not exported.\n\n"));
    EXPECT_FALSE(fs::exists(folder / "missing"));
}

TEST_F(ExportActionsTest, APictureIsDrawnAsThePanelShowsIt) {
    dialogs.files.push_back(toQString(folder / "one.png"));
    dialogs.files.push_back(toQString(folder / "one.svg"));
    pick("Save &Picture...");
    pick("Save &Picture...");
    const QSize size = panelSize();
    const Component& shown = *window->shownComponent();
    const QImage png(toQString(folder / "one.png"));
    EXPECT_EQ(png.convertToFormat(QImage::Format_RGB32),
              renderComponentImage(shown, size.width(), size.height()));
    EXPECT_EQ(fileText(folder / "one.svg"), renderComponentSvg(shown, size.width(), size.height()));
    EXPECT_EQ(dialogs.writeTitles, QStringList({"Save Picture", "Save Picture"}));
    EXPECT_TRUE(dialogs.failures.isEmpty());
}
