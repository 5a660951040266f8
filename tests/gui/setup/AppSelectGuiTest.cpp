#include <gtest/gtest.h>

#include <QFile>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include "fakes/FakeMessages.h"
#include "gui/GuiApp.h"
#include "gui/setup/AppSelect.h"
#include "gui/setup/DialogLanguages.h"

namespace quorvane {
namespace {

class AppSelectTest : public ::testing::Test {
  protected:
    QApplication& app = GuiApp();  // before any widget member

    QLineEdit* Box(const char* name) { return dialog.findChild<QLineEdit*>(name); }
    QPushButton* Button(const char* name) { return dialog.findChild<QPushButton*>(name); }
    void Open() {
        dialog.Fill();
        dialog.show();
    }

    SetupGlobals g;
    FakeMessages messages;
    AppSelect dialog{g, messages};
};

TEST_F(AppSelectTest, OpeningShowsTheSettingsThroughTheCodePage) {
    g.TargetAppTitle = "Caf\xe9";
    g.TargetAppCommand = "xterm -T Caf\xe9";
    Open();
    EXPECT_EQ(Box("AppName")->text(), QString::fromUtf8("Café"));
    EXPECT_EQ(Box("AppCmd")->text(), QString::fromUtf8("xterm -T Café"));
    Button("OK_Button")->click();
    EXPECT_EQ(g.TargetAppTitle, "Caf\xe9");
    EXPECT_FALSE(IsTrue(g.ConfigChanged));
}

TEST_F(AppSelectTest, TheTitleIsTrimmedWhenItLosesTheFocus) {
    Open();
    Box("AppName")->setText("  Mousepad  ");
    Box("AppCmd")->setText("  mousepad  ");
    QFocusEvent out(QEvent::FocusOut);
    QApplication::sendEvent(Box("AppName"), &out);
    EXPECT_EQ(Box("AppName")->text(), "Mousepad");
    EXPECT_EQ(Box("AppCmd")->text(), "  mousepad  ");  // the command box is trimmed on OK only
}

TEST_F(AppSelectTest, OkStoresTrimmedTextsAndWhetherATargetIsGiven) {
    Open();
    Box("AppName")->setText("  Mousepad ");
    Box("AppCmd")->setText(" mousepad  ");
    Button("OK_Button")->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(g.TargetAppTitle, "Mousepad");
    EXPECT_EQ(g.TargetAppCommand, "mousepad");
    EXPECT_EQ(g.TargetAppSpecified, kTrue);
    EXPECT_TRUE(IsTrue(g.ConfigChanged));

    g.ConfigChanged = kFalse;
    Open();
    Box("AppName")->setText("   ");
    Box("AppCmd")->clear();
    Button("OK_Button")->click();
    EXPECT_EQ(g.TargetAppTitle, "");
    EXPECT_EQ(g.TargetAppCommand, "");
    EXPECT_EQ(g.TargetAppSpecified, kFalse);
    EXPECT_TRUE(IsTrue(g.ConfigChanged));
}

TEST_F(AppSelectTest, CancelLeavesEverythingAsItWas) {
    Open();
    Box("AppName")->setText("Other");
    Box("AppCmd")->clear();
    Button("Cancel_Button")->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(g.TargetAppTitle, "Notepad");
    EXPECT_EQ(g.TargetAppCommand, "Notepad.exe");
    EXPECT_EQ(g.TargetAppSpecified, kTrue);
    EXPECT_FALSE(IsTrue(g.ConfigChanged));
    Open();
    EXPECT_EQ(Box("AppName")->text(), "Notepad");
}

TEST_F(AppSelectTest, BrowsePutsTheChosenProgramIntoTheCommandBox) {
    QString offered;
    QString answer = "/usr/bin/xterm";
    dialog.SetProgramChooser([&](QWidget*, const QString& start) {
        offered = start;
        return answer;
    });
    Open();
    Button("Command1")->click();
    EXPECT_EQ(offered, "Notepad.exe");
    EXPECT_EQ(Box("AppCmd")->text(), "/usr/bin/xterm");
    answer = "/opt/My Tools/logger";  // the command line splits at blanks: quoted
    Button("Command1")->click();
    EXPECT_EQ(Box("AppCmd")->text(), "\"/opt/My Tools/logger\"");
    answer.clear();  // cancelled
    Button("Command1")->click();
    EXPECT_EQ(Box("AppCmd")->text(), "\"/opt/My Tools/logger\"");
    EXPECT_FALSE(IsTrue(g.ConfigChanged));
}

TEST_F(AppSelectTest, TheProgramFilterShowsFoldersAndExecutablesOnly) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString program = dir.filePath("run.sh"), text = dir.filePath("notes.txt");
    for (const QString& path : {program, text}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(
        QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    EXPECT_TRUE(ExecutableFilterProxy::Shows(QFileInfo(program), false));
    EXPECT_FALSE(ExecutableFilterProxy::Shows(QFileInfo(text), false));
    EXPECT_TRUE(ExecutableFilterProxy::Shows(QFileInfo(dir.path()), false));
    EXPECT_TRUE(ExecutableFilterProxy::Shows(QFileInfo(text), true));
}

TEST_F(AppSelectTest, EditRunsModally) {
    QTimer::singleShot(0, &dialog, [this] {
        Box("AppName")->setText("xterm");
        Button("OK_Button")->click();
    });
    EXPECT_TRUE(dialog.Edit());
    EXPECT_EQ(g.TargetAppTitle, "xterm");
}

TEST_F(AppSelectTest, BothLanguages) {
    CheckBothLanguages(&dialog, "app-select", [this] { dialog.Fill(); });
    EXPECT_EQ(dialog.windowTitle(), "Send Keystrokes To:");
}

}  // namespace
}  // namespace quorvane
