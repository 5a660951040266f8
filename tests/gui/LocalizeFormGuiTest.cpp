#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QTabWidget>

#include "gui/GuiApp.h"
#include "gui/LocalizeForm.h"
#include "strings/StringTable.h"

namespace quorvane {
namespace {

class LocalizeFormTest : public ::testing::Test {
  protected:
    void SetUp() override { GuiApp(); }
    void TearDown() override { SetInterfaceLanguage(Language::English); }
};

// One walk sets the window title, labels, buttons, menus and their items, tabs and tooltips
// from their ids; a control without an id, with id 0, or with an id the table lacks keeps
// its own text.
TEST_F(LocalizeFormTest, EveryControlWithAnIdGetsTheTablesTextAndTheOthersKeepTheirs) {
    QDialog window;
    SetStringId(&window, 2201);
    auto* label = new QLabel("designer", &window);
    SetStringId(label, 3001);
    auto* keep = new QLabel("keep", &window);
    SetStringId(keep, 0);
    auto* unknown = new QLabel("unknown", &window);
    SetStringId(unknown, 64999);
    auto* plain = new QLabel("plain", &window);
    auto* box = new QCheckBox("x", &window);
    SetStringId(box, 3007);
    SetToolTipStringId(box, 3003);
    auto* menu = new QMenu("m", &window);
    SetStringId(menu, 2102);
    QAction* item = menu->addAction("i");
    SetStringId(item, 2103);
    QAction* separator = menu->addSeparator();
    auto* tabs = new QTabWidget(&window);
    tabs->addTab(new QWidget, "one");
    tabs->addTab(new QWidget, "two");
    SetTabStringIds(tabs, {3002, 0});

    LocalizeForm(&window);
    EXPECT_EQ(window.windowTitle(), "Quorvane Serial Port Settings");
    EXPECT_EQ(label->text(), "Input Field(s)");
    EXPECT_EQ(keep->text(), "keep");
    EXPECT_EQ(unknown->text(), "unknown");
    EXPECT_EQ(plain->text(), "plain");
    EXPECT_EQ(box->text(), "&Copy");
    EXPECT_EQ(box->toolTip(), "Date/Time:");
    EXPECT_EQ(menu->title(), "&File");
    EXPECT_EQ(item->text(), "&New");
    EXPECT_TRUE(separator->isSeparator());
    EXPECT_EQ(tabs->tabText(0), "Record #");
    EXPECT_EQ(tabs->tabText(1), "two");
    EXPECT_FALSE(label->font().bold());

    SetInterfaceLanguage(Language::Japanese);
    LocalizeForm(&window);
    EXPECT_EQ(menu->title(), QString::fromUtf8("ファイル(&F)"));
    EXPECT_EQ(label->text(), QString::fromUtf8("入力フィールド"));
    EXPECT_EQ(TextsWithMissingGlyphs(&window), std::vector<std::string>{});
}

}  // namespace
}  // namespace quorvane
