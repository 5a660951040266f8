// The text of --show-config: every stored setting in file order, one "Name = value" a line.
// Texts are shown with C-style escapes so that every byte is visible; enumerated values get
// their meaning after a "#".
#pragma once

#include <string>
#include <string_view>

#include "config/SetupGlobals.h"

namespace quorvane {

// Printable ASCII stays as it is; \r \n \t \0 \\ and \xNN for every other byte.
std::string EscapeText(std::string_view bytes);

// The readable name of a hot key code: "Ctrl+Alt+F2"; "none" when the key byte is 0.
std::string HotKeyCodeName(int16_t code);

// The whole listing, lines ending in LF.
std::string ConfigListing(const SetupGlobals& g);

}  // namespace quorvane
