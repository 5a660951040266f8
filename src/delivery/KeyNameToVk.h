// Key names of the keystroke macro notation and the key codes that the parser emits.
// A code is a Windows virtual-key code (1..255), or kCharacterBit plus a code-page byte for
// a character typed through its layout key; kShiftBit marks a key that needs Shift.
#pragma once

#include <string_view>

#include "platform/KeyInjector.h"

namespace quorvane {

inline constexpr int kShiftBit = 256;
inline constexpr int kCharacterBit = 512;

// The code of a key name: a one-character name gives the layout's key for that character
// (see KeyCodeOfCharacter); other names (any letter case) come from the key-name table
// ("ENTER", "TAB", "F1" ...). 0 when unknown.
int KeyNameToVk(std::string_view name, KeyLayout& layout);

// The code of one character of macro text: the control characters that have a key
// (Backspace, Tab, LF and CR as Enter, Escape, DEL as Backspace) give that key; a printable
// character gives kCharacterBit | byte, with kShiftBit when the layout needs Shift; every
// other control character gives 0 and types nothing.
int KeyCodeOfCharacter(unsigned char byte, KeyLayout& layout);

// The virtual-key code of a multi-character key name, 0 when the table has no such name.
int KeyTableLookup(std::string_view name);

}  // namespace quorvane
