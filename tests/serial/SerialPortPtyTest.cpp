// The termios driver on pseudo-terminal pairs: the test plays the device on the master side.
#include "platform/linux/PosixSerialPort.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/file.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "fakes/FakeMessages.h"
#include "serial/LineRequest.h"
#include "serial/PortDriver.h"
#include "strings/StringTable.h"

namespace quorvane {
namespace {

constexpr int kWaitMs = 5000;  // upper bound for the kernel to move bytes across the pair

bool WaitFor(int fd, short events) {
    pollfd p{fd, events, 0};
    return poll(&p, 1, kWaitMs) > 0;
}

class PtyPort : public ::testing::Test {
  protected:
    void SetUp() override {
        int slave = -1;
        char name[256] = {};
        ASSERT_EQ(openpty(&master_, &slave, name, nullptr, nullptr), 0);
        ::close(slave);  // the driver opens the device by its path, as it would a real one
        path_ = name;
        fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    }
    void TearDown() override { CloseMaster(); }

    PosixSerialPort::DeviceResolver Resolver() {
        return [this](const std::string& portName) {
            return portName == "COM5" ? path_ : "/nonexistent/" + portName;
        };
    }
    void CloseMaster() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }
    void DeviceSends(const std::string& bytes) {
        ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // Everything the device has received so far (waits for the first byte when asked).
    std::string DeviceReceives(bool wait = true) {
        std::string got;
        if (wait && !WaitFor(master_, POLLIN)) return got;
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n <= 0) break;
            got.append(buffer, static_cast<size_t>(n));
        }
        return got;
    }
    // Reads n bytes through ReadPortByte, waiting on the descriptor when the port has none.
    std::string ReadBytes(PosixSerialPort& port, size_t n) {
        std::string got;
        while (got.size() < n) {
            uint8_t b = 0;
            if (port.ReadPortByte(b) == 1) {
                got.push_back(static_cast<char>(b));
            } else if (!port.IsOpen() || !WaitFor(port.Descriptor(), POLLIN)) {
                break;
            }
        }
        return got;
    }
    termios DeviceAttributes() {
        termios t{};
        tcgetattr(master_, &t);  // a master reports its slave's attributes
        return t;
    }
    static LineRequest Lines(int baudIndex, int parity, int dataBitsIndex, int flow) {
        SetupGlobals g;
        g.BaudRateIndex = static_cast<int16_t>(baudIndex);
        g.Parity = static_cast<int16_t>(parity);
        g.DataBitsIndex = static_cast<int16_t>(dataBitsIndex);
        g.FlowControl = static_cast<int16_t>(flow);
        return LineRequestFor(g);
    }

    int master_ = -1;
    std::string path_;
};

TEST_F(PtyPort, VirtualPortTakesSevenBitsAndParityAndAppliesBaudAndFlow) {
    PosixSerialPort port(Resolver());
    const SerialError e = port.Open("COM5", Lines(3, 2, 2, 2));  // 1200, even, 7, hardware
    ASSERT_FALSE(e.Failed()) << e.OsMessage;
    EXPECT_TRUE(port.IsVirtualPort());
    EXPECT_EQ(port.DevicePath(), path_);
    const termios t = DeviceAttributes();
    EXPECT_EQ(cfgetospeed(&t), B1200);
    EXPECT_EQ(t.c_cflag & CRTSCTS, static_cast<tcflag_t>(CRTSCTS));
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));  // what a pty carries anyway
}

TEST_F(PtyPort, OpenClearsHangUpOnCloseThatTheDeviceHad) {
    // With HUPCL the kernel drops DTR and RTS at every close: a reload or a reconnect would
    // reset an instrument that restarts on its lines.
    termios before = DeviceAttributes();
    before.c_cflag |= HUPCL;
    ASSERT_EQ(tcsetattr(master_, TCSANOW, &before), 0);
    ASSERT_EQ(DeviceAttributes().c_cflag & HUPCL, static_cast<tcflag_t>(HUPCL));
    PosixSerialPort port(Resolver());
    ASSERT_FALSE(port.Open("COM5", Lines(6, 0, 3, 0)).Failed());
    EXPECT_EQ(DeviceAttributes().c_cflag & HUPCL, 0u);
}

