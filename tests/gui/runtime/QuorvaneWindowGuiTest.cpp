// The runtime window over a real desktop session on a pseudo-terminal: the test plays the
// device on the master side and drives the poll ticks by hand.
#include "fakes/FakeDdeCommandHost.h"
#include "gui/runtime/QuorvaneWindow.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <string>

#include "config/SetupGlobals.h"
#include "engine/LocaleInfo.h"
#include "fakes/FakeMessages.h"
#include "gui/GuiApp.h"
#include "strings/StringTable.h"

namespace quorvane {
namespace {

class QuorvaneWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        GuiApp();
        ASSERT_TRUE(config_.isValid());
        qputenv("XDG_CONFIG_HOME", config_.path().toUtf8());
        // No session bus: the DDE features are off, and nothing of the desktop is touched.
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/quorvane-test-bus");
        int slave = -1;
        char name[256] = {};
        ASSERT_EQ(openpty(&master_, &slave, name, nullptr, nullptr), 0);
        ::close(slave);  // the window's port opens the device by its path
        path_ = name;
        fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);

        ResetToDefaults(g, config_.path().toStdString());
        g.Mode = kModeLog;
        g.LogFileName = config_.path().toStdString() + "/test.log";
        g.PortIndex = 0;
        g.RunMode = kRunTest;
    }
    void TearDown() override {
        window.reset();
        if (master_ >= 0) ::close(master_);
        SetInterfaceLanguage(Language::English);
    }

    // Builds, opens and activates the window; the test ticks by hand.
    void Start() {
        PortDeviceMap devices(config_.path().toStdString() + "/ports.ini");
        ASSERT_TRUE(devices.AddOverride("COM1=" + path_));
        window = std::make_unique<QuorvaneWindow>(g, messages, locale, std::move(devices),
                                                  [this] { ++aboutShown; });
        ASSERT_TRUE(window->OpenPort());
        window->Activate();
        window->Desktop().StopPolling();
        QApplication::processEvents();
    }

    // The device sends bytes; they are given time to cross the pair before the next tick.
    void DeviceSends(const std::string& bytes) {
        ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), ssize_t(bytes.size()));
        ::tcdrain(master_);
        QTest::qWait(50);
    }

    QLineEdit* Box(const char* name) { return window->findChild<QLineEdit*>(name); }
    QAction* Item(const char* name) { return window->findChild<QAction*>(name); }
    std::string StoredPlacement(const char* key) {
        QSettings store(config_.path() + "/Quorvane/Quorvane - COM1.ini", QSettings::IniFormat);
        return store.value(QString("Settings/") + key).toString().toStdString();
    }

    // The window in both languages: nothing drawn without glyphs; a screenshot of each.
    void LookAt(const char* name) {
        window->Relocalize();
        EXPECT_EQ(TextsWithMissingGlyphs(window.get()), std::vector<std::string>{});
        SaveScreenshot(window.get(), name);
        SetInterfaceLanguage(Language::Japanese);
        window->Relocalize();
        EXPECT_EQ(TextsWithMissingGlyphs(window.get()), std::vector<std::string>{});
        SaveScreenshot(window.get(), name);
        SetInterfaceLanguage(Language::English);
        window->Relocalize();
    }

    QTemporaryDir config_;
    int master_ = -1;
    std::string path_;
    SetupGlobals g;
    FakeMessages messages;
    LocaleInfo locale = LocaleInfo::EnUs();
    std::unique_ptr<QuorvaneWindow> window;
    int aboutShown = 0;
};

TEST_F(QuorvaneWindowTest, RecordsFromTheDeviceFillTheBoxesOnceATick) {
    g.NumberOfFields = 2;
    g.RecordStructure = 1;  // delimited by DelimiterChar, a comma
    g.ShowDateTime = kTrue;
    Start();
    EXPECT_EQ(window->windowTitle().toStdString(), "Quorvane - COM1");
    ASSERT_NE(Box("Field(1)"), nullptr);
    ASSERT_NE(Box("Field(2)"), nullptr);
    EXPECT_EQ(Box("Field(3)"), nullptr);
    EXPECT_TRUE(Box("DateTime")->isVisibleTo(window.get()));

    DeviceSends("1.5,2.5\r");
    window->Tick();
    EXPECT_EQ(Box("Field(1)")->text().toStdString(), "1.5");
    EXPECT_EQ(Box("RecordNumber")->text().toStdString(), "1");
    EXPECT_FALSE(Box("DateTime")->text().isEmpty());

    // Five records in one tick: one refresh, and the boxes show the last of them.
    const int before = window->RefreshCount();
    DeviceSends("a,1\rb,2\rc,3\rd,4\re,5\r");
    window->Tick();
    EXPECT_EQ(window->RefreshCount(), before + 1);
    EXPECT_EQ(Box("Field(1)")->text().toStdString(), "e");
    EXPECT_EQ(Box("RecordNumber")->text().toStdString(), "6");
    // A tick with nothing new changes nothing on the widgets.
    const int idle = window->RefreshCount();
    window->Tick();
    window->Tick();
    EXPECT_LE(window->RefreshCount(), idle + 1);  // at most the date/time's second turning
    LookAt("runtime-2-fields");
}

