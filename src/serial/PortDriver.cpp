#include "serial/PortDriver.h"

#include "serial/LineRequest.h"
#include "serial/PortMessages.h"

namespace quorvane {

bool OpenPort(SetupGlobals& g, SerialPort& port, Messages& messages) {
    g.PortName = PortNameFor(g.PortIndex);
    const SerialError error = port.Open(g.PortName, LineRequestFor(g));
    if (!error.Failed()) return true;
    ShowOpenFailure(messages, g.PortName, error);
    return false;
}

void FlushOutputQueue(SetupGlobals& g, SerialPort& port) {
    if (g.OutputQueue.empty()) return;
    size_t written = port.Write(g.OutputQueue);
    if (written > g.OutputQueue.size()) written = g.OutputQueue.size();
    g.OutputQueue.erase(0, written);
}

void PulseDtr(SerialPort& port, Clock& clock) {
    if (!port.IsOpen()) return;
    port.SetDtr(false);
    const uint32_t start = clock.TickCount();
    // Unsigned subtraction keeps the elapsed time right across the counter's wrap.
    while (clock.TickCount() - start < kDtrPulseMs) {
    }
    port.SetDtr(true);
}

void ClosePort(SerialPort& port) {
    port.SetDtr(false);
    port.SetRts(false);
    port.Close();
}

}  // namespace quorvane
