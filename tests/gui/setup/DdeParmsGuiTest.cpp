#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "fakes/FakeMessages.h"
#include "gui/GuiApp.h"
#include "gui/setup/DdeParms.h"
#include "gui/setup/DialogLanguages.h"

namespace quorvane {
namespace {

class DdeParmsTest : public ::testing::Test {
  protected:
    QApplication& app = GuiApp();  // before any widget member
    void SetUp() override {
        g.CommandLinkApp = "Calc";
        g.CommandLinkTopic = "Sheet1";
        g.CommandLinkItem = "A1";
        g.BufferLinkApp = "Writer";
        g.BufferLinkTopic = "Doc";
        g.BufferLinkItem = "Out";
        g.BufferLinkOnActivation = kTrue;
        g.DdeTargetItem = "R1C1";
    }

    QLineEdit* Box(const char* name) { return dialog.findChild<QLineEdit*>(name); }
    QCheckBox* Check(const char* name) { return dialog.findChild<QCheckBox*>(name); }
    void Click(const char* name) { dialog.findChild<QPushButton*>(name)->click(); }
    void Open(int kind) {
        dialog.Fill(kind);
        dialog.show();
    }
    bool Shown(const char* name) {
        QWidget* w = dialog.findChild<QWidget*>(name);
        return w && w->isVisibleTo(&dialog);
    }

    SetupGlobals g;
    FakeMessages messages;
    DDEParms dialog{g, messages};
};

TEST_F(DdeParmsTest, EachKindHasItsCaptionControlsAndSettings) {
    Open(kDdeCommandTarget);
    EXPECT_EQ(dialog.Kind(), 0);
    EXPECT_EQ(dialog.windowTitle(), "DDE Command Target Application");
    EXPECT_EQ(Box("DDEApp")->text(), "Excel");
    EXPECT_EQ(Box("DDETop")->text(), "System");
    EXPECT_FALSE(Shown("DDEItm"));
    EXPECT_FALSE(Shown("DDELinkStatus"));
    EXPECT_FALSE(Shown("StripCrLf"));

    Open(kDdeCommandSource);
    EXPECT_EQ(dialog.Kind(), 1);
    EXPECT_EQ(dialog.windowTitle(), "Command Source DDE Link");
    EXPECT_EQ(Box("DDEApp")->text() + Box("DDETop")->text() + Box("DDEItm")->text(),
              "CalcSheet1A1");
    EXPECT_TRUE(Shown("DDEItm"));
    EXPECT_TRUE(Shown("DDELinkStatus"));
    EXPECT_FALSE(Check("DDELinkStatus")->isChecked());
    EXPECT_FALSE(Shown("StripCrLf"));

    Open(kDdeOutputBuffer);
    EXPECT_EQ(dialog.Kind(), 2);
    EXPECT_EQ(dialog.windowTitle(), "Output Buffer DDE Link");
    EXPECT_EQ(Box("DDEItm")->text(), "Out");
    EXPECT_TRUE(Check("DDELinkStatus")->isChecked());
    EXPECT_TRUE(Shown("StripCrLf"));
    EXPECT_TRUE(Check("StripCrLf")->isChecked());
}

TEST_F(DdeParmsTest, KindZeroStoresTrimmedNamesAndKeepsItsHiddenItem) {
    Open(kDdeCommandTarget);
    Box("DDEApp")->setText("  gnumeric ");
    Click("OK_Button");
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(g.DdeTargetApp, "gnumeric");
    EXPECT_EQ(g.DdeTargetTopic, "System");
    EXPECT_EQ(g.DdeTargetItem, "R1C1");
    EXPECT_TRUE(IsTrue(g.ConfigChanged));
    EXPECT_EQ(g.CommandLinkApp, "Calc");
}

TEST_F(DdeParmsTest, OkWithNothingChangedMarksNoChange) {
    for (const int kind : {0, 1, 2}) {
        Open(kind);
        Click("OK_Button");
        EXPECT_FALSE(IsTrue(g.ConfigChanged)) << kind;
    }
}

TEST_F(DdeParmsTest, ACheckBoxClickMarksAChangeAtOnce) {
    Open(kDdeCommandSource);
    Check("DDELinkStatus")->click();
    EXPECT_TRUE(IsTrue(g.ConfigChanged));
    EXPECT_EQ(g.CommandLinkOnActivation, kFalse);  // stored on OK only
    Click("OK_Button");
    EXPECT_EQ(g.CommandLinkOnActivation, kTrue);
    EXPECT_EQ(g.BufferLinkOnActivation, kTrue);
}

TEST_F(DdeParmsTest, KindTwoStoresAChangedStripBoxWithUnchangedTexts) {
    Open(kDdeOutputBuffer);
    Check("StripCrLf")->click();
    EXPECT_TRUE(IsTrue(g.ConfigChanged));
    Click("OK_Button");
    EXPECT_EQ(g.StripCrLfFromBuffer, kFalse);
    EXPECT_EQ(g.BufferLinkOnActivation, kTrue);
    EXPECT_EQ(g.BufferLinkApp + g.BufferLinkTopic + g.BufferLinkItem, "WriterDocOut");
}

TEST_F(DdeParmsTest, CancelStoresNothing) {
    Open(kDdeOutputBuffer);
    Box("DDEApp")->setText("Other");
    Box("DDEItm")->clear();
    Click("Cancel_Button");
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(g.BufferLinkApp, "Writer");
    EXPECT_EQ(g.BufferLinkItem, "Out");
    EXPECT_FALSE(IsTrue(g.ConfigChanged));
    Open(kDdeOutputBuffer);
    EXPECT_EQ(Box("DDEApp")->text(), "Writer");
}

TEST_F(DdeParmsTest, EditSetsTheKindAndRunsModally) {
    QTimer::singleShot(0, &dialog, [this] {
        Box("DDEItm")->setText(" Cmd ");
        Click("OK_Button");
    });
    EXPECT_TRUE(dialog.Edit(kDdeCommandSource));
    EXPECT_EQ(dialog.Kind(), 1);
    EXPECT_EQ(g.CommandLinkItem, "Cmd");
}

TEST_F(DdeParmsTest, BothLanguages) {
    for (const int kind : {0, 1, 2}) {
        const std::string name = "dde-parms-" + std::to_string(kind);
        CheckBothLanguages(&dialog, name.c_str(), [this, kind] { dialog.Fill(kind); });
    }
}

}  // namespace
}  // namespace quorvane
