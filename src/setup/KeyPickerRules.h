// The rules of the two key pickers and the hot key editor: the keystroke picker's list and the
// macro text it gives, the hot key picker's list and the code it gives, how a hot key code is
// shown, and which keys of the editor's key box become a hot key. Texts are code-page bytes.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "config/SetupGlobals.h"

namespace quorvane {

// Modifier flags of a hot key code's high byte and of the pickers' check boxes.
inline constexpr int kHotKeyShift = 1;
inline constexpr int kHotKeyCtrl = 2;
inline constexpr int kHotKeyAlt = 4;

inline constexpr int kKeystrokeListCount = 228;
inline constexpr int kHotKeyListCount = 100;
inline constexpr char kNulEntry[] = "NUL";

// The keystroke picker's entries, in list order: "NUL", the named keys, then the single
// characters 33..126 and 161..255.
const std::vector<std::string>& KeystrokeList();

// The macro text for a keystroke entry with modifiers (kHotKey* bits): "NUL" stays "NUL";
// names and the notation's own characters go in braces, SPACE becomes "{ }", and a character
// above 127 drops the modifiers. Under direct key events the own synthesizer cannot type
// "{ }", so a space is a plain " " then.
std::string KeystrokeResult(const std::string& entry, int modifiers, bool directKeyEvents = false);

// The hot key picker's entries, in list order (the key-name table's display order), and the
// virtual-key code of entry index (0 outside the list).
const std::vector<std::string>& HotKeyList();
int HotKeyListCode(int index);

// "SHIFT+", "CTRL+", "ALT+" for the flags set, in that order.
std::string HotKeyPrefix(int modifiers);
// modifiers * 256 + virtualKey.
int HotKeyCodeOf(int modifiers, int virtualKey);
// A hot key code shown as the prefix of its high byte and the name of its low byte.
std::string HotKeyDisplayName(int code);

// What the hot key picker returns: the display name (empty when nothing was picked), the hot
// key code and the modifier flags.
struct HotKeyPick {
    std::string Name;
    int Code = 0;
    int Modifiers = 0;
};
HotKeyPick HotKeyPickOf(int index, int modifiers);

// The action list: action a is captioned by string kFirstHotKeyActionStringId + a.
inline constexpr int kHotKeyActionCount = 14;
inline constexpr int kFirstHotKeyActionStringId = 2009;
inline constexpr int kTransmitStringAction = 1;
int HotKeyActionStringId(int action);

// The virtual-key code that a key of the key box becomes, from the toolkit's key number (a
// Qt::Key value) and whether it came from the keypad; 0 for a key the name table does not
// name (Shift, Ctrl and Alt alone among them). Shifted symbols give their US-layout key.
int VirtualKeyForQtKey(int qtKey, bool keypad);

// One hot key slot as the editor holds it.
struct HotKeySlot {
    int16_t Code = 0;
    int16_t Action = 0;
    std::string String;
    bool operator==(const HotKeySlot&) const = default;
};
using HotKeySlots = std::array<HotKeySlot, kHotKeySlots>;

HotKeySlots HotKeySlotsOf(const SetupGlobals& g);
// Writes the slots back; sets ConfigChanged (and returns true) when any slot differs.
bool StoreHotKeySlots(SetupGlobals& g, const HotKeySlots& slots);

}  // namespace quorvane
