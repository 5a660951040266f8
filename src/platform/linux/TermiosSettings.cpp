#include "platform/linux/TermiosSettings.h"

#include <array>
#include <utility>

namespace quorvane {
namespace {

constexpr std::array<std::pair<int32_t, speed_t>, 15> kSpeeds{{
    {50, B50},
    {110, B110},
    {300, B300},
    {600, B600},
    {1200, B1200},
    {2400, B2400},
    {4800, B4800},
    {9600, B9600},
    {19200, B19200},
    {38400, B38400},
    {57600, B57600},
    {115200, B115200},
    {230400, B230400},
    {460800, B460800},
    {921600, B921600},
}};

tcflag_t SizeFlag(int dataBits) {
    switch (dataBits) {
        case 5:
            return CS5;
        case 6:
            return CS6;
        case 7:
            return CS7;
        case 8:
            return CS8;
        default:
            return static_cast<tcflag_t>(-1);
    }
}

void AddName(std::string& list, const char* name) {
    if (!list.empty()) list += ", ";
    list += name;
}

}  // namespace

speed_t SpeedConstant(int32_t baud) {
    for (const auto& [rate, constant] : kSpeeds) {
        if (rate == baud) return constant;
    }
    return B0;
}

bool MakeTermiosRequest(const LineRequest& lines, const termios& current, TermiosRequest& out) {
    out = TermiosRequest{};
    const tcflag_t size = SizeFlag(lines.DataBits);
    if (size == static_cast<tcflag_t>(-1) || lines.BaudRate <= 0) return false;

    termios t = current;
    cfmakeraw(&t);
    t.c_iflag &= ~(INPCK | IXON | IXOFF | IXANY | IMAXBEL | IUCLC | IUTF8);
    t.c_iflag |= IGNBRK;  // a BREAK from the device is not a byte of data
    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    // No hang-up on close: the kernel would drop DTR and RTS at every close, and many
    // instruments reset on that when the port is reopened. ClosePort lowers them itself.
    t.c_cflag &= ~HUPCL;
    t.c_cflag |= size | CREAD | CLOCAL;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    t.c_cc[VSTART] = 0x11;
    t.c_cc[VSTOP] = 0x13;

    switch (lines.Parity) {
        case SerialParity::None:
            break;
        case SerialParity::Odd:
            t.c_cflag |= PARENB | PARODD;
            break;
        case SerialParity::Even:
            t.c_cflag |= PARENB;
            break;
        // With CMSPAR the parity bit is fixed: PARODD set means mark (1), clear means space.
        case SerialParity::Mark:
            t.c_cflag |= PARENB | CMSPAR | PARODD;
            break;
        case SerialParity::Space:
            t.c_cflag |= PARENB | CMSPAR;
            break;
        default:
            return false;
    }
    switch (lines.StopBits) {
        case SerialStopBits::One:
            break;
        case SerialStopBits::OneAndHalf:  // termios has no 1.5; two is the safe side
        case SerialStopBits::Two:
            t.c_cflag |= CSTOPB;
            break;
        default:
            return false;
    }
    if (lines.XonXoff) t.c_iflag |= IXON | IXOFF;
    if (lines.CtsOutputFlow || lines.Rts == RtsControl::Handshake) t.c_cflag |= CRTSCTS;

    const speed_t speed = SpeedConstant(lines.BaudRate);
    // A rate without a constant is set afterwards through the kernel's arbitrary-rate call;
    // 9600 stands in until then.
    if (speed == B0) out.CustomBaud = static_cast<uint32_t>(lines.BaudRate);
    cfsetospeed(&t, speed == B0 ? B9600 : speed);
    cfsetispeed(&t, speed == B0 ? B9600 : speed);
    out.Attributes = t;
    return true;
}

void RelaxForVirtualPort(termios& attributes) {
    attributes.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR);
    attributes.c_cflag |= CS8;
}

std::string RefusedLineSettings(const termios& asked, const termios& got, bool customBaud) {
    std::string refused;
    if (!customBaud &&
        (cfgetospeed(&asked) != cfgetospeed(&got) || cfgetispeed(&asked) != cfgetispeed(&got)))
        AddName(refused, "baud rate");
    if ((asked.c_cflag & CSIZE) != (got.c_cflag & CSIZE)) AddName(refused, "data bits");
    // CMSPAR only means something with PARENB; a device may keep or drop it otherwise.
    const tcflag_t parityMask = PARENB | PARODD | ((asked.c_cflag & PARENB) ? CMSPAR : 0);
    if ((asked.c_cflag & parityMask) != (got.c_cflag & parityMask)) AddName(refused, "parity");
    if ((asked.c_cflag & CSTOPB) != (got.c_cflag & CSTOPB)) AddName(refused, "stop bits");
    if ((asked.c_cflag & CRTSCTS) != (got.c_cflag & CRTSCTS) ||
        (asked.c_iflag & (IXON | IXOFF)) != (got.c_iflag & (IXON | IXOFF)))
        AddName(refused, "flow control");
    return refused;
}

}  // namespace quorvane
