// A serial port that records every call and plays bytes set by the test. Line states follow
// the calls the way a device's lines would.
#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Clock.h"
#include "platform/SerialPort.h"

namespace quorvane {

class FakeSerialPort : public SerialPort {
  public:
    struct Call {
        std::string What;   // "Open COM1", "SetDtr 0", "Write abc", "Close", ...
        uint32_t Tick = 0;  // clock->TickCount() at the call, 0 without a clock
    };

    SerialError Open(const std::string& portName, const LineRequest& lines) override;
    SerialError Reopen() override;
    void Close() override;
    bool IsOpen() const override { return open; }
    bool IsLost() const override { return lost; }
    const SerialError& LossReason() const override { return lossReason; }
    size_t PeekBytes(const uint8_t*& data) override;
    void ConsumeBytes(size_t n) override;
    size_t Write(std::string_view bytes) override;
    void SetDtr(bool on) override;
    void SetRts(bool on) override;
    void StartBreak() override;
    void EndBreak() override;
    void PurgeQueues() override;
    uint32_t ReadModemStatus() override;

    // Bytes the device sends next.
    void Play(std::string_view bytes) { input.append(bytes); }
    // The device goes away: the port closes and reports the loss.
    void Lose(int osError = 5, const std::string& osMessage = "Input/output error");
    // The names of the calls, in order.
    std::vector<std::string> CallNames() const;

    // Set by the test.
    Clock* clock = nullptr;
    std::deque<SerialError> openResults;  // answers of Open/Reopen in turn; success when empty
    std::deque<size_t> writeLimits;       // bytes each Write takes in turn; all when empty
    uint32_t modemStatus = 0;

    // Seen by the test.
    std::vector<Call> calls;
    std::string input;  // sent by the device and not consumed
    std::string written;
    std::string portName;
    LineRequest request;
    bool open = false;
    bool lost = false;
    SerialError lossReason;
    bool dtr = false;
    bool rts = false;
    bool breakOn = false;

  private:
    size_t peeked_ = 0;  // handed out by PeekBytes, not consumed, not purged

    void Record(std::string what);
    SerialError Answer();
};

}  // namespace quorvane
