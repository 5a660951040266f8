#include "serial/LineRequest.h"

namespace quorvane {

std::string PortNameFor(int portIndex) {
    return "COM" + std::to_string(portIndex + 1);
}

LineRequest LineRequestFor(const SetupGlobals& g) {
    LineRequest r;
    r.BaudRate = BaudRate(g.BaudRateIndex);
    r.DataBits = g.DataBitsIndex + 5;
    // Out-of-range codes stay out of range on purpose: the device refuses them at open.
    r.Parity = static_cast<SerialParity>(g.Parity);
    r.StopBits = static_cast<SerialStopBits>(g.StopBits);
    r.DtrOn = true;
    switch (g.FlowControl) {
        case 1:
            r.XonXoff = true;
            break;
        case 2:
            r.CtsOutputFlow = true;
            r.Rts = RtsControl::Handshake;
            break;
        case 3:
            r.Rts = RtsControl::Off;
            break;
        default:
            break;
    }
    return r;
}

}  // namespace quorvane
