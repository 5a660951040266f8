#include "platform/linux/PosixSerialPort.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/linux/CustomBaud.h"
#include "platform/linux/TermiosSettings.h"

namespace quorvane {
namespace {

// Pseudo-terminal slaves: Unix 98 (majors 136..143) and the old BSD kind (major 3).
bool IsPseudoTerminal(int fd) {
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return false;
    const unsigned m = major(st.st_rdev);
    return (m >= 136 && m <= 143) || m == 3;
}

// The name of the group that owns path, for the hint on a permission error.
std::string OwningGroup(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return {};
    std::vector<char> buffer(16384);
    struct group entry {};
    struct group* found = nullptr;
    if (getgrgid_r(st.st_gid, &entry, buffer.data(), buffer.size(), &found) == 0 && found)
        return found->gr_name;
    return std::to_string(st.st_gid);
}

bool IsLossError(int error) {
    return error == EIO || error == ENXIO || error == ENODEV;
}

// Accepted baud rates differ from the asked one by the divisor's rounding; more than this is
// a refusal.
constexpr uint32_t kBaudTolerancePercent = 3;

}  // namespace

PosixSerialPort::PosixSerialPort(DeviceResolver resolve)
    : resolve_(std::move(resolve)), read_(::read), write_(::write) {}

PosixSerialPort::~PosixSerialPort() {
    CloseHandle();
}

SerialError PosixSerialPort::Fail(SerialErrorKind kind, int osError, std::string message) {
    CloseHandle();
    SerialError e;
    e.Kind = kind;
    e.OsError = osError;
    e.OsMessage = std::move(message);
    e.DevicePath = devicePath_;
    if (kind == SerialErrorKind::Unavailable && (osError == EACCES || osError == EPERM))
        e.DeviceGroup = OwningGroup(devicePath_);
    return e;
}

SerialError PosixSerialPort::Open(const std::string& portName, const LineRequest& lines) {
    Close();
    lost_ = false;
    loss_ = {};
    portName_ = portName;
    request_ = lines;
    devicePath_ = resolve_ ? resolve_(portName) : std::string();
    return OpenDevice();
}

SerialError PosixSerialPort::Reopen() {
    if (portName_.empty()) return Fail(SerialErrorKind::NotOpen, 0, "no port was opened");
    CloseHandle();  // bytes already received stay readable
    SerialError e = OpenDevice();
    if (!e.Failed()) {
        lost_ = false;
        loss_ = {};
    }
    return e;
}

SerialError PosixSerialPort::OpenDevice() {
    if (devicePath_.empty())
        return Fail(SerialErrorKind::Unavailable, ENOENT, "no device is set for " + portName_);
    fd_ = ::open(devicePath_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        const int error = errno;
        return Fail(SerialErrorKind::Unavailable, error, std::strerror(error));
    }
    if (flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if (error == EWOULDBLOCK)
            return Fail(SerialErrorKind::Unavailable, error, "in use by another program");
        return Fail(SerialErrorKind::Unavailable, error, std::strerror(error));
    }
    ioctl(fd_, TIOCEXCL);  // root passes it anyway; the flock is what holds

    termios current{};
    if (tcgetattr(fd_, &current) != 0) {
        const int error = errno;
        return Fail(SerialErrorKind::GetState, error, std::strerror(error));
    }
    virtual_ = IsPseudoTerminal(fd_);
    TermiosRequest request;
    if (!MakeTermiosRequest(request_, current, request))
        return Fail(SerialErrorKind::SetState, EINVAL, "the line settings cannot be expressed");
    if (virtual_) RelaxForVirtualPort(request.Attributes);
    if (tcsetattr(fd_, TCSANOW, &request.Attributes) != 0) {
        const int error = errno;
        return Fail(SerialErrorKind::SetState, error, std::strerror(error));
    }
    if (request.CustomBaud != 0) {
        uint32_t actual = 0;
        const int error = SetCustomBaud(fd_, request.CustomBaud, actual);
        if (error != 0) return Fail(SerialErrorKind::SetState, error, std::strerror(error));
        const uint32_t asked = request.CustomBaud;
        const uint32_t diff = actual > asked ? actual - asked : asked - actual;
        if (static_cast<uint64_t>(diff) * 100 >
            static_cast<uint64_t>(asked) * kBaudTolerancePercent)
            return Fail(SerialErrorKind::SetState, EINVAL, "the device refused: baud rate");
    }
    // tcsetattr succeeds when any part was applied; what the device kept tells the rest.
    termios got{};
    if (tcgetattr(fd_, &got) != 0) {
        const int error = errno;
        return Fail(SerialErrorKind::GetState, error, std::strerror(error));
    }
    const std::string refused =
        RefusedLineSettings(request.Attributes, got, request.CustomBaud != 0);
    if (!refused.empty())
        return Fail(SerialErrorKind::SetState, EINVAL, "the device refused: " + refused);

    SetModemLine(TIOCM_DTR, request_.DtrOn);
    SetModemLine(TIOCM_RTS, request_.Rts != RtsControl::Off);
    return {};
}

void PosixSerialPort::CloseHandle() {
    if (fd_ >= 0) ::close(fd_);  // releases the flock with the descriptor
    fd_ = -1;
}

void PosixSerialPort::Close() {
    CloseHandle();
    bufferPos_ = bufferEnd_ = peeked_ = 0;
}

void PosixSerialPort::Lose(int osError, std::string message) {
    CloseHandle();
    lost_ = true;
    loss_ = {SerialErrorKind::Lost, osError, std::move(message), devicePath_, ""};
}

bool PosixSerialPort::FillBuffer() {
    if (fd_ < 0) return false;
    ssize_t n;
    do {
        n = read_(fd_, buffer_.data(), buffer_.size());
    } while (n < 0 && errno == EINTR);
    if (n > 0) {
        bufferPos_ = 0;
        bufferEnd_ = static_cast<size_t>(n);
        return true;
    }
    if (n == 0) {
        // With VMIN 1 on a non-blocking descriptor an empty port answers EAGAIN; 0 is a hang-up.
        Lose(0, "the device hung up");
    } else if (IsLossError(errno)) {
        const int error = errno;
        Lose(error, std::strerror(error));
    }
    return false;  // any other failure counts as nothing received
}

size_t PosixSerialPort::PeekBytes(const uint8_t*& data) {
    // Bytes read before a loss are still handed out.
    if (bufferPos_ == bufferEnd_ && !FillBuffer()) {
        peeked_ = 0;
        return 0;
    }
    data = buffer_.data() + bufferPos_;
    peeked_ = bufferEnd_ - bufferPos_;
    return peeked_;
}

void PosixSerialPort::ConsumeBytes(size_t n) {
    n = std::min(n, peeked_);
    peeked_ -= n;
    bufferPos_ += n;
}

size_t PosixSerialPort::Write(std::string_view bytes) {
    if (fd_ < 0 || bytes.empty()) return 0;
    ssize_t n;
    do {
        n = write_(fd_, bytes.data(), bytes.size());
    } while (n < 0 && errno == EINTR);
    if (n >= 0) return static_cast<size_t>(n);
    if (IsLossError(errno)) {
        const int error = errno;
        Lose(error, std::strerror(error));
    }
    return 0;  // EAGAIN: the driver's queue is full (or flow control holds it); try next tick
}

void PosixSerialPort::SetModemLine(int bit, bool on) {
    if (fd_ < 0) return;
    ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bit);  // a pseudo-terminal answers ENOTTY
}

void PosixSerialPort::SetDtr(bool on) {
    SetModemLine(TIOCM_DTR, on);
}
void PosixSerialPort::SetRts(bool on) {
    SetModemLine(TIOCM_RTS, on);
}

void PosixSerialPort::StartBreak() {
    if (fd_ >= 0) ioctl(fd_, TIOCSBRK);
}

void PosixSerialPort::EndBreak() {
    if (fd_ >= 0) ioctl(fd_, TIOCCBRK);
}

void PosixSerialPort::PurgeQueues() {
    bufferPos_ = bufferEnd_ = peeked_ = 0;
    if (fd_ >= 0) tcflush(fd_, TCIOFLUSH);
}

uint32_t PosixSerialPort::ReadModemStatus() {
    int bits = 0;
    if (fd_ < 0 || ioctl(fd_, TIOCMGET, &bits) != 0) return 0;
    uint32_t status = 0;
    if (bits & TIOCM_CTS) status |= kModemCts;
    if (bits & TIOCM_DSR) status |= kModemDsr;
    if (bits & TIOCM_RNG) status |= kModemRing;
    if (bits & TIOCM_CAR) status |= kModemRlsd;
    return status;
}

}  // namespace quorvane
