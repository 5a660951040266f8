// A meter's records described from nothing through the Define menu alone: the wizard and the
// field editor (three comma-delimited fields with postambles), the pre-input table (LF
// ignored), the pre-transfer table (a decimal comma), the acknowledgement and a hot key;
// saved, then run by the real `quorvane --headless` against the simulated meter.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <csignal>
#include <functional>
#include <thread>

#include "config/ConfigTestSupport.h"
#include "e2e/ChildProcess.h"
#include "fakes/FakeMessages.h"
#include "gui/GuiApp.h"
#include "gui/LocalizeForm.h"
#include "gui/setup/AsciiChart.h"
#include "gui/setup/MainForm.h"
#include "gui/setup/SetupDriving.h"
#include "strings/StringIds.h"

namespace quorvane {
namespace {

using namespace std::chrono_literals;
using testing::ReadBytes;

TEST(DefineFromNothingTest, AMeterSetUpThroughTheDefineMenuRunsHeadless) {
    GuiApp();
    testing::ScratchFolder folder;
    setenv("XDG_CONFIG_HOME", folder.File("config").c_str(), 1);
    SetupGlobals g;
    FakeMessages messages;
    LocaleInfo locale;
    MainForm form(g, messages, locale, PortDeviceMap(folder.File("ports.ini")));
    form.Controller().Start("");

    WhenModal("PortSetup", [](QWidget* port) {
        Click(port, "Parity_0");
        Click(port, "Databits_3");
        Click(port, "OK_Button");
    });
    MenuItem(form, kStrMenuPortSettings)->trigger();

    const std::string log = folder.File("meter.log");
    AnswerFileDialog(log);
    MenuItem(form, kStrMenuModeLog)->trigger();
    ASSERT_EQ(g.Mode, kModeLog);

    // Records end with CR; three fields split at commas; a ";" after the first two.
    WhenModal("RecType", [](QWidget* recType) { Click(recType, "OK_Button"); });
    WhenModal("RecStructure", [](QWidget* structure) {
        Click(structure, "RecStrucSel_1");
        Click(structure, "OK_Button");
    });
    WhenModal("Delim", [](QWidget* delim) {
        auto* count = Child<QLineEdit>(delim, "Text1");
        count->clear();
        Type(count, "3");
        Click(delim, "OK_Button");
    });
    WhenModal("RecDefs", [](QWidget* editor) {
        Type(Child(editor, "FieldMacro"), ";");
        Click(editor, "NextField");
        Type(Child(editor, "FieldMacro"), ";");
        Click(editor, "NextField");
        Click(editor, "OK_Button");
    });
    MenuItem(form, kStrMenuRecordStructure)->trigger();
    EXPECT_EQ(g.RecordStructure, 1);
    EXPECT_EQ(g.NumberOfFields, 3);
    EXPECT_EQ(g.FieldPostamble[1], ";");
    EXPECT_EQ(g.FieldPostamble[2], ";");

    // Before delivery a decimal point becomes a comma: row '.', Translate..., ',' in the chart.
    WhenModal("TransTbl", [](QWidget* table) {
        auto* rows = Child<QTreeWidget>(table, "TransTable");
        rows->setCurrentItem(rows->topLevelItem('.'));
        WhenModal("AsciiChart", [](QWidget* chart) {
            auto* ascii = static_cast<AsciiChart*>(chart);
            ascii->SetCurrentRow(ascii->ExtraEntryCount() + ',');
            Click(chart, "OK");
        });
        Click(table, "Command1");
        Click(table, "Command2");
    });
    MenuItem(form, kStrMenuPreTransfer)->trigger();
    EXPECT_EQ(g.TransferCharTableLog.at('.'), ',');

    // The LF after each record's CR is dropped as it arrives: row LF, Translate..., Ignore.
    IgnoreLfOnInput(form);
    EXPECT_EQ(g.InputTranslation.at('\n'), "Ignore");

    // Each record is acknowledged with "K".
    WhenModal("SendStringForm", [](QWidget* strings) {
        Type(Child(strings, "AckString"), "K");
        Click(strings, "DoneButton");
    });
    MenuItem(form, kStrMenuOutputStrings)->trigger();
    EXPECT_EQ(g.AckString, "K");

    // Hot key 1: Shift+F5 sends "H".
    WhenModal("HotKeyFrm", [](QWidget* keys) {
        Child<QComboBox>(keys, "HKActionList")->setCurrentIndex(1);
        QWidget* key = Child(keys, "HKKey");
        key->setFocus();
        QTest::keyClick(key, Qt::Key_F5, Qt::ShiftModifier);
        Type(Child(keys, "Text1"), "H");
        Click(keys, "OK_Button");
    });
    MenuItem(form, kStrMenuHotKeys)->trigger();
    EXPECT_EQ(g.HotKeyCode[0], 0x100 + 116);
    EXPECT_EQ(g.HotKeyAction[0], 1);
    EXPECT_EQ(g.HotKeyString[0], "H");

    const std::string saved = folder.File("meter.qv3");
    AnswerFileDialog(saved);
    MenuItem(form, kStrMenuFileSaveAs)->trigger();
    ASSERT_FALSE(ReadBytes(saved).empty());

    e2e::ChildProcess sim, program;
    ASSERT_TRUE(sim.Start({QUORVANE_SIM_PROGRAM, "--profile", "meter", "--interval", "20"},
                          folder.File("sim.err")));
    const auto pty = sim.ReadLine(e2e::In(20s));
    ASSERT_TRUE(pty && pty->rfind("/dev/", 0) == 0);
    ASSERT_TRUE(program.Start({QUORVANE_PROGRAM, "--headless", saved, "--port", "COM1=" + *pty},
                              folder.File("program.err"), folder.File("program.out")));
    std::string received;
    const auto deadline = e2e::In(20s);
    while ((ReadBytes(log).find("23,2;7,06;1015") == std::string::npos ||
            received.find("KKK") == std::string::npos) &&
           std::chrono::steady_clock::now() < deadline) {
        if (const auto line = sim.ReadLine(e2e::In(100ms)); line && line->rfind("RX ", 0) == 0)
            received += line->substr(3);
    }
    program.Signal(SIGTERM);
    EXPECT_EQ(program.Wait(e2e::In(20s)), 0) << ReadBytes(folder.File("program.err"));
    EXPECT_NE(ReadBytes(log).find("23,0;7,00;1013"), std::string::npos) << ReadBytes(log);
    EXPECT_NE(received.find("KKK"), std::string::npos) << received;
}

}  // namespace
}  // namespace quorvane
