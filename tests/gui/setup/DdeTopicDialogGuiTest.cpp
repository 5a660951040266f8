#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "fakes/FakeMessages.h"
#include "gui/GuiApp.h"
#include "gui/setup/DdeTopicDialog.h"
#include "gui/setup/DialogLanguages.h"

namespace quorvane {
namespace {

class DdeTopicTest : public ::testing::Test {
  protected:
    QApplication& app = GuiApp();  // before any widget member

    QRadioButton* Option(const char* name) { return dialog.findChild<QRadioButton*>(name); }
    QLineEdit* Text1() { return dialog.findChild<QLineEdit*>("Text1"); }
    void Click(const char* name) { dialog.findChild<QPushButton*>(name)->click(); }

    SetupGlobals g;
    FakeMessages messages;
    DdeTopicDialog dialog{g, messages};
};

TEST_F(DdeTopicTest, ShowIsNotModalAndFillsFromTheSetting) {
    dialog.Show();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(dialog.isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(Option("Option1")->isChecked());
    EXPECT_FALSE(Text1()->isEnabled());
    dialog.hide();

    g.DdeTopicName = "Scale";
    dialog.Show();
    EXPECT_TRUE(Option("Option2")->isChecked());
    EXPECT_TRUE(Text1()->isEnabled());
    EXPECT_EQ(Text1()->text(), "Scale");
}

TEST_F(DdeTopicTest, TheOptionsEnableTheBoxAndAClickOnTheBoxChoosesOption2) {
    dialog.Show();
    Option("Option2")->click();
    EXPECT_TRUE(Text1()->isEnabled());
    Option("Option1")->click();
    EXPECT_FALSE(Text1()->isEnabled());
    QTest::mouseClick(Text1(), Qt::LeftButton);
    EXPECT_TRUE(Option("Option2")->isChecked());
    EXPECT_TRUE(Text1()->isEnabled());
}

TEST_F(DdeTopicTest, ABlankTopicIsRefusedAndTheDialogStays) {
    g.DdeTopicName = "Old";
    dialog.Show();
    Text1()->setText("   ");
    Click("OK_Button");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text,
              "DDE Topic value cannot be blank.\nPlease enter the text that you want to use as "
              "the DDE Topic for Quorvane.");
    EXPECT_EQ(messages.shown[0].title, "Invalid DDE Topic");
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::None);
    EXPECT_EQ(messages.shown[0].beepsBefore, 1);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.focusWidget(), Text1());
    EXPECT_EQ(g.DdeTopicName, "Old");
    EXPECT_FALSE(IsTrue(g.ConfigChanged));
}

TEST_F(DdeTopicTest, OkStoresTheTrimmedTopicOrEmptyForThePortName) {
    dialog.Show();
    Option("Option2")->click();
    Text1()->setText("  Scale 2 ");
    Click("OK_Button");
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(g.DdeTopicName, "Scale 2");
    EXPECT_TRUE(IsTrue(g.ConfigChanged));

    g.ConfigChanged = kFalse;
    dialog.Show();
    Click("OK_Button");
    EXPECT_EQ(g.DdeTopicName, "Scale 2");
    EXPECT_FALSE(IsTrue(g.ConfigChanged));

    dialog.Show();
    Option("Option1")->click();
    Click("OK_Button");
    EXPECT_EQ(g.DdeTopicName, "");
    EXPECT_TRUE(IsTrue(g.ConfigChanged));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(DdeTopicTest, CancelStoresNothing) {
    g.DdeTopicName = "Scale";
    dialog.Show();
    Option("Option1")->click();
    Click("Cancel_Button");
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(g.DdeTopicName, "Scale");
    EXPECT_FALSE(IsTrue(g.ConfigChanged));
}

TEST_F(DdeTopicTest, BothLanguages) {
    g.DdeTopicName = "Scale";
    CheckBothLanguages(&dialog, "dde-topic", [this] { dialog.Fill(); });
    EXPECT_EQ(dialog.windowTitle(), "Quorvane DDE Topic:");
}

}  // namespace
}  // namespace quorvane
