#include "gui/setup/MainForm.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>

#include "config/ConfigFile.h"
#include "config/ConfigTestSupport.h"
#include "fakes/FakeMessages.h"
#include "gui/GuiApp.h"
#include "strings/StringTable.h"

namespace quorvane {
namespace {

class MainFormTest : public ::testing::Test {
  protected:
    void SetUp() override {
        GuiApp();
        setenv("XDG_CONFIG_HOME", folder.File("config").c_str(), 1);
    }
    void TearDown() override { SetInterfaceLanguage(Language::English); }

    QMenu* Menu(MainForm& form, int index) { return form.menuBar()->actions().at(index)->menu(); }
    QAction* Item(QMenu* menu, const QString& text) {
        for (QAction* a : menu->actions())
            if (a->text() == text) return a;
        return nullptr;
    }

    testing::ScratchFolder folder;
    SetupGlobals g;
    FakeMessages messages;
    LocaleInfo locale;
};

// The menus as the table names them.
TEST_F(MainFormTest, TheMenusCarryTheTablesTexts) {
    MainForm form(g, messages, locale, PortDeviceMap(folder.File("ports.ini")));
    form.Controller().Start("");
    EXPECT_EQ(form.windowTitle(), "Quorvane Setup (Untitled)");
    QStringList titles;
    for (QAction* a : form.menuBar()->actions()) titles << a->text();
    EXPECT_EQ(titles, (QStringList{"&File", "&Mode", "&Port", "&Define", "&Activate", "&Help"}));
    EXPECT_NE(Item(Menu(form, 1), "&Send Keystokes To..."), nullptr);
    QStringList port;
    for (QAction* a : Menu(form, 2)->actions()) port << (a->isSeparator() ? "-" : a->text());
    EXPECT_EQ(port.mid(0, 3), (QStringList{"&Settings...", "&Analyze...", "-"}));
    QStringList activate;
    for (QAction* a : Menu(form, 4)->actions()) activate << (a->isSeparator() ? "-" : a->text());
    EXPECT_EQ(activate.mid(0, 4),
              (QStringList{"&Test Mode", "&Normal Mode", "&Virtual Instrument Mode", "-"}));
    QStringList define;
    for (QAction* a : Menu(form, 3)->actions()) define << (a->isSeparator() ? "-" : a->text());
    EXPECT_EQ(
        define,
        (QStringList{"Input Data Record &Structure...", "-", "Pre-&Input Character Translations...",
                     "Pre-&Transfer Character Translations...", "-", "Serial &Output Strings...",
                     "&Hot Keys and Hot Key Actions...", "-", "Command Source DDE Link...",
                     "Output Buffer DDE Link..."}));
    // The recently-used part of File stays hidden while the list is empty.
    int visibleSeparators = 0;
    for (QAction* a : Menu(form, 0)->actions())
        if (a->isSeparator() && a->isVisible()) ++visibleSeparators;
    EXPECT_EQ(visibleSeparators, 0);
    EXPECT_EQ(TextsWithMissingGlyphs(&form), std::vector<std::string>{});
}

TEST_F(MainFormTest, CheckMarksFollowTheSettingsWhenAMenuOpensAndTogglesStoreThem) {
    MainForm form(g, messages, locale, PortDeviceMap(folder.File("ports.ini")));
    form.Controller().Start("");
    QMenu* activate = Menu(form, 4);
    g.AlwaysOnTop = kTrue;
    emit activate->aboutToShow();
    QAction* onTop = Item(activate, "Display Quorvane Window Always on Top");
    ASSERT_NE(onTop, nullptr);
    EXPECT_TRUE(onTop->isChecked());
    g.ConfigChanged = kFalse;
    onTop->trigger();
    EXPECT_FALSE(g.AlwaysOnTop);
    EXPECT_FALSE(onTop->isChecked());
    EXPECT_TRUE(g.ConfigChanged);
    QMenu* mode = Menu(form, 1);
    g.Mode = kModeLog;
    emit mode->aboutToShow();
    EXPECT_TRUE(Item(mode, "&Log to disk...")->isChecked());
    EXPECT_FALSE(Item(mode, "&Send Keystokes To...")->isChecked());
}

// The list read at start shows under File (an "&" in a path stays a character); choosing an
// entry loads its file.
TEST_F(MainFormTest, RecentFilesShowUnderFileAndOpenTheirFile) {
    SetupGlobals saved = testing::FileNewSettings();
    saved.ConfigFileName = folder.File("Scale & Co.qv3");
    saved.TargetAppTitle = "Scale";
    ASSERT_TRUE(WriteConfigFile(saved, messages));
    QtSettingsStore(folder.File("config") + "/Quorvane")
        .SaveSetting("Quorvane", "MRUFiles", "0", saved.ConfigFileName);
    MainForm form(g, messages, locale, PortDeviceMap(folder.File("ports.ini")));
    form.Controller().Start("");
    QAction* entry =
        Item(Menu(form, 0), QString::fromStdString(saved.ConfigFileName).replace("&", "&&"));
    ASSERT_NE(entry, nullptr);
    EXPECT_TRUE(entry->isVisible());
    entry->trigger();
    EXPECT_EQ(g.TargetAppTitle, "Scale");
    EXPECT_EQ(form.windowTitle(), "Quorvane Setup(Scale & Co.qv3)");
}

// Screenshots of the setup window with each menu open, in both languages.
TEST_F(MainFormTest, Screenshots) {
    for (const Language language : {Language::English, Language::Japanese}) {
        SetInterfaceLanguage(language);
        MainForm form(g, messages, locale, PortDeviceMap(folder.File("ports.ini")));
        form.Controller().Start("");
        form.show();
        EXPECT_EQ(TextsWithMissingGlyphs(&form), std::vector<std::string>{});
        SaveScreenshot(&form, "setup");
        const char* names[] = {"setup-file",   "setup-mode",     "setup-port",
                               "setup-define", "setup-activate", "setup-help"};
        for (int i = 0; i < 6; ++i) {
            QMenu* menu = Menu(form, i);
            emit menu->aboutToShow();
            menu->adjustSize();
            SaveScreenshot(menu, names[i]);
        }
    }
}

}  // namespace
}  // namespace quorvane