TEST_F(QuorvaneWindowTest, OneFieldAndThirtyFieldsLookRight) {
    Start();
    LookAt("runtime-1-field");
    window.reset();

    g.NumberOfFields = 30;
    Start();
    // Field 16 stands beside field 1, level with it.
    QLineEdit* one = Box("Field(1)");
    QLineEdit* sixteen = Box("Field(16)");
    ASSERT_NE(sixteen, nullptr);
    EXPECT_EQ(sixteen->y(), one->y());
    EXPECT_GT(sixteen->x(), one->x() + one->width());
    EXPECT_GT(Box("Field(15)")->y(), Box("Field(14)")->y());
    EXPECT_EQ(Box("Field(17)")->y(), Box("Field(2)")->y());
    LookAt("runtime-30-fields");
}

TEST_F(QuorvaneWindowTest, SuspendResetAndTheirCaptions) {
    Start();
    QAction* suspend = Item("SuspendMenu");
    QAction* resume1 = Item("Resume1");
    EXPECT_EQ(suspend->text().toStdString(), "&Suspend Quorvane");
    EXPECT_FALSE(resume1->isVisible());

    suspend->trigger();
    EXPECT_EQ(window->windowTitle().toStdString(), "Quorvane - COM1 (S)");
    EXPECT_EQ(suspend->text().toStdString(), "Re&sume Quorvane");
    EXPECT_TRUE(resume1->isVisible());
    // While suspended nothing is read; the bytes wait at the port.
    DeviceSends("7\r");
    window->Tick();
    EXPECT_EQ(Box("Field(1)")->text().toStdString(), "");
    LookAt("runtime-suspended");

    resume1->trigger();  // one record, then suspended again
    window->Tick();
    EXPECT_EQ(Box("Field(1)")->text().toStdString(), "7\r");  // a single field keeps its CR
    EXPECT_EQ(window->windowTitle().toStdString(), "Quorvane - COM1 (S)");

    // Reset while suspended with ActivateSuspended clear: running, boxes and counter empty.
    Item("MReset")->trigger();
    EXPECT_EQ(window->windowTitle().toStdString(), "Quorvane - COM1");
    EXPECT_EQ(Box("Field(1)")->text().toStdString(), "");
    EXPECT_EQ(Box("RecordNumber")->text().toStdString(), "");
    DeviceSends("8\r");
    window->Tick();
    EXPECT_EQ(Box("RecordNumber")->text().toStdString(), "1");

    // Timed output item: hidden without an interval.
    EXPECT_FALSE(Item("TOutCtrl")->isVisible());
}

TEST_F(QuorvaneWindowTest, ButtonsStandInRowsAndSend) {
    g.ButtonCaption[1] = "Tare";
    g.ButtonString[1] = "T\r";
    g.ButtonCaption[2] = "Unused";  // no string: hidden, takes no row
    g.ButtonCaption[3] = "Print";
    g.ButtonString[3] = "P\r";
    g.ButtonCaption[4] = "Zero";
    g.ButtonString[4] = "Z\r";
    g.WindowButtons = 3;
    g.NumberOfFields = 4;
    Start();
    auto* tare = window->findChild<QPushButton*>("StringButton1");
    auto* print = window->findChild<QPushButton*>("StringButton3");
    ASSERT_NE(tare, nullptr);
    ASSERT_NE(print, nullptr);
    EXPECT_EQ(window->findChild<QPushButton*>("StringButton2"), nullptr);
    EXPECT_GT(print->y(), tare->y());
    auto* dtr = window->findChild<QPushButton*>("DTRToggleButton");
    auto* brk = window->findChild<QPushButton*>("BreakButton");
    EXPECT_TRUE(dtr->isVisibleTo(window.get()));
    EXPECT_TRUE(brk->isVisibleTo(window.get()));
    EXPECT_EQ(dtr->y(), brk->y());
    EXPECT_GT(brk->x(), dtr->x());

    print->click();
    window->Tick();  // the tick flushes the output queue to the device
    char got[16] = {};
    pollfd p{master_, POLLIN, 0};
    ASSERT_GT(poll(&p, 1, 2000), 0);
    EXPECT_EQ(std::string(got, size_t(::read(master_, got, sizeof got))), "P\r");

    // A button's focus disables Copy; a field's enables it.
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    print->setFocus();
    QApplication::processEvents();
    EXPECT_FALSE(Item("EditCopy")->isEnabled());
    Box("Field(1)")->setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(Item("EditCopy")->isEnabled());
    LookAt("runtime-buttons");
}

