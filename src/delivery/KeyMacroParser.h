// The keystroke macro parser: macro text (code-page bytes) to a key event list.
//   c      the layout's key for c, inside Shift when the layout needs Shift
//   ~      Enter
//   +x ^x %x   x with Shift, Ctrl or Alt held (x one element or a group)
//   (...)  a group
//   {NAME} {NAME n}  a named key (or one character), n times
#pragma once

#include <string_view>

#include "delivery/KeyEventList.h"
#include "platform/KeyInjector.h"

namespace quorvane {

enum KeyMacroError {
    kKeyMacroOk = 0,
    kKeyMacroUnclosedBrace = 1,  // "{" without "}" (or without a space or "}" after the name)
    kKeyMacroUnknownKey = 2,
    kKeyMacroUnclosedGroup = 3,  // "(" without ")"
    kKeyMacroBadCount = 4,       // repeat count zero or not a number
    kKeyMacroTooLong = 5,        // more than kMaxKeyEvents entries (or nesting too deep)
};

struct KeyMacroSyntax {
    // "{ }" is the space bar (the default typing method); otherwise it is an unknown key.
    bool braceSpaceIsSpace = false;
};

// Groups and modifiers nest at most this deep; deeper text is refused as too long.
inline constexpr int kMaxKeyMacroNesting = 256;

// Parses the whole text into out (cleared first). Returns a KeyMacroError; on an error out
// holds what was parsed so far and must not be typed.
int ParseKeyMacro(std::string_view text, KeyLayout& layout, const KeyMacroSyntax& syntax,
                  KeyEventList& out);

// The leading integer of text: spaces skipped, an optional sign, then digits; 0 when there
// are none. Saturates far beyond any useful count or delay.
long long LeadingInteger(std::string_view text);

}  // namespace quorvane
