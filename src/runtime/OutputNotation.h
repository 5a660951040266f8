// The output-string notation of the commands that send bytes to the device: quoted text and
// decimal byte codes, as in 'Hello',13,10 or 27'P'0.
#pragma once

#include <string>
#include <string_view>

namespace quorvane {

// Decodes the notation into bytes. A single quote opens or closes a quoted part whose bytes
// are copied unchanged; outside quotes a run of digits is one byte (its value modulo 256, so
// 300 is 44) and every other byte only ends a run. A quote opening a part also ends a run, and
// a run at the end is emitted. Never fails: an unclosed quote runs to the end of the text.
std::string DecodeOutputNotation(std::string_view notation);

}  // namespace quorvane
