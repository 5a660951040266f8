// The windowed program publishes as the headless one does: the setup window's MQTT settings
// reach the runtime window, which starts publishing at its activation. Here no broker
// listens, so a record waits in the queue file and the outage is said once.
#include <gtest/gtest.h>

#include <QTest>

#include <filesystem>

#include "config/ConfigTestSupport.h"
#include "fakes/FakeMessages.h"
#include "gui/GuiApp.h"
#include "gui/analyzer/ComShow.h"
#include "gui/runtime/QuorvaneWindow.h"
#include "gui/setup/MainForm.h"
#include "gui/setup/SetupDriving.h"
#include "strings/StringIds.h"

namespace quorvane {
namespace {

class MainFormMqttTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("XDG_CONFIG_HOME", folder.File("config").c_str(), 1);
        setenv("XDG_STATE_HOME", folder.File("state").c_str(), 1);
        setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/quorvane-test-bus", 1);
        form.Controller().Start("");
        g.Mode = kModeLog;
        g.LogFileName = folder.File("records.log");
        g.PortIndex = 1;
        form.show();
    }
    void TearDown() override { unsetenv("XDG_STATE_HOME"); }

    size_t Said(const std::string& what) const {
        size_t n = 0;
        for (const auto& shown : messages.shown) n += shown.text.find(what) != std::string::npos;
        return n;
    }

    QApplication& app = GuiApp();
    testing::ScratchFolder folder;
    SetupGlobals g;
    FakeMessages messages;
    LocaleInfo locale;
    MainForm form{g, messages, locale, PortDeviceMap(folder.File("ports.ini"))};
};

TEST_F(MainFormMqttTest, EachActivationPublishesWithTheSettingsOfTheSetupWindow) {
    MqttSettings settings;
    // Port 9 (discard) on the loopback: nothing listens there on a test machine.
    settings.broker = {false, "127.0.0.1", 9};
    settings.url = "mqtt://127.0.0.1:9";
    settings.station = "desk";
    form.SetMqtt(settings);
    const std::string queue = folder.File("state/Quorvane/mqtt-COM2.queue");
    // A second activation opens the queue the first one held: closed with its window.
    for (const char* reading : {"12.5", "13.75"}) {
        SCOPED_TRACE(reading);
        MenuItem(form, kStrMenuActivateVirtual)->trigger();
        ComShow* device = form.VirtualDeviceWindow();
        ASSERT_NE(device, nullptr);
        ASSERT_NE(form.Runtime(), nullptr);

        QWidget* box = Child(device, "OutputBuffer");
        box->setFocus();
        QTest::keyClicks(box, reading);
        QTest::keyClick(box, Qt::Key_Return);
        Click(device, "SendButton");
        const std::string field = std::string("\"fields\":[\"") + reading + "\\u000D\"]";
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                return std::filesystem::exists(queue) &&
                       testing::ReadBytes(queue).find(field) != std::string::npos;
            },
            5000));
        form.Runtime()->close();
        EXPECT_TRUE(QTest::qWaitFor([&] { return form.Runtime() == nullptr; }, 5000));
    }
    // The first record still waits for the broker with the second.
    EXPECT_NE(testing::ReadBytes(queue).find("\"fields\":[\"12.5\\u000D\"]"), std::string::npos);
    EXPECT_EQ(Said("No connection to the MQTT broker"), 2u) << "once for each activation";
    EXPECT_EQ(Said("in use"), 0u);
}

}  // namespace
}  // namespace quorvane