TEST_F(QuorvaneWindowTest, CopyPutsTheLinkOfTheFocusedBox) {
    g.NumberOfFields = 3;
    g.RecordStructure = 1;
    g.ShowDateTime = kTrue;
    Start();
    CallLog clipboardLog;
    FakeLinkClipboard clipboard(clipboardLog);
    window->SetCopyClipboard(&clipboard);
    DeviceSends("x,42,y\r");
    window->Tick();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    Box("Field(2)")->setFocus();
    QApplication::processEvents();
    Item("EditCopy")->trigger();
    EXPECT_EQ(clipboard.link, "Quorvane|COM1!Field(2)");
    EXPECT_EQ(clipboard.text, "42");
    EXPECT_EQ(Box("Field(2)")->selectedText().toStdString(), "42");  // focus selects all

    Box("DateTime")->setFocus();
    QApplication::processEvents();
    Item("EditCopy")->trigger();
    EXPECT_EQ(clipboard.link, "Quorvane|COM1!DateTime");
    EXPECT_FALSE(clipboard.text.empty());
}

TEST_F(QuorvaneWindowTest, ReadOnlyBoxesDiscardEditingKeys) {
    Start();
    DeviceSends("abc\r");
    window->Tick();
    QLineEdit* box = Box("Field(1)");
    box->setFocus();
    QTest::keyClick(box, Qt::Key_X);
    QTest::keyClick(box, Qt::Key_Backspace);
    EXPECT_EQ(box->text().toStdString(), "abc\r");  // a single field keeps its CR
    QTest::keyClick(box, Qt::Key_Home);
    EXPECT_EQ(box->cursorPosition(), 0);
    QTest::keyClick(box, Qt::Key_Right);
    EXPECT_EQ(box->cursorPosition(), 1);
    QTest::keyClick(box, Qt::Key_End);
    EXPECT_EQ(box->cursorPosition(), 4);
    QTest::keyClick(box, Qt::Key_Left);
    EXPECT_EQ(box->cursorPosition(), 3);
    QTest::keyClick(box, Qt::Key_Up);  // not a key of these boxes
    EXPECT_EQ(box->cursorPosition(), 3);
}

TEST_F(QuorvaneWindowTest, QuitClosesThePortStoresPlacementAndSignals) {
    Start();
    window->move(300, 200);
    QSignalSpy unloaded(window.get(), &QuorvaneWindow::Unloaded);
    Item("SuspendMenu")->trigger();  // suspended, then quit: the placement is stored
    Item("ExitMenu")->trigger();
    EXPECT_EQ(unloaded.count(), 1);
    EXPECT_TRUE(window->Desktop().Session().IsUnloaded());
    EXPECT_FALSE(window->Desktop().Port().IsOpen());
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(g.RunMode, kRunSetup);  // Test mode goes back to the setup window
    EXPECT_FALSE(StoredPlacement("MainLeft").empty());
    EXPECT_FALSE(StoredPlacement("MainTop").empty());
    window.reset();

    // The next activation on the port comes back where the last one was.
    const std::string left = StoredPlacement("MainLeft");
    g.RunMode = kRunTest;
    Start();
    int l = 0, t = 0;
    ASSERT_TRUE(static_cast<RuntimeView&>(*window).GetPlacement(l, t));
    EXPECT_NEAR(l, std::stoi(left), 20);
}

TEST_F(QuorvaneWindowTest, MinimizedAtQuitStoresNoPlacement) {
    g.MinimizeOnActivation = kTrue;
    Start();
    EXPECT_TRUE(window->isMinimized() || window->HiddenToTray());
    window->close();  // closing by any means unloads
    EXPECT_TRUE(window->Desktop().Session().IsUnloaded());
    EXPECT_TRUE(StoredPlacement("MainLeft").empty());
}

TEST_F(QuorvaneWindowTest, TrayDoesNothingWhileTheWindowIsRestored) {
    Start();
    window->HandleTrayActivation(QSystemTrayIcon::DoubleClick);
    window->HandleTrayActivation(QSystemTrayIcon::Context);
    EXPECT_EQ(aboutShown, 0);
    EXPECT_FALSE(window->findChild<QMenu*>("mnuPopup")->isVisible());
    window->showMinimized();
    QApplication::processEvents();
    window->HandleTrayActivation(QSystemTrayIcon::DoubleClick);
    EXPECT_EQ(aboutShown, 1);
    // The About item of the menu bar works whatever the tray.
    Item("MAbout")->trigger();
    EXPECT_EQ(aboutShown, 2);
}

}  // namespace
}  // namespace quorvane
