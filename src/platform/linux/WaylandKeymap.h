// The keyboard layout that the Wayland virtual keyboard uploads to the compositor. Ours, not
// the user's: whatever layout the user has chosen, the target reads our keys through this
// keymap, so every character types as itself.
//
// It starts as a US-like layout (letters, digits and ASCII punctuation at levels 1 and 2, so
// Shift works as the macro expects) plus one key for every named key and modifier. A
// character the keymap lacks is given a key of its own, one level, so that Shift cannot
// change it; the caller uploads the grown keymap before typing it. When every keycode is in
// use, the character key used longest ago is taken over.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/linux/X11Keysyms.h"

namespace quorvane {

struct KeymapKey {
    uint32_t keycode = 0;  // an XKB keycode (evdev code + 8); 0 when there is none
    bool shift = false;    // typed at level 2
};

class WaylandKeymap {
  public:
    // XKB keycodes that X clients (XWayland) can still see: 8 to 255.
    static constexpr uint32_t kFirstKeycode = 9;
    static constexpr uint32_t kLastKeycode = 255;

    // Modifier bits as the uploaded keymap numbers them (the X real modifiers).
    static constexpr uint32_t kShiftMask = 1u << 0;
    static constexpr uint32_t kLockMask = 1u << 1;
    static constexpr uint32_t kControlMask = 1u << 2;
    static constexpr uint32_t kMod1Mask = 1u << 3;  // Alt
    static constexpr uint32_t kMod2Mask = 1u << 4;  // Num Lock
    static constexpr uint32_t kMod4Mask = 1u << 6;  // Super

    WaylandKeymap();

    // The key that types codePoint; one is added when the keymap has none (Changed() then
    // says the keymap must be uploaded again). keycode 0 for characters without a keysym.
    KeymapKey KeyForCharacter(char32_t codePoint);
    // The key of a keysym (a named key, a modifier), added when missing.
    uint32_t KeyForKeysym(X11Keysym keysym);
    // The key of keysym if the keymap has one, without adding it.
    KeymapKey Find(X11Keysym keysym) const;
    // The modifier bit that a key sets while held or locks, 0 for other keys.
    uint32_t ModifierOf(uint32_t keycode) const;
    bool IsLockKey(uint32_t keycode) const;

    // True when keys were added or replaced since the last TakeChanged.
    bool Changed() const { return changed_; }
    void TakeChanged() { changed_ = false; }

    // The keymap in XKB text form (xkb_keymap_format v1), NUL-terminated when uploaded.
    std::string Text() const;

  private:
    struct Key {
        X11Keysym levels[2] = {0, 0};
        bool added = false;  // a character key given out on demand (may be taken over)
        uint64_t lastUse = 0;
    };

    uint32_t AddKey(X11Keysym lower, X11Keysym upper);
    uint32_t AddOnDemand(X11Keysym keysym);

    std::vector<Key> keys_;  // keys_[i] holds keycode kFirstKeycode + i
    std::unordered_map<X11Keysym, KeymapKey> places_;
    uint64_t uses_ = 0;
    bool changed_ = true;  // nothing uploaded yet
};

}  // namespace quorvane
