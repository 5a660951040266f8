// The port analyzer on a real pseudo-terminal: the simulated balance's readings show in the
// display, Send reaches the device, and the best guess reads a whole record.
#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QTest>

#include "config/ConfigTestSupport.h"
#include "e2e/ChildProcess.h"
#include "fakes/FakeMessages.h"
#include "gui/GuiApp.h"
#include "gui/analyzer/ComShow.h"
#include "gui/setup/MainForm.h"
#include "gui/setup/SetupDriving.h"
#include "strings/StringIds.h"

namespace quorvane {
namespace {

using namespace std::chrono_literals;

TEST(AnalyzerSimTest, TheBalancesReadingsShowSendReachesItAndTheGuessReadsAWholeRecord) {
    GuiApp();
    testing::ScratchFolder folder;
    setenv("XDG_CONFIG_HOME", folder.File("config").c_str(), 1);
    e2e::ChildProcess sim;
    ASSERT_TRUE(sim.Start({QUORVANE_SIM_PROGRAM, "--profile", "balance", "--interval", "20"},
                          folder.File("sim.err")));
    const auto pty = sim.ReadLine(e2e::In(20s));
    ASSERT_TRUE(pty && pty->rfind("/dev/", 0) == 0);

    SetupGlobals g;
    FakeMessages messages;
    LocaleInfo locale;
    PortDeviceMap devices(folder.File("ports.ini"));
    ASSERT_TRUE(devices.AddOverride("COM1=" + *pty));
    MainForm form(g, messages, locale, std::move(devices));
    form.Controller().Start("");
    g.Parity = 0;  // the simulated balance sends 8 data bits, no parity
    g.DataBitsIndex = 3;
    MenuItem(form, kStrMenuPortAnalyze)->trigger();
    ComShow* analyzer = form.Analyzer();
    ASSERT_NE(analyzer, nullptr) << (messages.shown.empty() ? "" : messages.shown[0].text);
    auto* buffer = analyzer->findChild<QPlainTextEdit*>("Buffer");
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return buffer->toPlainText().contains("+0012.51 g"); }, 10000));

    Type(Child(analyzer, "OutputBuffer"), "Z");
    Click(analyzer, "SendButton");
    std::string received;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            if (const auto line = sim.ReadLine(e2e::In(10ms)); line && line->rfind("RX ", 0) == 0)
                received += line->substr(3);
            return received.find('Z') != std::string::npos;
        },
        10000))
        << received;

    // Cleared between two records, the display starts with a whole one: "+0012.50 g" CR LF
    // is two fields split at the blank, the CR the eleventh character.
    const std::string& shown = analyzer->Analyzer().Display();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !shown.empty() && shown.back() == '\n'; }, 10000));
    Click(analyzer, "ClearButton");
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown.find('\r') != std::string::npos; }, 10000));
    messages.answers = {MessageAnswer::Yes};
    Click(analyzer, "AnalyzeButton");
    ASSERT_FALSE(messages.shown.empty());
    EXPECT_EQ(messages.shown.back().text.substr(0, 31), "Space delimited records with  2");
    EXPECT_EQ(g.EndOfRecordEvent, 0);
    EXPECT_EQ(g.RecordStructure, 1);
    EXPECT_EQ(g.DelimiterChar, " ");
    EXPECT_EQ(g.NumberOfFields, 2);
    EXPECT_EQ(g.RecordLength, 11);

    Click(analyzer, "QuitButton");
    QApplication::processEvents();
    EXPECT_EQ(form.Analyzer(), nullptr);
}

}  // namespace
}  // namespace quorvane
