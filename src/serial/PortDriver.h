// The program's port operations over the platform serial port: open from the settings with
// the user-facing failure messages, the once-per-tick output flush, the DTR pulse and close.
#pragma once

#include <cstdint>

#include "config/SetupGlobals.h"
#include "platform/Clock.h"
#include "platform/Messages.h"
#include "platform/SerialPort.h"

namespace quorvane {

inline constexpr uint32_t kDtrPulseMs = 155;

// Sets PortName from PortIndex and opens that port with the settings' line request. On
// failure the message has been shown and no port is open.
bool OpenPort(SetupGlobals& g, SerialPort& port, Messages& messages);

// Writes OutputQueue in one write; what the port did not take stays at the front of the
// queue, in order, for the next tick. (In Virtual Instrument mode the virtual device takes
// the queue instead; that is not done here.)
void FlushOutputQueue(SetupGlobals& g, SerialPort& port);

// Drops DTR for 155 ms and raises it again, busy-waiting on the tick (the caller is blocked
// for the whole pulse). Does nothing when the port is not open.
void PulseDtr(SerialPort& port, Clock& clock);

// Lowers DTR, then RTS, then closes the port.
void ClosePort(SerialPort& port);

}  // namespace quorvane
