// Run-time state that the runtime window owns and the record engine reads and changes. The
// session keeps one instance for the life of the window and hands the engine a reference.
#pragma once

#include <cstdint>

#include "platform/DdeClient.h"

namespace quorvane {

struct RuntimeFlags {
    bool Suspended = false;        // input is not read while set
    bool ResumeOneRecord = false;  // suspend again after the next delivered record
    int16_t ExitRequest = 0;       // -1 after {APPEXIT}; the poll tick counts it up
    int SpecialBeep = 0;           // system sound type of the input beep; 0 = plain beep
    // The DDE client conversation: 0 = none. Cleared at activation and by the client's
    // disconnect notification; the DDE Server delivery connects when it is 0.
    DdeConversationId DdeConversation = 0;
    // Acknowledgements that found the output queue full and were dropped.
    uint64_t DroppedAcknowledgements = 0;
};

}  // namespace quorvane
