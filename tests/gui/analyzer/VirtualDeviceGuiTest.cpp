// Virtual Instrument mode from the setup window's Activate menu: the device window plays the
// serial device for the runtime window, and either window's end ends the activation.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTest>

#include "config/ConfigTestSupport.h"
#include "fakes/FakeMessages.h"
#include "gui/GuiApp.h"
#include "gui/LocalizeForm.h"
#include "gui/analyzer/ComShow.h"
#include "gui/runtime/QuorvaneWindow.h"
#include "gui/setup/MainForm.h"
#include "gui/setup/SetupDriving.h"
#include "strings/StringIds.h"

namespace quorvane {
namespace {

using namespace std::string_literals;

class VirtualDeviceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("XDG_CONFIG_HOME", folder.File("config").c_str(), 1);
        // No session bus: nothing of the desktop is touched.
        setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/quorvane-test-bus", 1);
        form.Controller().Start("");
        g.Mode = kModeLog;
        g.LogFileName = folder.File("records.log");
        g.PortIndex = 1;
        g.AckString = "K"s + '\0';                      // the NUL shows as character 255
        g.InputTranslation['\n'] = kTranslationIgnore;  // Enter in the output box is CR LF
        form.show();
    }
    void TearDown() override { SetInterfaceLanguage(Language::English); }

    void Activate() {
        MenuItem(form, kStrMenuActivateVirtual)->trigger();
        device = form.VirtualDeviceWindow();
        runtime = form.Runtime();
        ASSERT_NE(device, nullptr);
        ASSERT_NE(runtime, nullptr);
    }
    // Types into the device window's output box and presses Send.
    void Send(const QString& keys) {
        QWidget* box = Child(device, "OutputBuffer");
        box->setFocus();
        QTest::keyClicks(box, keys);
        QTest::keyClick(box, Qt::Key_Return);
        Click(device, "SendButton");
    }
    QString Field1() { return runtime->findChild<QLineEdit*>("Field(1)")->text(); }
    QString Display() { return device->findChild<QPlainTextEdit*>("Buffer")->toPlainText(); }
    bool Shown(const char* name) { return Child(device, name)->isVisibleTo(device); }
    // Both windows side by side, as the desktop shows them.
    void SaveBothWindows() {
        QApplication::processEvents();
        const QPixmap left = runtime->grab();
        const QPixmap right = device->grab();
        QPixmap both(left.width() + 12 + right.width(), std::max(left.height(), right.height()));
        both.fill(QColor(0xd8, 0xdc, 0xe0));
        QPainter painter(&both);
        painter.drawPixmap(0, 0, left);
        painter.drawPixmap(left.width() + 12, 0, right);
        painter.end();
        auto* canvas = new QLabel;
        canvas->setPixmap(both);
        canvas->resize(both.size());
        SaveScreenshot(canvas, "virtual-instrument");
        delete canvas;
    }

    QApplication& app = GuiApp();
    testing::ScratchFolder folder;
    SetupGlobals g;
    FakeMessages messages;
    LocaleInfo locale;
    MainForm form{g, messages, locale, PortDeviceMap(folder.File("ports.ini"))};
    ComShow* device = nullptr;
    QuorvaneWindow* runtime = nullptr;
};

TEST_F(VirtualDeviceTest, SentTextBecomesARecordAndTheAcknowledgementShowsInTheDisplay) {
    Activate();
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(runtime->isVisible());
    EXPECT_TRUE(device->isVisible());
    EXPECT_EQ(g.RunMode, kRunVirtual);
    EXPECT_EQ(g.PortName, "COM2") << "named from the port index, though nothing opened";
    EXPECT_EQ(runtime->windowTitle(), "Quorvane - COM2 Virtual Device");
    EXPECT_EQ(device->windowTitle(), "Quorvane - Virtual Serial Device");
    EXPECT_EQ(Child<QGroupBox>(device, "InputFrame")->title(), "Input Buffer - (from Quorvane)");
    EXPECT_EQ(Child<QGroupBox>(device, "OutputFrame")->title(), "Output - (to Quorvane)");
    for (const char* hidden : {"BufByteCount", "SelStartPosition", "Check1", "AnalyzeButton",
                               "DtrButton", "BreakButton"})
        EXPECT_FALSE(Shown(hidden)) << hidden;
    for (const char* shown :
         {"OutputBuffer", "AsciiButton", "SendButton", "ClearButton", "QuitButton", "Buffer"})
        EXPECT_TRUE(Shown(shown)) << shown;

    Send("12.5");
    // The field keeps the CR that ended its record, as with a real port.
    EXPECT_TRUE(QTest::qWaitFor([&] { return Field1() == "12.5\r"; }, 5000))
        << Field1().toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return Display() == "K\u00ff"; }, 5000))
        << Display().toStdString();
    EXPECT_EQ(testing::ReadBytes(folder.File("records.log")), "12.5\r");
    EXPECT_EQ(device->Device().PendingInput(), "");
    EXPECT_NE(Child(device, "OutputBuffer")->property("plainText").toString(), "")
        << "the output box keeps its text";

    // Sent again, the same text is a second record; Clear Input empties only the display.
    Click(device, "SendButton");
    EXPECT_TRUE(QTest::qWaitFor([&] { return Display() == "K\u00ffK\u00ff"; }, 5000));
    SaveBothWindows();
    Click(device, "ClearButton");
    EXPECT_EQ(Display(), "");
    SetInterfaceLanguage(Language::Japanese);
    LocalizeForm(device);
    runtime->Relocalize();
    EXPECT_EQ(TextsWithMissingGlyphs(device), std::vector<std::string>{});
    Click(device, "SendButton");
    EXPECT_TRUE(QTest::qWaitFor([&] { return Display() == "K\u00ff"; }, 5000));
    SaveBothWindows();
}

// The device window's Quit ends the activation: the runtime window goes, the setup window
// comes back; no port was ever opened, so none is closed.
TEST_F(VirtualDeviceTest, QuitInTheDeviceWindowEndsTheActivation) {
    Activate();
    messages.shown.clear();  // the test has no session bus, which is said once
    Click(device, "QuitButton");
    EXPECT_TRUE(QTest::qWaitFor([&] { return form.Runtime() == nullptr; }, 5000));
    EXPECT_EQ(form.VirtualDeviceWindow(), nullptr);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(g.RunMode, kRunSetup);
    EXPECT_TRUE(messages.shown.empty()) << messages.shown[0].text;

    // Again, ended from the runtime window's own Quit this time.
    Activate();
    runtime->findChild<QAction*>("ExitMenu")->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return form.Runtime() == nullptr; }, 5000));
    EXPECT_EQ(form.VirtualDeviceWindow(), nullptr);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(g.RunMode, kRunSetup);
}

// Reset empties what the device sent and the runtime has not read yet: suspended, the runtime
// reads nothing, so the sent text waits.
TEST_F(VirtualDeviceTest, ResetEmptiesThePendingVirtualInput) {
    Activate();
    runtime->findChild<QAction*>("SuspendMenu")->trigger();
    Send("7.25");
    QTest::qWait(200);  // several ticks, none of which reads
    EXPECT_EQ(device->Device().PendingInput(), "7.25\r\n");
    runtime->findChild<QAction*>("MReset")->trigger();
    EXPECT_EQ(device->Device().PendingInput(), "");
    QTest::qWait(200);
    EXPECT_EQ(Field1(), "");
}

}  // namespace
}  // namespace quorvane