TEST_F(PtyPort, RateWithoutSpeedConstantIsSetThroughTheArbitraryRate) {
    PosixSerialPort port(Resolver());
    ASSERT_FALSE(port.Open("COM5", Lines(7, 0, 3, 0)).Failed());  // 14400
    const termios t = DeviceAttributes();
    constexpr speed_t kArbitraryRate = 0010000;  // the kernel's BOTHER
    EXPECT_EQ(cfgetospeed(&t), kArbitraryRate);
}

TEST_F(PtyPort, BytesPassUnchangedBothWaysAndAnEmptyPortIsNotAHangUp) {
    PosixSerialPort port(Resolver());
    ASSERT_FALSE(port.Open("COM5", Lines(6, 2, 2, 0)).Failed());
    uint8_t b = 0;
    EXPECT_EQ(port.ReadPortByte(b), 0);  // EAGAIN: nothing waiting
    EXPECT_TRUE(port.IsOpen());
    EXPECT_FALSE(port.IsLost());

    std::string all;
    for (int i = 0; i < 256; ++i) all.push_back(static_cast<char>(i));
    DeviceSends("12.5\r\n" + all);
    EXPECT_EQ(ReadBytes(port, 6 + 256), "12.5\r\n" + all);  // no CR/NL translation, 8 bits
    EXPECT_EQ(port.ReadPortByte(b), 0);
    EXPECT_FALSE(port.IsLost());

    const std::string out = std::string("ok\r\n\0\xff", 6);
    EXPECT_EQ(port.Write(out), out.size());
    EXPECT_EQ(DeviceReceives(), out);
}

TEST_F(PtyPort, HangUpClosesThePortAndReportsItLost) {
    PosixSerialPort port(Resolver());
    ASSERT_FALSE(port.Open("COM5", Lines(6, 0, 3, 0)).Failed());
    DeviceSends("AB");
    EXPECT_EQ(ReadBytes(port, 1), "A");
    CloseMaster();  // the adapter is pulled
    ASSERT_TRUE(WaitFor(port.Descriptor(), POLLIN | POLLHUP));
    uint8_t b = 0;
    ASSERT_EQ(port.ReadPortByte(b), 1);  // a byte read before the loss is still delivered
    EXPECT_EQ(b, 'B');
    EXPECT_EQ(port.ReadPortByte(b), 0);
    EXPECT_TRUE(port.IsLost());
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.LossReason().Kind, SerialErrorKind::Lost);
    EXPECT_EQ(port.LossReason().DevicePath, path_);
    EXPECT_EQ(port.Write("x"), 0u);
    EXPECT_EQ(port.Reopen().Kind, SerialErrorKind::Unavailable);  // the device is gone
}

TEST_F(PtyPort, WriteToAVanishedDeviceReportsItLost) {
    PosixSerialPort port(Resolver());
    ASSERT_FALSE(port.Open("COM5", Lines(6, 0, 3, 0)).Failed());
    CloseMaster();
    EXPECT_EQ(port.Write("abc"), 0u);
    EXPECT_TRUE(port.IsLost());
    EXPECT_EQ(port.LossReason().OsError, EIO);
}

