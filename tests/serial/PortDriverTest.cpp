#include "serial/PortDriver.h"

#include <gtest/gtest.h>

#include "fakes/FakeMessages.h"
#include "fakes/FakeSerialPort.h"
#include "serial/LineRequest.h"
#include "serial/PortMessages.h"
#include "strings/StringTable.h"

namespace quorvane {
namespace {

// A tick counter that moves on by one millisecond each time it is read, the way a busy wait
// sees a real one.
class SteppingClock : public Clock {
  public:
    explicit SteppingClock(uint32_t start) : now(start) {}
    uint32_t TickCount() override { return now++; }
    DateTimeParts Now() override { return {}; }
    uint32_t now;
};

SerialError Unavailable(int osError, const std::string& reason, const std::string& path,
                        const std::string& group = "") {
    return {SerialErrorKind::Unavailable, osError, reason, path, group};
}

TEST(OpenPort, OpensThePortOfTheSettingsWithTheirLineRequest) {
    SetupGlobals g;
    g.PortIndex = 11;
    g.FlowControl = 3;
    FakeSerialPort port;
    FakeMessages messages;
    ASSERT_TRUE(OpenPort(g, port, messages));
    EXPECT_EQ(g.PortName, "COM12");
    EXPECT_EQ(port.portName, "COM12");
    EXPECT_EQ(port.request, LineRequestFor(g));
    EXPECT_TRUE(messages.shown.empty());
}

TEST(OpenPort, UnavailableDeviceShowsPortNameAndTheSystemsReason) {
    SetupGlobals g;
    g.PortIndex = 9;
    FakeSerialPort port;
    port.openResults.push_back(Unavailable(2, "No such file or directory", "/dev/ttyUSB3"));
    FakeMessages messages;
    EXPECT_FALSE(OpenPort(g, port, messages));
    EXPECT_EQ(g.PortName, "COM10");  // set by the attempt too
    EXPECT_FALSE(port.IsOpen());
    ASSERT_EQ(messages.shown.size(), 1u);
    const FakeMessages::Shown& m = messages.shown[0];
    EXPECT_EQ(m.text, "COM10 " + LoadString(kStrDeviceNotAvailable) +
                          "\n/dev/ttyUSB3: No such file or directory");
    EXPECT_EQ(m.title, LoadString(kStrDeviceError));
    EXPECT_FALSE(m.title.empty());
    EXPECT_EQ(m.icon, MessageIcon::Exclamation);
    EXPECT_EQ(m.buttons, MessageButtons::Ok);
}

TEST(OpenPort, PermissionErrorNamesTheGroupToJoin) {
    const PortMessage m =
        OpenFailureMessage("COM1", Unavailable(13, "Permission denied", "/dev/ttyUSB0", "dialout"));
    const std::string firstLine = "COM1 " + LoadString(kStrDeviceNotAvailable) + "\n";
    ASSERT_EQ(m.Text.compare(0, firstLine.size(), firstLine), 0) << m.Text;
    const std::string detail = m.Text.substr(firstLine.size());
    EXPECT_EQ(detail.find('\n'), std::string::npos);
    EXPECT_EQ(detail.rfind("/dev/ttyUSB0: Permission denied", 0), 0u) << detail;
    EXPECT_NE(detail.find("group dialout"), std::string::npos) << detail;
}

TEST(OpenPort, RefusedOrUnreadableLineSettingsArePlainMessages) {
    struct Row {
        SerialErrorKind kind;
        const char* text;
    };
    for (const Row& row : {Row{SerialErrorKind::GetState, "GetComState failed"},
                           Row{SerialErrorKind::SetState, "SetComState failed"}}) {
        SetupGlobals g;
        FakeSerialPort port;
        port.openResults.push_back({row.kind, 22, "Invalid argument", "/dev/ttyUSB0", ""});
        FakeMessages messages;
        EXPECT_FALSE(OpenPort(g, port, messages));
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, row.text);
        EXPECT_EQ(messages.shown[0].title, "");
        EXPECT_EQ(messages.shown[0].icon, MessageIcon::None);
        EXPECT_EQ(messages.shown[0].buttons, MessageButtons::Ok);
    }
}

TEST(FlushOutputQueue, PartialWriteKeepsTheRestInFrontOfLaterOutput) {
    SetupGlobals g;
    FakeSerialPort port;
    port.Open("COM1", {});
    g.OutputQueue = std::string("0123456789");
    port.writeLimits = {3};
    FlushOutputQueue(g, port);
    EXPECT_EQ(port.written, "012");
    EXPECT_EQ(g.OutputQueue, "3456789");
    g.OutputQueue += std::string("A\0B", 3);  // appended between ticks, NUL included
    FlushOutputQueue(g, port);
    EXPECT_EQ(port.written, std::string("0123456789A\0B", 13));
    EXPECT_TRUE(g.OutputQueue.empty());
}

TEST(FlushOutputQueue, NothingTakenKeepsEverythingAndEmptyQueueWritesNothing) {
    SetupGlobals g;
    FakeSerialPort port;
    port.Open("COM1", {});
    FlushOutputQueue(g, port);
    EXPECT_EQ(port.CallNames(), std::vector<std::string>{"Open COM1"});

    g.OutputQueue = "?\r";
    port.writeLimits = {0};
    FlushOutputQueue(g, port);
    EXPECT_EQ(g.OutputQueue, "?\r");
    port.Lose();
    FlushOutputQueue(g, port);  // a lost port takes nothing
    EXPECT_EQ(g.OutputQueue, "?\r");
}

TEST(PulseDtr, HoldsDtrLowFor155MillisecondsAcrossTheTickWrap) {
    for (uint32_t start : {1000u, 0xFFFFFFF0u, 0xFFFFFF90u}) {
        SteppingClock clock(start);
        FakeSerialPort port;
        port.Open("COM1", {});
        port.clock = &clock;
        PulseDtr(port, clock);
        ASSERT_EQ(port.calls.size(), 3u);
        EXPECT_EQ(port.calls[1].What, "SetDtr 0");
        EXPECT_EQ(port.calls[2].What, "SetDtr 1");
        const uint32_t low = port.calls[2].Tick - port.calls[1].Tick;
        EXPECT_GE(low, kDtrPulseMs) << "start " << start;
        EXPECT_LE(low, kDtrPulseMs + 3) << "start " << start;
        EXPECT_TRUE(port.dtr);
    }
}

TEST(PulseDtr, ClosedPortDoesNotWait) {
    SteppingClock clock(0);
    FakeSerialPort port;
    PulseDtr(port, clock);
    EXPECT_TRUE(port.calls.empty());
    EXPECT_LT(clock.now, 5u);
}

TEST(ClosePort, LowersDtrThenRtsThenCloses) {
    FakeSerialPort port;
    port.Open("COM1", {});
    ASSERT_TRUE(port.dtr && port.rts);
    ClosePort(port);
    EXPECT_EQ(port.CallNames(),
              (std::vector<std::string>{"Open COM1", "SetDtr 0", "SetRts 0", "Close"}));
    EXPECT_FALSE(port.dtr);
    EXPECT_FALSE(port.rts);
    EXPECT_FALSE(port.IsOpen());
}

}  // namespace
}  // namespace quorvane
