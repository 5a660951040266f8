#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "fakes/FakeMessages.h"
#include "gui/GuiApp.h"
#include "gui/setup/DialogLanguages.h"
#include "gui/setup/PortSetup.h"

namespace quorvane {
namespace {

class PortSetupTest : public ::testing::Test {
  protected:
    QApplication& app = GuiApp();  // before any widget member
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        dialog.SetDeviceLister([this] { return present; });
    }

    template <typename T>
    T* Child(const char* name) {
        T* child = dialog.findChild<T*>(name);
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    QLineEdit* InputBox() { return Child<QLineEdit>("BuffSize"); }
    QLineEdit* OutputBox() { return Child<QLineEdit>("OutBuffSize"); }
    void ClickOk() { Child<QPushButton>("OK_Button")->click(); }
    void Open() {
        dialog.Fill();
        dialog.show();
    }
    void Retype(QLineEdit* box, const char* text) {
        box->clear();
        QTest::keyClicks(box, text);
    }

    QTemporaryDir dir;
    SetupGlobals g;
    FakeMessages messages;
    PortDeviceMap devices{(dir.path() + "/Quorvane.ini").toStdString()};
    std::vector<SerialDeviceInfo> present{
        {"/dev/serial/by-id/usb-FTDI_FT232R-if00-port0", "ttyUSB0", "FTDI FT232R USB UART"},
        {"/dev/ttyS4", "ttyS4", ""}};
    PortSetup dialog{g, messages, devices};
};

TEST_F(PortSetupTest, OpeningShowsTheSettings) {
    g.PortIndex = 11;
    g.BaudRateIndex = 9;
    g.Parity = 0;
    g.DataBitsIndex = 3;
    g.StopBits = 2;
    g.FlowControl = 2;
    g.InputBufferSize = 8192;
    g.OutputBufferSize = 1024;
    Open();
    auto* ports = Child<QListWidget>("PortList");
    ASSERT_EQ(ports->count(), 99);
    EXPECT_EQ(ports->item(0)->text(), "COM1");
    EXPECT_EQ(ports->item(98)->text(), "COM99");
    EXPECT_EQ(ports->currentRow(), 11);
    for (const char* name : {"Baud_9", "Parity_0", "Databits_3", "StopBits_2", "FlowCtrl_2"})
        EXPECT_TRUE(Child<QRadioButton>(name)->isChecked()) << name;
    EXPECT_EQ(Child<QRadioButton>("Baud_8")->text(), "19200");
    EXPECT_TRUE(Child<QRadioButton>("Baud_8")->isEnabled());  // no system-version rule here
    EXPECT_EQ(Child<QRadioButton>("Parity_3")->text(), "Mark");
    EXPECT_EQ(Child<QRadioButton>("FlowCtrl_3")->text(), "Opto-RS");
    EXPECT_EQ(InputBox()->text(), "8192");
    EXPECT_EQ(OutputBox()->text(), "1024");
    EXPECT_TRUE(Child<QPushButton>("OK_Button")->isDefault());
}

TEST_F(PortSetupTest, BufferBoxesTakeOnlyDigitsAndBackspace) {
    Open();
    Retype(InputBox(), "1a2-3 ");
    EXPECT_EQ(InputBox()->text(), "123");
    EXPECT_EQ(messages.beeps, 3);
    QTest::keyClick(InputBox(), Qt::Key_Backspace);
    EXPECT_EQ(InputBox()->text(), "12");
    EXPECT_EQ(messages.beeps, 3);
    EXPECT_TRUE(messages.shown.empty());
    // A paste bypasses the keys: non-digits in it are taken back the same way.
    InputBox()->selectAll();
    InputBox()->insert("4k");
    emit InputBox()->textEdited(InputBox()->text());
    EXPECT_EQ(InputBox()->text(), "12");
    EXPECT_EQ(messages.beeps, 4);
}

TEST_F(PortSetupTest, ASixthDigitAboveTheLimitBringsTheMessageAndTheOldText) {
    g.OutputBufferSize = 13107;
    Open();
    OutputBox()->setCursorPosition(5);
    QTest::keyClick(OutputBox(), Qt::Key_3);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Buffer Size Must Be Between 128 and 131072");
    EXPECT_EQ(messages.shown[0].title, "Invalid Input");
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(messages.shown[0].beepsBefore, 1);
    EXPECT_EQ(OutputBox()->text(), "13107");
    EXPECT_EQ(OutputBox()->cursorPosition(), 5);
    QTest::keyClick(OutputBox(), Qt::Key_Backspace);
    QTest::keyClick(OutputBox(), Qt::Key_2);
    EXPECT_EQ(OutputBox()->text(), "13102");
    EXPECT_EQ(messages.shown.size(), 1u);
}

TEST_F(PortSetupTest, OkRefusesASizeBelow128AndFocusesTheBox) {
    Open();
    Retype(InputBox(), "127");
    EXPECT_TRUE(messages.shown.empty());  // accepted while typing
    Child<QRadioButton>("Baud_0")->click();
    ClickOk();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Buffer Size Must Be Between 128 and 131072");
    EXPECT_EQ(messages.shown[0].beepsBefore, 1);
    EXPECT_EQ(dialog.focusWidget(), InputBox());
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(g.InputBufferSize, 4096);
    EXPECT_EQ(g.BaudRateIndex, 6);
    EXPECT_FALSE(IsTrue(g.ConfigChanged));

    // The input size is right now, the output size is not: the input size stays stored.
    Retype(InputBox(), "2048");
    Retype(OutputBox(), "");
    ClickOk();
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(dialog.focusWidget(), OutputBox());
    EXPECT_EQ(g.InputBufferSize, 2048);
    EXPECT_TRUE(IsTrue(g.ConfigChanged));
    EXPECT_EQ(g.BaudRateIndex, 6);
}

TEST_F(PortSetupTest, OkStoresTheChoicesAndMarksOnlyRealChanges) {
    Open();
    ClickOk();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(IsTrue(g.ConfigChanged));

    Open();
    Child<QListWidget>("PortList")->setCurrentRow(11);
    Child<QRadioButton>("Baud_11")->click();
    Child<QRadioButton>("Parity_4")->click();
    Child<QRadioButton>("Databits_0")->click();
    Child<QRadioButton>("StopBits_1")->click();
    Child<QRadioButton>("FlowCtrl_3")->click();
    Retype(InputBox(), "131072");
    Retype(OutputBox(), "128");
    ClickOk();
    EXPECT_EQ(g.PortIndex, 11);
    EXPECT_EQ(g.BaudRateIndex, 11);
    EXPECT_EQ(g.Parity, 4);
    EXPECT_EQ(g.DataBitsIndex, 0);
    EXPECT_EQ(g.StopBits, 1);
    EXPECT_EQ(g.FlowControl, 3);
    EXPECT_EQ(g.InputBufferSize, 131072);
    EXPECT_EQ(g.OutputBufferSize, 128);
    EXPECT_TRUE(IsTrue(g.ConfigChanged));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(PortSetupTest, CancelStoresNothing) {
    const SetupGlobals before = g;
    Open();
    Child<QListWidget>("PortList")->setCurrentRow(5);
    Child<QRadioButton>("Baud_0")->click();
    Retype(InputBox(), "999");
    Child<QLineEdit>("DevicePath")->setText("/dev/ttyUSB7");
    Child<QPushButton>("Cancel_Button")->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(g.PortIndex, before.PortIndex);
    EXPECT_EQ(g.BaudRateIndex, before.BaudRateIndex);
    EXPECT_EQ(g.InputBufferSize, before.InputBufferSize);
    EXPECT_FALSE(IsTrue(g.ConfigChanged));
    EXPECT_EQ(devices.StoredDevicePath("COM6"), "");
    // The next opening shows the settings again, not the cancelled edits.
    Open();
    EXPECT_EQ(Child<QListWidget>("PortList")->currentRow(), 0);
    EXPECT_TRUE(Child<QRadioButton>("Baud_6")->isChecked());
    EXPECT_EQ(InputBox()->text(), "4096");
}

TEST_F(PortSetupTest, TheDeviceBehindEachConnectorIsChosenAndStoredOnOk) {
    ASSERT_TRUE(devices.StoreDevicePath("COM2", "/dev/ttyACM0"));
    Open();
    auto* path = Child<QLineEdit>("DevicePath");
    auto* list = Child<QListWidget>("DeviceList");
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), "usb-FTDI_FT232R-if00-port0  (FTDI FT232R USB UART)");
    EXPECT_EQ(list->item(1)->text(), "ttyS4");
    EXPECT_EQ(path->text(), "");  // COM1 has the default
    bool defaultShown = false;
    for (QLabel* label : dialog.findChildren<QLabel*>())
        defaultShown |= label->text() == "Empty: the default, /dev/ttyS0";
    EXPECT_TRUE(defaultShown);

