// Key injection into whatever window has the keyboard focus. Keys are named by Windows
// virtual-key codes (16 Shift, 17 Ctrl, 18 Alt, 20 Caps Lock, 112 F1 ...); characters are
// code-page bytes, turned into Unicode by the implementation. Events may be buffered until
// Flush.
#pragma once

#include <cstdint>
#include <vector>

namespace quorvane {

// What the keystroke parser needs to know about the current keyboard layout.
class KeyLayout {
  public:
    virtual ~KeyLayout() = default;
    // True when the layout's key for byte types it only with Shift held. A character that the
    // layout lacks needs no Shift (it is typed through a key bound for the moment).
    virtual bool CharacterNeedsShift(unsigned char byte) = 0;
};

enum class LockKey { CapsLock, NumLock, ScrollLock };

// Keys in the implementation's own numbering: those SaveKeyboardState found held and
// released, or those of them KeysStillHeld found the user still holding.
struct KeyboardSnapshot {
    std::vector<uint32_t> heldKeys;
};

class KeyInjector : public KeyLayout {
  public:
    // Presses or releases the key of a virtual-key code; codes without a key do nothing.
    virtual void KeyDown(int virtualKey) = 0;
    virtual void KeyUp(int virtualKey) = 0;
    // Presses and releases the layout's key for byte with the modifiers as they are now held
    // (the caller holds Shift when CharacterNeedsShift says so). A character without a key
    // on the layout is typed through a spare key bound to it for the moment.
    virtual void TypeCharacter(unsigned char byte) = 0;
    // Notes the keys held now (modifiers and lock keys) and releases them.
    virtual KeyboardSnapshot SaveKeyboardState() = 0;
    // The saved keys that the user's own keyboard still holds down now. A macro may run for
    // seconds; a key let go of meanwhile is left out, so that it is not pressed again and
    // left down with nobody to release it.
    virtual KeyboardSnapshot KeysStillHeld(const KeyboardSnapshot& saved) = 0;
    // Presses the snapshot's keys again.
    virtual void RestoreKeyboardState(const KeyboardSnapshot& snapshot) = 0;
    virtual bool IsLockOn(LockKey lock) = 0;
    // Switches a lock by a press and release of its key.
    virtual void ToggleLock(LockKey lock) = 0;
    // Sends every buffered event and waits until the display has processed them.
    virtual void Flush() = 0;
};

}  // namespace quorvane
