#include "delivery/KeyMacroPlayer.h"

#include "delivery/KeyNameToVk.h"

namespace quorvane {

bool KeyMacroPlayer::Next(KeyStep& step) {
    if (pendingUp_ != 0) {
        step = {KeyStep::Up, pendingUp_};
        pendingUp_ = 0;
        return true;
    }
    if (next_ >= list_.size()) return false;
    const int entry = list_[next_++];
    if (entry >= 16 && entry <= 18) {
        bool& held = held_[entry - 16];
        held = !held;
        step = {held ? KeyStep::Down : KeyStep::Up, entry};
    } else if (entry & kCharacterBit) {
        step = {KeyStep::Character, entry & 0xFF};
    } else {
        step = {KeyStep::Down, entry};
        pendingUp_ = entry;
    }
    return true;
}

}  // namespace quorvane
