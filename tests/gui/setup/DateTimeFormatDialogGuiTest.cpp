#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "fakes/FakeMessages.h"
#include "gui/GuiApp.h"
#include "gui/setup/DateTimeFormatDialog.h"
#include "gui/setup/DialogLanguages.h"

namespace quorvane {
namespace {

class DateTimeFormatTest : public ::testing::Test {
  protected:
    QApplication& app = GuiApp();  // before any widget member
    QLineEdit* Text1() { return dialog.findChild<QLineEdit*>("Text1"); }
    void Click(const char* name) { dialog.findChild<QPushButton*>(name)->click(); }

    SetupGlobals g;
    FakeMessages messages;
    frmDateTimeFmt dialog{g, messages};
};

TEST_F(DateTimeFormatTest, OkStoresTheTextAndMarksOnlyARealChange) {
    g.DateTimeFormat = "hh:mm";
    dialog.Fill();
    dialog.show();
    EXPECT_EQ(Text1()->text(), "hh:mm");
    Click("OK_Button");
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(IsTrue(g.ConfigChanged));

    dialog.Fill();
    dialog.show();
    Text1()->setText(" dd.mm.yyyy hh:mm:ss");  // not validated, not trimmed
    Click("OK_Button");
    EXPECT_EQ(g.DateTimeFormat, " dd.mm.yyyy hh:mm:ss");
    EXPECT_TRUE(IsTrue(g.ConfigChanged));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(DateTimeFormatTest, CancelStoresNothing) {
    QTimer::singleShot(0, &dialog, [this] {
        Text1()->setText("yyyy");
        Click("Cancel_Button");
    });
    EXPECT_FALSE(dialog.Edit());
    EXPECT_EQ(g.DateTimeFormat, "");
    EXPECT_FALSE(IsTrue(g.ConfigChanged));
}

TEST_F(DateTimeFormatTest, BothLanguages) {
    g.DateTimeFormat = "dd.mm.yyyy hh:mm:ss";
    CheckBothLanguages(&dialog, "date-time-format", [this] { dialog.Fill(); });
    EXPECT_EQ(dialog.windowTitle(), "Enter Format Expression for Date/Time Display");
}

}  // namespace
}  // namespace quorvane
