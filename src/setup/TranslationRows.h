// The rules of the translation table editor: which table an opening edits, the 256 row
// prefixes, what the translation column shows, storing a pick and restoring the defaults.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "config/SetupGlobals.h"

namespace quorvane {

// The menu item that opened the editor.
enum class TranslationTable { PreInput, PreTransfer };

// TransTableKind: 0 the keystroke table, 1 a character table (DDE Server or Log to disk,
// chosen by Mode), 2 the pre-input table.
enum TransTableKinds : int { kTransKeystrokes = 0, kTransCharacters = 1, kTransInput = 2 };

int TransTableKindFor(TranslationTable which, int16_t mode);

// The fixed part of the row of code 0..255 (value, character and control name separated by
// TABs, ending with character 160), for example " 65  \tA   \t\t\xA0". Built once.
std::string TranslationRowPrefix(int code);
const std::array<std::string, 256>& TranslationRowPrefixes();

// The row's columns for a list that shows them apart: the code in decimal, the control name
// ("NUL", "TAB", "SPACE", "SOH" ...; empty for printable codes).
struct TranslationRowCells {
    std::string Value;
    std::string ControlName;
};
TranslationRowCells TranslationCellsOf(int code);

// The translation column for an entry: kind 0 the keystroke text itself; kinds 1 and 2 a
// single character as "ASCII" and its code (" ASCII 65" without the leading blank: "ASCII 65");
// a word of the pre-input table ("Ignore", "Void Record") as itself.
std::string TranslationColumnText(int kind, const std::string& entry);

// The entry of code in the table kind edits (for kind 1 the table of g.Mode), and the row
// text: prefix and translation column.
std::string TranslationEntry(const SetupGlobals& g, int kind, int code);
std::string TranslationRowText(const SetupGlobals& g, int kind, int code);

// The chart's extra entries while the pre-input table is edited.
inline constexpr const char* kIgnoreEntry = " Ignore";
inline constexpr const char* kVoidRecordEntry = " Void Record";

// Stores a non-empty pick for code: kind 0 a keystroke text; kind 2 a character or one of
// the two extra entries (stored without the leading blank); kind 1 the first character of
// the pick at position code+1 of the table of g.Mode. Does not touch ConfigChanged.
void StoreTranslation(SetupGlobals& g, int kind, int code, const std::string& pick);

// Restores the edited table to its File New defaults (does not touch ConfigChanged).
void ResetTranslationTable(SetupGlobals& g, int kind);

}  // namespace quorvane