TEST_F(PtyPort, ReopenAfterALossRestoresTheLineSettings) {
    PosixSerialPort port(Resolver());
    bool fail = false;
    port.SetReadCall([&fail](int fd, void* buffer, size_t size) -> ssize_t {
        if (fail) {
            fail = false;
            errno = ENXIO;
            return -1;
        }
        return ::read(fd, buffer, size);
    });
    ASSERT_FALSE(port.Open("COM5", Lines(3, 0, 3, 1)).Failed());  // 1200, Xon/Xoff
    fail = true;
    uint8_t b = 0;
    EXPECT_EQ(port.ReadPortByte(b), 0);
    ASSERT_TRUE(port.IsLost());
    EXPECT_EQ(port.LossReason().OsError, ENXIO);
    EXPECT_FALSE(port.IsOpen());

    termios changed = DeviceAttributes();  // someone else changed the line meanwhile
    cfsetospeed(&changed, B300);
    changed.c_iflag &= ~(IXON | IXOFF);
    tcsetattr(master_, TCSANOW, &changed);

    const SerialError e = port.Reopen();
    ASSERT_FALSE(e.Failed()) << e.OsMessage;
    EXPECT_FALSE(port.IsLost());
    const termios t = DeviceAttributes();
    EXPECT_EQ(cfgetospeed(&t), B1200);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF), static_cast<tcflag_t>(IXON | IXOFF));
    DeviceSends("Z");
    EXPECT_EQ(ReadBytes(port, 1), "Z");
}

TEST_F(PtyPort, PartialWritesStayQueuedInOrder) {
    PosixSerialPort port(Resolver());
    ASSERT_FALSE(port.Open("COM5", Lines(6, 0, 3, 0)).Failed());
    SetupGlobals g;
    std::string sent;
    for (int i = 0; i < 200000; ++i) sent.push_back(static_cast<char>('a' + i % 26));
    g.OutputQueue = sent;
    FlushOutputQueue(g, port);  // the device reads nothing yet: the pty fills up
    ASSERT_FALSE(g.OutputQueue.empty());
    ASSERT_LT(g.OutputQueue.size(), sent.size());
    EXPECT_EQ(g.OutputQueue, sent.substr(sent.size() - g.OutputQueue.size()));
    g.OutputQueue += "TAIL";
    sent += "TAIL";
    FlushOutputQueue(g, port);  // still full: nothing taken, nothing lost

    std::string received;
    for (int round = 0; round < 10000 && received.size() < sent.size(); ++round) {
        received += DeviceReceives();
        FlushOutputQueue(g, port);
    }
    EXPECT_TRUE(g.OutputQueue.empty());
    EXPECT_EQ(received.size(), sent.size());
    EXPECT_TRUE(received == sent);
    EXPECT_FALSE(port.IsLost());
}

TEST_F(PtyPort, ReceivedBytesCostOneReadPerBuffer) {
    PosixSerialPort port(Resolver());
    int reads = 0;
    port.SetReadCall([&reads](int fd, void* buffer, size_t size) {
        ++reads;
        return ::read(fd, buffer, size);
    });
    ASSERT_FALSE(port.Open("COM5", Lines(11, 0, 3, 0)).Failed());
    std::string data;
    for (int i = 0; i < 3000; ++i) data.push_back(static_cast<char>(i * 7));
    DeviceSends(data);
    EXPECT_EQ(ReadBytes(port, data.size()), data);
    EXPECT_LT(reads, 20);  // byte by byte would be 3000
}

TEST_F(PtyPort, PurgeDiscardsBytesAlreadyBuffered) {
    PosixSerialPort port(Resolver());
    ASSERT_FALSE(port.Open("COM5", Lines(6, 0, 3, 0)).Failed());
    DeviceSends("abc");
    EXPECT_EQ(ReadBytes(port, 1), "a");
    port.PurgeQueues();
    uint8_t b = 0;
    EXPECT_EQ(port.ReadPortByte(b), 0);
    DeviceSends("d");
    EXPECT_EQ(ReadBytes(port, 1), "d");
}

