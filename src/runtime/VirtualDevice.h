// The virtual device of Virtual Instrument mode: it stands in for the port. Its pending input
// text is what the engine reads (ReadPortByte), and the output the runtime would write to the
// port is shown in its display.
#pragma once

#include <string>

#include "platform/ByteSource.h"

namespace quorvane {

class VirtualDevice : public ByteSource {
  public:
    // Appends to the display; text is the display form (NUL shown as code 255) in code-page
    // bytes, and the caret goes to its end.
    virtual void ShowOutput(const std::string& text) = 0;
    // Empties the pending input text (Reset).
    virtual void ClearPendingInput() = 0;
    // The runtime ends: the device window goes too.
    virtual void Close() = 0;
};

}  // namespace quorvane
