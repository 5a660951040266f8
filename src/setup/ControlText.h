// The rules of the control-character text boxes. A box shows a displayable copy of a stored
// value that may hold any byte 0..255; these functions say, for each key, character or
// picked character, how the stored value changes and what the box must show, so that the
// two never drift apart. They know nothing of widgets: positions are the box's own (caret
// and selection as the box counts characters), texts are code-page bytes.
//
// A single-line box holds one character per stored byte. A multi-line box holds a line
// break for a stored CR LF pair, and also for a lone CR or a lone LF, each counting as one
// box character; the stored value keeps exactly which it was.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

// The key codes the rules look at (Windows virtual-key numbers); every other key is Other.
enum class ControlKey : int { Other = 0, Backspace = 8, Enter = 13, Insert = 45, Delete = 46 };

// Modifier set bits.
inline constexpr int kControlShift = 1;
inline constexpr int kControlCtrl = 2;
inline constexpr int kControlAlt = 4;

inline constexpr char kDisplayedNul = '\xFF';  // a stored NUL shows as character 255

// The display form: every NUL replaced by character 255, nothing else changed.
std::string ToDisplayText(std::string_view value);

// The number of characters the box holds for value.
size_t BoxLength(std::string_view value, bool multiLine);
// The stored index where box character boxPos begins (value.size() at or past the end).
size_t BoxToStored(std::string_view value, size_t boxPos, bool multiLine);
// The box position of stored index; an index between the CR and LF of a pair counts as the
// pair's own position.
size_t StoredToBox(std::string_view value, size_t index, bool multiLine);

// What a box holds when a rule is asked: its stored value and its selection in box
// positions (selStart is the caret when selLength is 0). Positions past the end are clamped.
struct ControlTextBoxState {
    std::string_view stored;
    size_t selStart = 0;
    size_t selLength = 0;
    bool multiLine = false;
};

// The outcome of a rule.
struct ControlTextEdit {
    std::string stored;      // the new stored value (the old one when nothing changed)
    bool changed = false;    // stored differs from the old value
    bool cancelled = false;  // the box must not handle the key or character itself
    // The box range the edit takes away, in box positions of the old value: the
    // selection, the one character a deletion key removes, or the stretch to the end.
    size_t boxStart = 0;
    size_t boxLength = 0;
    // When the rule edits the box itself (the key is then cancelled): the text, in display
    // form, that takes the place of that range. Without it, a change of stored is the one
    // the box makes on its own (deleting the range, or inserting the typed character).
    std::optional<std::string> replacement;
    size_t caret = 0;  // stored index of the caret after the edit
    bool beep = false;
    std::optional<std::string> clipboard;  // the new internal clipboard, when the rule sets it
};

// Before the box handles a key. modifiers: kControlShift | kControlCtrl | kControlAlt.
ControlTextEdit ControlTextKeyDown(const ControlTextBoxState& box, ControlKey key, int modifiers,
                                   std::string_view clipboard);
// For a character the key produced (code 0..255; 8 is Backspace).
ControlTextEdit ControlTextKeyPress(const ControlTextBoxState& box, int code);
// A character (or an extra entry's text) picked from the ASCII chart replaces the selection.
ControlTextEdit InsertPicked(const ControlTextBoxState& box, std::string_view picked);

}  // namespace quorvane
