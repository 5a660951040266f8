// Keeps hand-edited or damaged values inside the ranges the rest of the system indexes and
// loops with. The setup dialogs enforce these ranges when a value is typed; a file can still
// carry anything, and the reader clamps what it loaded so that, for example, NumberOfFields 99
// becomes 40 and never walks past the 43 field slots.
#pragma once

#include "config/SetupGlobals.h"

namespace quorvane {

// Moves every ranged setting to the nearest end of its range. A BaudRateIndex outside the
// baud table becomes 6, the 9600 baud that such an index means anyway. Booleans and bit sets
// are left as they are: any value of them has a meaning. Returns true when something changed.
bool ClampToRanges(SetupGlobals& g);

}  // namespace quorvane
