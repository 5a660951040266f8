// The services the record engine calls, all owned by the runtime session and outliving the
// engine. Only the byte source is not here: the session hands it to each tick.
#pragma once

#include "delivery/KeystrokeTarget.h"
#include "engine/EngineView.h"
#include "engine/LogSink.h"
#include "platform/Clock.h"
#include "platform/DdeClient.h"
#include "platform/Messages.h"

namespace quorvane {

struct EngineServices {
    Messages& messages;     // input beep, the log error message
    Clock& clock;           // date and time tokens of preambles and postambles
    EngineView& view;       // Field(n) and RecordNumber boxes, suspension changes
    KeystrokeTarget& keys;  // Send Keystrokes delivery
    DdeClient& dde;         // DDE Server delivery commands
    LogSink& log;           // Log to disk delivery
};

}  // namespace quorvane
