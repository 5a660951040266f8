// Everything the runtime sends to the device: the one output queue (OutputQueue in the
// settings) that every sender appends to and only the once-per-tick flush takes from, the
// timed output, the string buttons and the DTR and BREAK line signals. In Virtual Instrument
// mode no line is touched and the flush goes to the virtual device's display.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "config/SetupGlobals.h"
#include "platform/Clock.h"
#include "platform/SerialPort.h"
#include "runtime/VirtualDevice.h"

namespace quorvane {

// TimedOutputFlags bits (a copy of TimerOptions taken at activation).
inline constexpr int16_t kTimedOutputEnabled = 1;
inline constexpr int16_t kTimedOutputDtr = 4;
inline constexpr int16_t kTimedOutputBreak = 8;
// Poll ticks a BREAK lasts after its last start.
inline constexpr int kBreakTicks = 2;

class OutputStrings {
  public:
    // Every reference must outlive this object; device is used in Virtual Instrument mode
    // and may be null otherwise.
    OutputStrings(SetupGlobals& g, SerialPort& port, Clock& clock, VirtualDevice* device);

    // Start state: the timer flags from TimerOptions (disabled without an interval), the
    // schedule restarting, no BREAK pending, no DSR seen.
    void Activate();

    bool IsVirtual() const { return g_.RunMode == kRunVirtual; }

    // Output of the program's own (timed output, the Opto-RS request): added to the end of the
    // queue, written on the next tick; dropped and counted when it would pass
    // kOutputQueueLimit.
    void Append(std::string_view text) {
        if (!AppendWithinOutputLimit(g_.OutputQueue, text)) ++droppedOwnOutput_;
    }
    uint64_t DroppedOwnOutput() const { return droppedOwnOutput_; }
    // An explicit send (a button, a hot key, a command): queued unless the queue would then
    // pass kOutputQueueLimit, or OutputBufferSize while the device is lost; false when refused.
    bool Send(std::string_view text);
    // The bytes an explicit send may still add.
    size_t SendRoom() const;
    // StringButton(n), n = 1..20: sends ButtonString[n] (empty adds nothing); false when the
    // send was refused.
    bool PressStringButton(int n);

    // While the device is lost nothing is queued on the program's own account (timed output,
    // the Opto-RS request) and explicit sends are held to OutputBufferSize bytes, so that a
    // device coming back does not get a burst of stale output.
    void SetDeviceLost(bool lost) { deviceLost_ = lost; }
    bool DeviceLost() const { return deviceLost_; }

    // Line signals; none of them does anything in Virtual Instrument mode.
    void StartBreak();  // BREAK on; the tick countdown ends it two ticks later
    void PulseDtr();    // DTR low for 155 ms (busy wait), then high
    void SetDtr(bool on);
    void SetRts(bool on);

    // Poll-tick steps, in the order the tick calls them.
    void BreakCountdown();
    void TimedOutputStep();
    void OptoRsPoll();  // only with FlowControl Opto-RS
    void Flush();

    // The TOutCtrl switch: flips the enabled bit; returns the new state.
    bool ToggleTimedOutput();
    void SetTimedOutputEnabled(bool enabled);
    bool TimedOutputEnabled() const { return (flags_ & kTimedOutputEnabled) != 0; }
    // The next timed action comes one full interval after the next tick (Resume, Reset).
    void RestartSchedule() { base_ = 0; }

    int16_t TimedOutputFlags() const { return flags_; }
    int32_t TimedOutputBase() const { return base_; }
    int BreakTicksLeft() const { return breakTicksLeft_; }

  private:
    SetupGlobals& g_;
    SerialPort& port_;
    Clock& clock_;
    VirtualDevice* device_;
    int16_t flags_ = 0;
    int32_t base_ = 0;  // tick of the last timed action, read as a signed value; 0 = restart
    int breakTicksLeft_ = 0;
    uint32_t lastModemStatus_ = 0;  // kModemDsr when DSR alone was on at the last poll
    bool deviceLost_ = false;
    uint64_t droppedOwnOutput_ = 0;
};

}  // namespace quorvane
