// From the configuration's port settings to the request the serial port is opened with.
#pragma once

#include <cstdint>
#include <string>

#include "config/SetupGlobals.h"
#include "platform/SerialPort.h"

namespace quorvane {

// The program's name of a port: "COM" followed by portIndex + 1.
std::string PortNameFor(int portIndex);

// The line request for the settings: baud from the baud table (9600 outside it), data bits
// DataBitsIndex + 5, Parity 0 none .. 4 space, StopBits 0 one, 1 one and a half, 2 two, and
// by FlowControl: 0 none and 1 Xon/Xoff with DTR and RTS on, 2 hardware (CTS output flow, RTS
// handshake, DTR on), 3 Opto-RS (DTR on, RTS off). A data-bits, parity or stop-bits value
// outside its range is passed on as it is, for the device to refuse; an unknown FlowControl
// means none.
LineRequest LineRequestFor(const SetupGlobals& g);

}  // namespace quorvane