TEST_F(PtyPort, ASpanStaysUntilConsumedAndAPurgeDropsIt) {
    PosixSerialPort port(Resolver());
    ASSERT_FALSE(port.Open("COM5", Lines(6, 0, 3, 0)).Failed());
    const uint8_t* data = nullptr;
    EXPECT_EQ(port.PeekBytes(data), 0u);
    DeviceSends("abc");
    ASSERT_TRUE(WaitFor(port.Descriptor(), POLLIN));
    ASSERT_EQ(port.PeekBytes(data), 3u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(data), 3), "abc");
    ASSERT_EQ(port.PeekBytes(data), 3u);  // not consumed: handed out again
    port.ConsumeBytes(1);
    ASSERT_EQ(port.PeekBytes(data), 2u);
    EXPECT_EQ(data[0], 'b');
    port.PurgeQueues();  // a reset while the engine still held "bc"
    DeviceSends("d");
    port.ConsumeBytes(2);  // removes nothing: "bc" went with the purge
    EXPECT_EQ(ReadBytes(port, 1), "d");

    // A span is at most one buffer, and consuming it all lets the next read fill it again.
    const std::string data5k(5000, 'x');
    DeviceSends(data5k);
    std::string got;
    while (got.size() < data5k.size()) {
        const size_t n = port.PeekBytes(data);
        if (n == 0) {
            if (!WaitFor(port.Descriptor(), POLLIN)) break;
            continue;
        }
        EXPECT_LE(n, PosixSerialPort::kReadBufferSize);
        got.append(reinterpret_cast<const char*>(data), n);
        port.ConsumeBytes(n);
    }
    EXPECT_EQ(got, data5k);
}

TEST_F(PtyPort, LineControlThatAPtyRefusesIsIgnored) {
    PosixSerialPort port(Resolver());
    ASSERT_FALSE(port.Open("COM5", Lines(6, 0, 3, 3)).Failed());  // Opto-RS lowers RTS
    port.SetDtr(false);
    port.SetRts(true);
    port.StartBreak();
    port.EndBreak();
    EXPECT_EQ(port.ReadModemStatus(), 0u);
    EXPECT_TRUE(port.IsOpen());
    EXPECT_FALSE(port.IsLost());
    DeviceSends("x");
    EXPECT_EQ(ReadBytes(port, 1), "x");
}

TEST_F(PtyPort, SecondOpenOfTheSameDeviceIsUnavailable) {
    PosixSerialPort first(Resolver());
    ASSERT_FALSE(first.Open("COM5", Lines(6, 0, 3, 0)).Failed());
    SetupGlobals g;
    g.PortIndex = 4;
    PosixSerialPort second(Resolver());
    FakeMessages messages;
    EXPECT_FALSE(OpenPort(g, second, messages));
    EXPECT_FALSE(second.IsOpen());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text,
              "COM5 " + LoadString(4030) + "\n" + path_ + ": in use by another program");
    EXPECT_EQ(messages.shown[0].title, LoadString(4031));

    ClosePort(first);  // the lock goes with the handle
    EXPECT_TRUE(OpenPort(g, second, messages));
}

TEST_F(PtyPort, DeviceLockedByAnotherHolderIsUnavailableEvenForRoot) {
    // TIOCEXCL does not stop root; the lock does.
    const int holder = ::open(path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
    PosixSerialPort port(Resolver());
    const SerialError e = port.Open("COM5", Lines(6, 0, 3, 0));
    EXPECT_EQ(e.Kind, SerialErrorKind::Unavailable);
    EXPECT_EQ(e.DevicePath, path_);
    EXPECT_FALSE(port.IsOpen());
    ::close(holder);
}

TEST_F(PtyPort, MissingDeviceAndNonTerminal) {
    PosixSerialPort port(Resolver());
    SerialError e = port.Open("COM7", {});
    EXPECT_EQ(e.Kind, SerialErrorKind::Unavailable);
    EXPECT_EQ(e.OsError, ENOENT);
    EXPECT_EQ(e.DevicePath, "/nonexistent/COM7");
    EXPECT_FALSE(e.OsMessage.empty());

    PosixSerialPort notTty([](const std::string&) { return std::string("/dev/null"); });
    e = notTty.Open("COM1", {});
    EXPECT_EQ(e.Kind, SerialErrorKind::GetState);
    EXPECT_EQ(e.OsError, ENOTTY);
    EXPECT_FALSE(notTty.IsOpen());
}

}  // namespace
}  // namespace quorvane
