// From a line request to the terminal attributes that carry it, and back: what a device did
// not take of what was asked. Pure functions over struct termios; nothing here touches a
// device.
#pragma once

#include <termios.h>

#include <cstdint>
#include <string>

#include "platform/SerialPort.h"

namespace quorvane {

struct TermiosRequest {
    termios Attributes{};     // for tcsetattr
    uint32_t CustomBaud = 0;  // a rate without a speed constant (14400): set after the rest
};

// The speed constant of a baud rate, B0 when there is none.
speed_t SpeedConstant(int32_t baud);

// Builds the attributes from the device's current ones: raw bytes both ways (no echo, no line
// editing, no translation, no parity checking), reads that return whatever has arrived
// (VMIN 1, VTIME 0, used with a non-blocking descriptor), receiver on, carrier ignored, no
// hang-up on close (closing leaves DTR and RTS as they are), and the request's speed, data
// bits, parity (mark and space through CMSPAR), stop bits (one and a half become two) and
// flow control (Xon/Xoff both ways, CTS/RTS handshake). False when the
// request cannot be expressed: data bits outside 5..8, an unknown parity or stop-bits value,
// a baud rate of 0 or less.
bool MakeTermiosRequest(const LineRequest& lines, const termios& current, TermiosRequest& out);

// A pseudo-terminal carries 8-bit bytes whatever it is told and refuses character size and
// parity: ask it for 8 bits without parity, so that the rest (speed, flow control) applies.
void RelaxForVirtualPort(termios& attributes);

// The settings of asked that the device did not keep, as readable names ("data bits, parity");
// empty when it took them all. The speed is compared unless customBaud is set (that is checked
// separately).
std::string RefusedLineSettings(const termios& asked, const termios& got, bool customBaud);

}  // namespace quorvane
