// The terminal attributes built for each line request. Pure: nothing here opens a device.
#include "platform/linux/TermiosSettings.h"

#include <gtest/gtest.h>

#include "serial/LineRequest.h"

namespace quorvane {
namespace {

termios Base() {
    // What a freshly opened terminal reports: cooked mode, echo, CR to NL translation.
    termios t{};
    t.c_iflag = ICRNL | IXON | IMAXBEL | INPCK;
    t.c_oflag = OPOST | ONLCR;
    t.c_cflag = CS8 | CREAD | HUPCL | B38400;
    t.c_lflag = ICANON | ECHO | ECHOE | ISIG | IEXTEN;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 5;
    return t;
}

TermiosRequest Build(const SetupGlobals& g) {
    TermiosRequest r;
    EXPECT_TRUE(MakeTermiosRequest(LineRequestFor(g), Base(), r));
    return r;
}

TEST(TermiosSettings, EveryBaudIndexGivesItsSpeed) {
    const speed_t speeds[] = {B110,  B300, B600,   B1200,  B2400,  B4800,
                              B9600, B0,   B19200, B38400, B57600, B115200};
    SetupGlobals g;
    for (int16_t i = 0; i < 16; ++i) {
        g.BaudRateIndex = i;
        const TermiosRequest r = Build(g);
        const speed_t expected = i < 12 ? speeds[i] : B9600;
        if (expected == B0) {
            // 14400 has no constant: it is set separately, 9600 stands in meanwhile.
            EXPECT_EQ(r.CustomBaud, 14400u);
            EXPECT_EQ(cfgetospeed(&r.Attributes), B9600);
            continue;
        }
        EXPECT_EQ(r.CustomBaud, 0u) << "index " << i;
        EXPECT_EQ(cfgetospeed(&r.Attributes), expected) << "index " << i;
        EXPECT_EQ(cfgetispeed(&r.Attributes), expected) << "index " << i;
    }
}

TEST(TermiosSettings, DataBitsParityAndStopBits) {
    SetupGlobals g;
    const tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
    for (int16_t i = 0; i < 4; ++i) {
        g.DataBitsIndex = i;
        EXPECT_EQ(Build(g).Attributes.c_cflag & CSIZE, sizes[i]) << "data bits " << i + 5;
    }
    const tcflag_t parity[] = {0, PARENB | PARODD, PARENB, PARENB | CMSPAR | PARODD,
                               PARENB | CMSPAR};
    for (int16_t i = 0; i < 5; ++i) {
        g.Parity = i;
        EXPECT_EQ(Build(g).Attributes.c_cflag & (PARENB | PARODD | CMSPAR), parity[i])
            << "parity " << i;
        // Parity is sent and received, never checked or marked.
        EXPECT_EQ(Build(g).Attributes.c_iflag & (INPCK | PARMRK | ISTRIP), 0u);
    }
    const tcflag_t stops[] = {0, CSTOPB, CSTOPB};  // one and a half become two
    for (int16_t i = 0; i < 3; ++i) {
        g.StopBits = i;
        EXPECT_EQ(Build(g).Attributes.c_cflag & CSTOPB, stops[i]) << "stop bits " << i;
    }
}

TEST(TermiosSettings, FlowControlValues) {
    struct Row {
        int16_t flow;
        tcflag_t cflag, iflag;
    };
    const Row rows[] = {{0, 0, 0}, {1, 0, IXON | IXOFF}, {2, CRTSCTS, 0}, {3, 0, 0}};
    SetupGlobals g;
    for (const Row& row : rows) {
        g.FlowControl = row.flow;
        const TermiosRequest r = Build(g);
        EXPECT_EQ(r.Attributes.c_cflag & CRTSCTS, row.cflag) << "flow " << row.flow;
        EXPECT_EQ(r.Attributes.c_iflag & (IXON | IXOFF | IXANY), row.iflag) << "flow " << row.flow;
        EXPECT_EQ(r.Attributes.c_cc[VSTART], 0x11);
        EXPECT_EQ(r.Attributes.c_cc[VSTOP], 0x13);
    }
}

TEST(TermiosSettings, RawBytesAndReadsThatNeverWait) {
    const TermiosRequest r = Build(SetupGlobals{});
    const termios& t = r.Attributes;
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(t.c_iflag & (ICRNL | INLCR | IGNCR | BRKINT), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(t.c_cflag & (CREAD | CLOCAL), CREAD | CLOCAL);
    EXPECT_EQ(t.c_cflag & HUPCL, 0u);  // closing the port must not drop DTR and RTS
    // VMIN 1 tells an empty port (EAGAIN) from a hang-up (0) on a non-blocking descriptor.
    EXPECT_EQ(t.c_cc[VMIN], 1);
    EXPECT_EQ(t.c_cc[VTIME], 0);
}

TEST(TermiosSettings, RequestsThatCannotBeExpressed) {
    TermiosRequest r;
    LineRequest lines;
    for (int bits : {4, 9, 0}) {
        lines.DataBits = bits;
        EXPECT_FALSE(MakeTermiosRequest(lines, Base(), r)) << bits;
    }
    lines = {};
    lines.Parity = static_cast<SerialParity>(5);
    EXPECT_FALSE(MakeTermiosRequest(lines, Base(), r));
    lines = {};
    lines.StopBits = static_cast<SerialStopBits>(-1);
    EXPECT_FALSE(MakeTermiosRequest(lines, Base(), r));
    lines = {};
    lines.BaudRate = 0;
    EXPECT_FALSE(MakeTermiosRequest(lines, Base(), r));
}

TEST(TermiosSettings, RefusedSettingsAreNamed) {
    SetupGlobals g;  // 9600, even parity, 7 data bits
    g.FlowControl = 2;
    const termios asked = Build(g).Attributes;
    EXPECT_EQ(RefusedLineSettings(asked, asked, false), "");

    termios dropped = asked;  // what a pseudo-terminal makes of it
    dropped.c_cflag = (dropped.c_cflag & ~(CSIZE | PARENB)) | CS8;
    EXPECT_EQ(RefusedLineSettings(asked, dropped, false), "data bits, parity");

    termios other = asked;
    cfsetospeed(&other, B4800);
    other.c_cflag |= CSTOPB;
    other.c_cflag &= ~CRTSCTS;
    EXPECT_EQ(RefusedLineSettings(asked, other, false), "baud rate, stop bits, flow control");
    EXPECT_EQ(RefusedLineSettings(asked, other, true), "stop bits, flow control");

    // Mark parity on a device that has no stick parity drops CMSPAR: that is a refusal.
    g.Parity = 3;
    const termios mark = Build(g).Attributes;
    termios noStick = mark;
    noStick.c_cflag &= ~CMSPAR;
    EXPECT_EQ(RefusedLineSettings(mark, noStick, false), "parity");
}

TEST(TermiosSettings, VirtualPortIsAskedForEightBitsWithoutParity) {
    SetupGlobals g;
    g.Parity = 4;
    g.BaudRateIndex = 3;
    g.FlowControl = 1;
    termios t = Build(g).Attributes;
    RelaxForVirtualPort(t);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_cflag & (PARENB | PARODD | CMSPAR), 0u);
    EXPECT_EQ(cfgetospeed(&t), B1200);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF), IXON | IXOFF);
}

}  // namespace
}  // namespace quorvane
