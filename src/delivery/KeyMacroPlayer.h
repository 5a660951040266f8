// Plays a key event list as single key steps. The player keeps the Shift, Ctrl and Alt
// flags: their entries flip the flag and give a press when it is now set, a release when
// it is now clear; a key entry gives its press, then its release; a character entry gives
// one step that types it.
#pragma once

#include <cstddef>

#include "delivery/KeyEventList.h"

namespace quorvane {

struct KeyStep {
    enum Kind { Down, Up, Character };
    Kind kind = Down;
    int code = 0;  // virtual-key code, or the code-page byte of a Character step
};

class KeyMacroPlayer {
  public:
    explicit KeyMacroPlayer(const KeyEventList& list) : list_(list) {}

    // The next step; false when the list is played out (a pending release comes first).
    bool Next(KeyStep& step);

  private:
    const KeyEventList& list_;
    size_t next_ = 0;
    int pendingUp_ = 0;
    bool held_[3] = {false, false, false};
};

}  // namespace quorvane
