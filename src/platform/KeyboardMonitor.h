// A system-wide keyboard monitor for hot keys: it watches registered key combinations
// whatever window has the focus and reports every transition of them (first press, repeat,
// release) to one handler, which decides whether the keystroke is swallowed. Keys are named
// by Windows virtual-key codes (112 F1 ...), modifiers by the hot key modifier bits.
#pragma once

#include <cstdint>
#include <functional>

namespace quorvane {

// Modifier bits of key combinations and transitions.
inline constexpr int kKeyModShift = 1;
inline constexpr int kKeyModCtrl = 2;
inline constexpr int kKeyModAlt = 4;
inline constexpr int kKeyModWin = 8;  // the logo (Super) key

// Keystroke flag bits of a transition, as in a key message.
inline constexpr uint32_t kKeyFlagWasDown = 1u << 30;    // a repeat (or any release)
inline constexpr uint32_t kKeyFlagReleasing = 1u << 31;  // the key goes up

struct KeyCombination {
    int virtualKey = 0;
    int modifiers = 0;  // kKeyMod* bits that must be held, exactly

    bool operator==(const KeyCombination&) const = default;
};

struct KeyTransition {
    int virtualKey = 0;
    uint32_t flags = 0;  // 0 for a first press; kKeyFlag* bits otherwise
    int modifiers = 0;   // kKeyMod* bits held at the transition
};

enum class KeyRegistration {
    Watched,  // the combination is reported from now on
    Refused,  // another program holds it, or the current layout has no key for it
};

class KeyboardMonitor {
  public:
    // Called on the program's thread for each transition of a watched combination. Returns
    // true to swallow the keystroke; false lets it reach the focused window when the monitor
    // can still pass it on.
    using Handler = std::function<bool(const KeyTransition&)>;

    virtual ~KeyboardMonitor() = default;

    virtual void SetHandler(Handler handler) = 0;
    // Watches combination, whatever the state of Caps Lock and Num Lock.
    virtual KeyRegistration Register(const KeyCombination& combination) = 0;
    // Stops watching every registered combination.
    virtual void ReleaseAll() = 0;
    // Whether a Shift key is held now, from the live keyboard state.
    virtual bool ShiftHeld() = 0;
};

}  // namespace quorvane
