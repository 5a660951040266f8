// A configuration made only through the setup window's menus and dialogs, saved, reopened
// from the recent-files list and saved again: the two files are the same bytes, and the real
// `quorvane --headless` runs the file as it was set up.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

#include <csignal>
#include <functional>
#include <thread>

#include "config/ConfigTestSupport.h"
#include "e2e/ChildProcess.h"
#include "fakes/FakeMessages.h"
#include "gui/GuiApp.h"
#include "gui/LocalizeForm.h"
#include "gui/setup/DdeTopicDialog.h"
#include "gui/setup/MainForm.h"
#include "gui/setup/SetupDriving.h"
#include "strings/StringIds.h"

namespace quorvane {
namespace {

using namespace std::chrono_literals;
using testing::ReadBytes;

TEST(RoundTripTest, AConfigurationMadeThroughTheWindowsSavesReopensAndRuns) {
    GuiApp();
    testing::ScratchFolder folder;
    setenv("XDG_CONFIG_HOME", folder.File("config").c_str(), 1);
    SetupGlobals g;
    FakeMessages messages;
    LocaleInfo locale;
    MainForm form(g, messages, locale, PortDeviceMap(folder.File("ports.ini")));
    form.Controller().Start("");

    // Port: 19200 baud, no parity, 8 data bits.
    WhenModal("PortSetup", [](QWidget* port) {
        Click(port, "Baud_8");
        Click(port, "Parity_0");
        Click(port, "Databits_3");
        Click(port, "OK_Button");
    });
    MenuItem(form, kStrMenuPortSettings)->trigger();
    EXPECT_EQ(g.BaudRateIndex, 8);
    EXPECT_EQ(g.Parity, 0);
    EXPECT_EQ(g.DataBitsIndex, 3);

    // Mode: log to a file chosen in the file dialog.
    const std::string log = folder.File("readings.log");
    AnswerFileDialog(log);
    MenuItem(form, kStrMenuModeLog)->trigger();
    ASSERT_EQ(g.Mode, kModeLog);
    ASSERT_EQ(g.LogFileName, log);

    // Date and time shown, with a format of our own.
    WhenModal("frmDateTimeFmt", [](QWidget* format) {
        format->findChild<QLineEdit*>("Text1")->setText("yyyy-mm-dd hh:nn");
        Click(format, "OK_Button");
    });
    MenuItem(form, kStrPrefShowDateTime)->trigger();
    EXPECT_EQ(g.DateTimeFormat, "yyyy-mm-dd hh:nn");

    // The topic: a name of our own (the dialog is not modal).
    MenuItem(form, kStrMenuDdeTopic)->trigger();
    auto* topic = form.findChild<DdeTopicDialog*>();
    ASSERT_NE(topic, nullptr);
    Click(topic, "Option2");
    topic->findChild<QLineEdit*>("Text1")->setText("Scale");
    Click(topic, "OK_Button");
    EXPECT_EQ(g.DdeTopicName, "Scale");

    const std::string first = folder.File("scale.qv3");
    AnswerFileDialog(first);
    MenuItem(form, kStrMenuFileSaveAs)->trigger();
    ASSERT_FALSE(ReadBytes(first).empty()) << "nothing saved";

    // A new configuration, then the saved one again from the recent files.
    MenuItem(form, kStrMenuFileNew)->trigger();
    ASSERT_NE(g.LogFileName, log);
    QAction* recent = nullptr;
    for (QAction* a : form.menuBar()->actions().at(0)->menu()->actions())
        if (a->isVisible() && a->text().contains("scale.qv3")) recent = a;
    ASSERT_NE(recent, nullptr);
    recent->trigger();
    EXPECT_EQ(g.LogFileName, log);

    const std::string second = folder.File("again.qv3");
    AnswerFileDialog(second);
    MenuItem(form, kStrMenuFileSaveAs)->trigger();
    EXPECT_EQ(ReadBytes(second), ReadBytes(first));

    // The file runs headless against the simulated balance.
    e2e::ChildProcess sim, program;
    ASSERT_TRUE(sim.Start({QUORVANE_SIM_PROGRAM, "--profile", "balance", "--interval", "20"},
                          folder.File("sim.err")));
    const auto pty = sim.ReadLine(e2e::In(20s));
    ASSERT_TRUE(pty && pty->rfind("/dev/", 0) == 0);
    ASSERT_TRUE(program.Start({QUORVANE_PROGRAM, "--headless", second, "--port", "COM1=" + *pty},
                              folder.File("program.err"), folder.File("program.out")));
    const auto deadline = e2e::In(20s);
    while (ReadBytes(log).find("+0012.51 g") == std::string::npos &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(20ms);
    program.Signal(SIGTERM);
    EXPECT_EQ(program.Wait(e2e::In(20s)), 0) << ReadBytes(folder.File("program.err"));
    EXPECT_NE(ReadBytes(log).find("+0012.50 g\r\n+0012.50 g\r\n+0012.51 g"), std::string::npos)
        << ReadBytes(log);
}

}  // namespace
}  // namespace quorvane
