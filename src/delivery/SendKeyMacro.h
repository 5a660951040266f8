// SendKeyMacro: types one record's keystroke macro. "{DELAY n}" (any letter case) pauses n
// milliseconds between the pieces around it while the interface stays alive; each piece is
// typed with the typer's method. Nothing is reported: a piece that does not parse is
// dropped and the rest still typed, and a "{DELAY" without "}" ends the macro there, the
// text before it untyped.
#pragma once

#include <string_view>

#include "delivery/KeyMacroTyper.h"

namespace quorvane {

void SendKeyMacro(std::string_view text, KeyMacroTyper& typer);

}  // namespace quorvane
