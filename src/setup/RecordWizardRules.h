// The rules of the record structure wizard (RecType, Timed, Fixed, RecStructure, Delim) and of
// the record definition editor (RecDefs): what the numeric boxes read, what each "Continue..."
// checks and stores, where the chain goes next, and how the editor's working copies of the
// field definitions are navigated, checked and written back on OK. Texts are code-page bytes.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "config/SetupGlobals.h"

namespace quorvane {

inline constexpr int kMinGapTicks = 1, kMaxGapTicks = 255;
inline constexpr int kMinRecordLength = 1, kMaxRecordLength = 32766;
inline constexpr int kMinDelimitedFields = 2;
inline constexpr int kMaxFieldLength = 32766;
inline constexpr int kDelimiterListCount = 256;  // entry index = character code

// Option indexes of the record event groups and the structure group.
inline constexpr int kSpecialCharEvent = 3;  // StartOfRecordEvent / EndOfRecordEvent 3
inline constexpr int kEndByTimeGap = 1, kEndByByteCount = 2;
inline constexpr int kSingleField = 0, kDelimitedFields = 1, kFixedLengthFields = 2;

// --- Numeric boxes (Timed, Fixed, Delim, the editor's length box) ---

// A typed character a numeric box takes: the digits 0..9 and Backspace.
bool IsNumericBoxCharacter(char32_t character);
// True when every character of text is a digit (an empty text is all digits).
bool IsAllDigits(std::string_view text);
// The value of a box text: the number its leading digits form, 0 when there are none. A long
// run of digits saturates at 999999999, far above every limit the boxes check.
int64_t NumericBoxValue(std::string_view text);

// --- Delim's list ---

// The delimiter list entry of a code 0..255: the decimal code after one blank, then a TAB and
// the character (with the name of a control code), for example " 44\t,   COMMA".
std::string DelimiterListEntry(int code);
// An entry cut into what a list with columns shows: the code, the character (empty where the
// entry names it only: NUL, TAB, SPACE, or where it is a control code) and its name.
struct DelimiterColumns {
    std::string Code, Character, Name;
};
DelimiterColumns DelimiterListColumns(int code);
// The entry a DelimiterChar selects: the code of its first character; "," for an empty one.
int DelimiterListIndex(std::string_view delimiterChar);

// --- The wizard's steps ---

enum class WizardStep { RecStructure, Timed, Fixed, Delim, Editor };

enum class RecordEventsCheck { Ok, StartCharsMissing, EndCharsMissing };
// RecType's check: a special character event needs at least one character (a NUL counts).
RecordEventsCheck CheckRecordEvents(int startEvent, int endEvent, std::string_view startChars,
                                    std::string_view endChars);
// RecType's store after a passed check: both events, both character sets (also when their
// option is not chosen), and for an end by byte count fixed-length fields with 40 slots.
// Sets ConfigChanged when a stored value differs. Returns the next dialog.
WizardStep StoreRecordEvents(SetupGlobals& g, int startEvent, int endEvent,
                             const std::string& startChars, const std::string& endChars);

bool GapTicksInRange(int64_t ticks);
bool RecordLengthInRange(int64_t length);
bool DelimitedFieldsInRange(int64_t fields);

// Timed: stores RecordGapTicks (in range); the next dialog is RecStructure.
void StoreGapTicks(SetupGlobals& g, int ticks);
// Fixed: stores RecordLength (in range) and gives the editor 40 field slots.
void StoreRecordLength(SetupGlobals& g, int length);
// RecStructure: stores the structure; single-field records clear every field length and keep
// one field, fixed-length fields get 40 slots with their lengths kept. Returns Delim for
// delimited records, else Editor.
WizardStep StoreRecordStructure(SetupGlobals& g, int structure);
// Delim: stores the field count (in range) and the delimiter, and clears every field length.
void StoreDelimited(SetupGlobals& g, int fields, char delimiter);

// --- The record definition editor ---

// The filter list: index k stands for the (k+1)-th letter of "CINHOB".
inline constexpr std::string_view kFilterLetters = "CINHOB";
// The letter for a list index; "C" for an index outside the list.
std::string FilterLetterOf(int index);
// The list index that shows a letter: its place in "INHOB" (1..5), 0 for any other text.
int FilterIndexOf(std::string_view letter);
// The letter stored when the list shows index: a letter the list shows at index is kept as it
// is, so that a letter it only shows as "None" (such as "X") survives a visit unchanged.
std::string FilterLetterAfterChoice(std::string_view shownLetter, int index);

// The editor's working copies, entries 1..40.
struct FieldDefinitions {
    std::array<std::string, kFieldSlots> Filter, Postamble, Format, Math;
    std::array<int16_t, kFieldSlots> Length{};
};
FieldDefinitions FieldDefinitionsOf(const SetupGlobals& g);

// The settings that steer the editor, as PrepareFieldEditor finds them.
struct FieldEditorContext {
    int NumberOfFields = 1;
    int EndOfRecordEvent = 0;
    int RecordStructure = 0;
    int RecordLength = 0;
};
FieldEditorContext FieldEditorContextOf(const SetupGlobals& g);

// The bytes defined: the sum of the lengths of fields 1..40, 32767 when it exceeds 32766.
int BytesDefined(const FieldDefinitions& w);
// The last field number the editor may show: NumberOfFields, kept within 1..40.
int LastFieldNumber(const FieldEditorContext& c);
// "Next Field" on field p: a further field exists; with an end by byte count also either the
// record is not yet full or field p+1 already has a length.
bool NextFieldEnabled(int p, const FieldEditorContext& c, const FieldDefinitions& w);
// "Next Field" right after "Previous Field", which only asks for a further field.
bool NextFieldEnabledAfterPrevious(int p, const FieldEditorContext& c);
bool PreviousFieldEnabled(int p);

// A length typed into the length box: above 32766 it is refused while typing.
bool FieldLengthTooLarge(int64_t value);
// Whether the length box's changes are stored.
bool FieldLengthsEdited(const FieldEditorContext& c);
// "Next Field" leaving a fixed-length field of length 0 or above 32766 is refused.
bool NextFieldRefused(const FieldEditorContext& c, int64_t lengthBoxValue);

enum class FieldEditorOkCheck {
    Ok,
    // The lengths do not add up to RecordLength (end by byte count). The fields used are those
    // before the first length 0, so a gap among the lengths is refused too: the record would
    // never reach its length.
    SumNotRecordLength,
    // Fixed-length fields with field 1 of length 0: the record would have no field at all.
    FirstFieldEmpty,
};
FieldEditorOkCheck CheckFieldEditorOk(const FieldEditorContext& c, const FieldDefinitions& w);

// NumberOfFields after OK: for fixed-length fields the number of fields before the first
// length 0; unchanged when all 40 have a length or for other structures.
int NumberOfFieldsOnOk(const FieldEditorContext& c, const FieldDefinitions& w);

// OK after a passed check: NumberOfFields by the rule above, RecordPreamble, and the five
// working arrays of fields 1..40. Sets ConfigChanged when any stored value differs.
void StoreFieldDefinitions(SetupGlobals& g, const FieldDefinitions& w, const std::string& preamble);

// The editor's caption and labels by Mode (an unknown Mode is shown as Send Keystrokes).
struct FieldEditorTexts {
    int CaptionId, PreambleLabelId, PostambleLabelId;
    bool KeystrokeList, AsciiChart;
};
FieldEditorTexts FieldEditorTextsFor(int mode);

}  // namespace quorvane