    list->setCurrentRow(0);
    EXPECT_EQ(path->text().toStdString(), present[0].Path);
    auto* ports = Child<QListWidget>("PortList");
    ports->setCurrentRow(1);
    EXPECT_EQ(path->text(), "/dev/ttyACM0");
    path->clear();  // back to the default for COM2
    ports->setCurrentRow(2);
    path->setText("  /dev/ttyUSB3 ");
    ports->setCurrentRow(0);
    EXPECT_EQ(path->text().toStdString(), present[0].Path);  // the edit is kept until OK
    EXPECT_EQ(devices.StoredDevicePath("COM1"), "");
    ClickOk();
    EXPECT_EQ(devices.StoredDevicePath("COM1"), present[0].Path);
    EXPECT_EQ(devices.StoredDevicePath("COM2"), "");
    EXPECT_EQ(devices.StoredDevicePath("COM3"), "/dev/ttyUSB3");
    EXPECT_FALSE(IsTrue(g.ConfigChanged));  // the device is this machine's, not the configuration's
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(PortSetupTest, NoDevicesAndACommandLineOverrideAreShown) {
    present.clear();
    ASSERT_TRUE(devices.AddOverride("COM1=/tmp/pty7"));
    Open();
    auto* list = Child<QListWidget>("DeviceList");
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), "(no serial devices found)");
    bool overrideShown = false;
    for (QLabel* label : dialog.findChildren<QLabel*>())
        overrideShown |= label->isVisible() && label->text().contains("/tmp/pty7");
    EXPECT_TRUE(overrideShown);
}

TEST_F(PortSetupTest, EditRunsModallyAndReportsOk) {
    QTimer::singleShot(0, &dialog, [this] {
        Child<QRadioButton>("Baud_7")->click();
        ClickOk();
    });
    EXPECT_TRUE(dialog.Edit());
    EXPECT_EQ(g.BaudRateIndex, 7);
    QTimer::singleShot(0, &dialog, [this] { Child<QPushButton>("Cancel_Button")->click(); });
    EXPECT_FALSE(dialog.Edit());
}

TEST_F(PortSetupTest, BothLanguages) {
    g.PortIndex = 2;
    CheckBothLanguages(&dialog, "port-setup", [this] { dialog.Fill(); });
    EXPECT_EQ(dialog.windowTitle(), "Quorvane Serial Port Settings");
}

}  // namespace
}  // namespace quorvane
