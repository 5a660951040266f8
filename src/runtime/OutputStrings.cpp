#include "runtime/OutputStrings.h"

#include <algorithm>
#include <limits>

#include "serial/PortDriver.h"

namespace quorvane {

OutputStrings::OutputStrings(SetupGlobals& g, SerialPort& port, Clock& clock, VirtualDevice* device)
    : g_(g), port_(port), clock_(clock), device_(device) {}

void OutputStrings::Activate() {
    flags_ = g_.TimerOptions;
    if (g_.TimerInterval == 0) flags_ = static_cast<int16_t>(flags_ & ~kTimedOutputEnabled);
    base_ = 0;
    breakTicksLeft_ = 0;
    lastModemStatus_ = 0;
    deviceLost_ = false;
}

size_t OutputStrings::SendRoom() const {
    size_t limit = kOutputQueueLimit;
    if (deviceLost_) {
        limit = std::min(
            limit, g_.OutputBufferSize > 0 ? static_cast<size_t>(g_.OutputBufferSize) : size_t{0});
    }
    return g_.OutputQueue.size() < limit ? limit - g_.OutputQueue.size() : 0;
}

bool OutputStrings::Send(std::string_view text) {
    if (text.size() > SendRoom()) return false;
    Append(text);
    return true;
}

bool OutputStrings::PressStringButton(int n) {
    if (n < 1 || n > kStringButtons) return true;
    return Send(g_.ButtonString[static_cast<size_t>(n)]);
}

void OutputStrings::StartBreak() {
    if (IsVirtual()) return;
    port_.StartBreak();
    breakTicksLeft_ = kBreakTicks;
}

void OutputStrings::PulseDtr() {
    if (IsVirtual()) return;
    quorvane::PulseDtr(port_, clock_);
}

void OutputStrings::SetDtr(bool on) {
    if (!IsVirtual()) port_.SetDtr(on);
}

void OutputStrings::SetRts(bool on) {
    if (!IsVirtual()) port_.SetRts(on);
}

void OutputStrings::BreakCountdown() {
    if (breakTicksLeft_ <= 0) return;
    if (--breakTicksLeft_ == 0) port_.EndBreak();
}

void OutputStrings::TimedOutputStep() {
    // A lost device gets no timed action; the schedule starts afresh when it is back.
    if (!TimedOutputEnabled() || deviceLost_) {
        base_ = 0;
        return;
    }
    const uint32_t now = clock_.TickCount();
    if (base_ == 0) {
        base_ = static_cast<int32_t>(now);
        return;
    }
    // Elapsed time by unsigned subtraction, so the schedule survives the counter's wrap.
    const uint32_t interval = static_cast<uint32_t>(g_.TimerInterval);
    if (now - static_cast<uint32_t>(base_) < interval) return;
    if (flags_ & kTimedOutputDtr) {
        PulseDtr();
    } else if (flags_ & kTimedOutputBreak) {
        StartBreak();
    } else {
        Append(g_.TimerString);
    }
    // One action per tick: missed actions follow on the next ticks until caught up. A base
    // that would leave the signed range restarts the schedule instead.
    const int64_t next = static_cast<int64_t>(base_) + g_.TimerInterval;
    base_ = next > std::numeric_limits<int32_t>::max() ? 0 : static_cast<int32_t>(next);
}

void OutputStrings::OptoRsPoll() {
    if (g_.FlowControl != 3 || IsVirtual()) return;
    if (deviceLost_) {
        lastModemStatus_ = 0;  // a device back with DSR on is asked for a reading
        return;
    }
    // Only the moment DSR comes on (alone) asks the device for a reading.
    const uint32_t status = port_.ReadModemStatus();
    if (status == kModemDsr && lastModemStatus_ != kModemDsr) Append("?\r");
    lastModemStatus_ = status == kModemDsr ? kModemDsr : 0;
}

void OutputStrings::Flush() {
    if (!IsVirtual()) {
        FlushOutputQueue(g_, port_);
        return;
    }
    if (g_.OutputQueue.empty()) return;
    std::string shown = g_.OutputQueue;
    for (char& c : shown) {
        if (c == '\0') c = static_cast<char>(255);
    }
    if (device_) device_->ShowOutput(shown);
    g_.OutputQueue.clear();
}

bool OutputStrings::ToggleTimedOutput() {
    SetTimedOutputEnabled(!TimedOutputEnabled());
    return TimedOutputEnabled();
}

void OutputStrings::SetTimedOutputEnabled(bool enabled) {
    flags_ = static_cast<int16_t>(enabled ? (flags_ | kTimedOutputEnabled)
                                          : (flags_ & ~kTimedOutputEnabled));
}

}  // namespace quorvane
