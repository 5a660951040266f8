// The virtual device of Virtual Instrument mode: it stands in for the port. It keeps the
// virtual input (what the device window has sent and the engine has not read yet), which the
// engine reads as its byte source; the output the runtime would write to the port is shown in
// the window's display.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/ByteSource.h"

namespace quorvane {

class VirtualDevice : public ByteSource {
  public:
    // The whole unread virtual input is one span; new input and Clear make it stale.
    size_t PeekBytes(const uint8_t*& data) final;
    void ConsumeBytes(size_t n) final;

    // The window's Send: bytes appended to the virtual input, read on the next ticks.
    void SendInput(std::string_view bytes);
    // Empties the virtual input (window load, Reset).
    void ClearPendingInput();
    // The virtual input not read yet.
    std::string_view PendingInput() const;

    // Appends to the display; text is the display form (NUL shown as code 255) in code-page
    // bytes, and the caret goes to its end.
    virtual void ShowOutput(const std::string& text) = 0;
    // The runtime ends: the device window goes too.
    virtual void Close() = 0;

  private:
    std::string input_;
    size_t readPos_ = 0;  // input_ before it has been read; dropped when it pays to
    size_t peeked_ = 0;   // what the last PeekBytes handed out and is not consumed yet
};

}  // namespace quorvane
