// The serial port as the program sees it: one device opened exclusively, read without waiting,
// written without waiting, with DTR, RTS and BREAK control. Ports are addressed by their
// program name ("COM1" .. "COM99"); the implementation knows which device stands behind it.
//
// Failures come back as a small set of kinds plus the system's error number and text captured
// at the failure. Nothing here throws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/ByteSource.h"

namespace quorvane {

enum class SerialParity { None, Odd, Even, Mark, Space };
enum class SerialStopBits { One, OneAndHalf, Two };
enum class RtsControl { On, Off, Handshake };

// The line settings asked for at open. Every field has a meaning of its own, so that an
// implementation never has to know about configuration indices.
struct LineRequest {
    int32_t BaudRate = 9600;  // bits per second
    int DataBits = 8;         // 5..8
    SerialParity Parity = SerialParity::None;
    SerialStopBits StopBits = SerialStopBits::One;
    bool XonXoff = false;             // software flow control in both directions
    bool CtsOutputFlow = false;       // output waits for CTS
    bool DtrOn = true;                // DTR state after open
    RtsControl Rts = RtsControl::On;  // RTS state after open, or handshaking

    bool operator==(const LineRequest&) const = default;
};

enum class SerialErrorKind {
    None,
    Unavailable,  // the device is missing, busy, locked by another program or not permitted
    GetState,     // the device's current line settings cannot be read
    SetState,     // the device refused the line settings
    Lost,         // the device went away while open (unplugged, hung up)
    NotOpen,      // an operation that needs an open port was called without one
};

struct SerialError {
    SerialErrorKind Kind = SerialErrorKind::None;
    int OsError = 0;          // errno at the failure; 0 when the failure is not a system error
    std::string OsMessage;    // the system's text for OsError, or a description of the refusal
    std::string DevicePath;   // the device behind the port, when known
    std::string DeviceGroup;  // the group owning the device, filled for permission errors

    bool Failed() const { return Kind != SerialErrorKind::None; }
};

// Input line bits of ReadModemStatus.
inline constexpr uint32_t kModemCts = 0x10;
inline constexpr uint32_t kModemDsr = 0x20;
inline constexpr uint32_t kModemRing = 0x40;
inline constexpr uint32_t kModemRlsd = 0x80;

class SerialPort : public ByteSource {
  public:
    // Opens the device behind portName for reading and writing, exclusively, and applies the
    // line settings and the DTR and RTS states of the request. A port already open is closed
    // first. On failure no port is open and the error says why.
    virtual SerialError Open(const std::string& portName, const LineRequest& lines) = 0;
    // Opens the device of the last Open again with the same request (after a loss).
    virtual SerialError Reopen() = 0;
    // Closes the handle without touching the lines. Harmless when closed.
    virtual void Close() = 0;

    virtual bool IsOpen() const = 0;
    // True after the device went away while open; the handle has been closed then. Cleared by
    // a successful Open or Reopen.
    virtual bool IsLost() const = 0;
    // Why the port was lost (Kind Lost with the system's reason), or Kind None.
    virtual const SerialError& LossReason() const = 0;

    // PeekBytes and ConsumeBytes (from ByteSource): the received bytes not read yet (those
    // read before a loss included), nothing when none are waiting or the read failed. Never
    // waits. PurgeQueues and Close drop what PeekBytes handed out.

    // Hands bytes to the driver without waiting; returns how many were taken (0 on failure or
    // when the port is closed). The caller keeps the rest.
    virtual size_t Write(std::string_view bytes) = 0;

    // Line control. Results are ignored: a device that has no such line does nothing.
    virtual void SetDtr(bool on) = 0;
    virtual void SetRts(bool on) = 0;
    virtual void StartBreak() = 0;
    virtual void EndBreak() = 0;
    // Discards everything received and not yet read, and everything not yet transmitted.
    virtual void PurgeQueues() = 0;
    // The input lines as kModem* bits; 0 when the device cannot tell or the port is closed.
    virtual uint32_t ReadModemStatus() = 0;
};

}  // namespace quorvane
