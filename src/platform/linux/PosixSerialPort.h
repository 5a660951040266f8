// The serial port on a Linux terminal device through termios. The device is opened
// O_RDWR | O_NOCTTY | O_NONBLOCK, made exclusive with TIOCEXCL (keeps other users out) and
// flock (keeps every other program out, root included), and read through a buffer that one
// read() fills, so a busy device costs one system call per buffer rather than per byte.
//
// A pseudo-terminal is a virtual port: it carries 8-bit bytes whatever it is told, so data bits
// and parity are not asked of it; a real device that refuses a line setting fails the open.
// A device that goes away (EIO, ENXIO, ENODEV, or a hang-up) closes the handle and reports the
// loss; Reopen opens it again with the same request.
#pragma once

#include <sys/types.h>

#include <array>
#include <functional>
#include <string>

#include "platform/SerialPort.h"

namespace quorvane {

class PosixSerialPort : public SerialPort {
  public:
    // The device path behind a port name ("COM3" -> "/dev/ttyUSB0").
    using DeviceResolver = std::function<std::string(const std::string& portName)>;
    // Seams for the data calls, so that tests can count and fail them (::read and ::write).
    using ReadCall = std::function<ssize_t(int fd, void* buffer, size_t size)>;
    using WriteCall = std::function<ssize_t(int fd, const void* data, size_t size)>;

    static constexpr size_t kReadBufferSize = 4096;

    explicit PosixSerialPort(DeviceResolver resolve);
    ~PosixSerialPort() override;  // closes without touching the lines
    PosixSerialPort(const PosixSerialPort&) = delete;
    PosixSerialPort& operator=(const PosixSerialPort&) = delete;

    SerialError Open(const std::string& portName, const LineRequest& lines) override;
    SerialError Reopen() override;
    void Close() override;  // also discards bytes received and not yet read
    bool IsOpen() const override { return fd_ >= 0; }
    bool IsLost() const override { return lost_; }
    const SerialError& LossReason() const override { return loss_; }
    // The unread part of the receive buffer; an empty buffer is first filled by one read().
    size_t PeekBytes(const uint8_t*& data) override;
    void ConsumeBytes(size_t n) override;
    size_t Write(std::string_view bytes) override;
    void SetDtr(bool on) override;
    void SetRts(bool on) override;
    void StartBreak() override;
    void EndBreak() override;
    void PurgeQueues() override;
    uint32_t ReadModemStatus() override;

    void SetReadCall(ReadCall call) { read_ = std::move(call); }
    void SetWriteCall(WriteCall call) { write_ = std::move(call); }

    // The device of the last open attempt.
    const std::string& DevicePath() const { return devicePath_; }
    // True when the open device is a pseudo-terminal.
    bool IsVirtualPort() const { return virtual_; }
    // The open descriptor (-1 when closed), for waiting on it in an event loop. Reading it
    // directly bypasses the receive buffer.
    int Descriptor() const { return fd_; }

  private:
    SerialError OpenDevice();
    SerialError Fail(SerialErrorKind kind, int osError, std::string message);
    void CloseHandle();
    void Lose(int osError, std::string message);
    bool FillBuffer();
    void SetModemLine(int bit, bool on);

    DeviceResolver resolve_;
    ReadCall read_;
    WriteCall write_;
    int fd_ = -1;
    bool virtual_ = false;
    bool lost_ = false;
    SerialError loss_;
    std::string portName_;
    std::string devicePath_;
    LineRequest request_;
    std::array<uint8_t, kReadBufferSize> buffer_{};
    size_t bufferPos_ = 0;
    size_t bufferEnd_ = 0;
    size_t peeked_ = 0;  // handed out by PeekBytes and not consumed; a purge or close drops it
};

}  // namespace quorvane
