// A key injector on a US layout that records what it is asked to do as readable lines
// ("down SHIFT", "char A", "up SHIFT", "toggle CAPSLOCK", "flush") and keeps the text a
// US keyboard would have produced, honouring Shift and Caps Lock.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "platform/KeyInjector.h"

namespace quorvane {

class FakeKeyInjector : public KeyInjector {
  public:
    bool CharacterNeedsShift(unsigned char byte) override;
    void KeyDown(int virtualKey) override;
    void KeyUp(int virtualKey) override;
    void TypeCharacter(unsigned char byte) override;
    KeyboardSnapshot SaveKeyboardState() override;
    KeyboardSnapshot KeysStillHeld(const KeyboardSnapshot& saved) override;
    void RestoreKeyboardState(const KeyboardSnapshot& snapshot) override;
    bool IsLockOn(LockKey lock) override;
    void ToggleLock(LockKey lock) override;
    void Flush() override { events.push_back("flush"); }

    // The recorded lines joined by ", "; without "flush" lines unless asked.
    std::string Events(bool withFlush = false) const;
    void ClearEvents() {
        events.clear();
        typed.clear();
    }

    // Names used in the lines: SHIFT, CTRL, ALT, the key-name table's names, else VKn.
    static std::string KeyLabel(int virtualKey);

    std::vector<std::string> events;
    std::string typed;   // UTF-8; Enter and Tab as "\n" and "\t", other keys as "<NAME>"
    std::set<int> held;  // virtual keys down now, the user's included
    // The keys the user's own keyboard holds: SaveKeyboardState sets it to the keys it
    // found held; a test erases one to let go of it during the typing.
    std::set<int> userHolds;
    bool capsLock = false;
    bool numLock = false;

  private:
    bool ModifierHeld(int virtualKey) const { return held.count(virtualKey) != 0; }
};

}  // namespace quorvane
