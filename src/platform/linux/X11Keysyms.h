// Windows virtual-key codes and characters to X keysyms, for the X11 key injector.
#pragma once

#include "platform/KeyInjector.h"

namespace quorvane {

// X keysyms are 29-bit values; 0 is NoSymbol.
using X11Keysym = unsigned long;

// The keysym of a virtual-key code: F1-F16, the named keys, the modifiers, the numeric pad,
// letters, digits and the US meaning of the OEM keys; 0 for codes without a key here.
X11Keysym KeysymForVirtualKey(int virtualKey);

// The keysym that types a Unicode character: the Latin-1 keysyms, the legacy keysyms of the
// other Windows-1252 characters (EuroSign, OE, ellipsis ...), otherwise the Unicode keysym.
X11Keysym KeysymForCodePoint(char32_t codePoint);

// The keysym of a lock key (Caps_Lock, Num_Lock, Scroll_Lock).
X11Keysym KeysymForLock(LockKey lock);

// The character a keysym types, 0 for keysyms that type none (function keys, modifiers).
char32_t CodePointForKeysym(X11Keysym keysym);

}  // namespace quorvane
