// The configuration writer over a byte buffer: the current layout, byte for byte.
#pragma once

#include <string>

#include "config/SetupGlobals.h"

namespace quorvane {

// Appends the whole file to out. False when a value cannot be stored in the layout: a
// single-line setting holding CR LF (it would split into two lines), an empty DelimiterChar
// or InputTranslation entry (the file stores a character code), a character table that is not
// 256 long, or a raw text of 2^31 bytes or more. out is then incomplete and must be dropped.
bool SerializeConfig(const SetupGlobals& g, std::string& out);

}  // namespace quorvane
