#include "setup/RecordWizardRules.h"

#include <algorithm>

#include "setup/AsciiChartEntries.h"
#include "strings/StringIds.h"

namespace quorvane {

namespace {

constexpr int64_t kNumericBoxCeiling = 999999999;
constexpr int kBytesDefinedShownMax = kMaxFieldLength + 1;

template <typename T>
void StoreChanged(SetupGlobals& g, T& setting, const T& value) {
    if (setting != value) {
        setting = value;
        g.ConfigChanged = kTrue;
    }
}

void ClearFieldLengths(SetupGlobals& g) {
    for (int n = 1; n <= kMaxFields; ++n) g.FieldLength[n] = 0;
}

// The index of the first field of length 0, kMaxFields + 1 when all 40 have a length.
int FirstEmptyField(const FieldDefinitions& w) {
    for (int n = 1; n <= kMaxFields; ++n)
        if (w.Length[n] == 0) return n;
    return kMaxFields + 1;
}

}  // namespace

bool IsNumericBoxCharacter(char32_t character) {
    return character == U'\b' || (character >= U'0' && character <= U'9');
}

bool IsAllDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int64_t NumericBoxValue(std::string_view text) {
    int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') break;
        value = std::min(value * 10 + (c - '0'), kNumericBoxCeiling);
    }
    return value;
}

std::string DelimiterListEntry(int code) {
    if (code < 0 || code > 255) return {};
    const std::string n = " " + std::to_string(code);
    switch (code) {
        case 0:
            return n + "\t    NUL  ";
        case 9:
            return n + "\t    TAB";
        case 32:
            return n + "\t    SPACE";
        case 44:
            return n + "\t,   COMMA";
        default:
            break;
    }
    std::string entry = n + "  \t";
    entry += static_cast<char>(code);
    if (code < 32) {
        entry += "   ";
        entry += ControlCodeName(code);
    }
    return entry;
}

DelimiterColumns DelimiterListColumns(int code) {
    const std::string entry = DelimiterListEntry(code);
    const size_t tab = entry.find('\t');
    if (tab == std::string::npos) return {};
    const auto trimmed = [](std::string_view s) {
        const size_t first = s.find_first_not_of(' ');
        if (first == std::string_view::npos) return std::string();
        return std::string(s.substr(first, s.find_last_not_of(' ') - first + 1));
    };
    DelimiterColumns columns;
    columns.Code = trimmed(std::string_view(entry).substr(0, tab));
    const std::string_view after = std::string_view(entry).substr(tab + 1);
    // The entries of NUL, TAB and SPACE name the character in place of showing it.
    if (after.substr(0, 4) == "    ") {
        columns.Name = trimmed(after);
    } else {
        columns.Character = std::string(1, after.front());
        columns.Name = trimmed(after.substr(1));
    }
    return columns;
}

int DelimiterListIndex(std::string_view delimiterChar) {
    return delimiterChar.empty() ? ',' : static_cast<unsigned char>(delimiterChar.front());
}

RecordEventsCheck CheckRecordEvents(int startEvent, int endEvent, std::string_view startChars,
                                    std::string_view endChars) {
    if (startEvent == kSpecialCharEvent && startChars.empty())
        return RecordEventsCheck::StartCharsMissing;
    if (endEvent == kSpecialCharEvent && endChars.empty())
        return RecordEventsCheck::EndCharsMissing;
    return RecordEventsCheck::Ok;
}

WizardStep StoreRecordEvents(SetupGlobals& g, int startEvent, int endEvent,
                             const std::string& startChars, const std::string& endChars) {
    StoreChanged(g, g.StartOfRecordEvent, static_cast<int16_t>(startEvent));
    StoreChanged(g, g.EndOfRecordEvent, static_cast<int16_t>(endEvent));
    StoreChanged(g, g.StartChars, startChars);
    StoreChanged(g, g.EndChars, endChars);
    switch (endEvent) {
        case kEndByTimeGap:
            return WizardStep::Timed;
        case kEndByByteCount:
            // A byte count only makes sense with lengths, so the structure step is skipped.
            StoreChanged(g, g.RecordStructure, static_cast<int16_t>(kFixedLengthFields));
            g.NumberOfFields = kMaxFields;
            return WizardStep::Fixed;
        default:
            return WizardStep::RecStructure;
    }
}

bool GapTicksInRange(int64_t ticks) {
    return ticks >= kMinGapTicks && ticks <= kMaxGapTicks;
}

bool RecordLengthInRange(int64_t length) {
    return length >= kMinRecordLength && length <= kMaxRecordLength;
}

bool DelimitedFieldsInRange(int64_t fields) {
    return fields >= kMinDelimitedFields && fields <= kMaxFields;
}

void StoreGapTicks(SetupGlobals& g, int ticks) {
    StoreChanged(g, g.RecordGapTicks, static_cast<int16_t>(ticks));
}

void StoreRecordLength(SetupGlobals& g, int length) {
    StoreChanged(g, g.RecordLength, static_cast<int16_t>(length));
    g.NumberOfFields = kMaxFields;
}

WizardStep StoreRecordStructure(SetupGlobals& g, int structure) {
    StoreChanged(g, g.RecordStructure, static_cast<int16_t>(structure));
    switch (structure) {
        case kSingleField:
            ClearFieldLengths(g);
            g.NumberOfFields = 1;
            return WizardStep::Editor;
        case kDelimitedFields:
            return WizardStep::Delim;
        default:
            g.NumberOfFields = kMaxFields;
            return WizardStep::Editor;
    }
}

void StoreDelimited(SetupGlobals& g, int fields, char delimiter) {
    StoreChanged(g, g.DelimiterChar, std::string(1, delimiter));
    StoreChanged(g, g.NumberOfFields, static_cast<int16_t>(fields));
    ClearFieldLengths(g);
}

std::string FilterLetterOf(int index) {
    if (index < 0 || index >= static_cast<int>(kFilterLetters.size())) return "C";
    return std::string(1, kFilterLetters[static_cast<size_t>(index)]);
}

int FilterIndexOf(std::string_view letter) {
    if (letter.size() != 1) return 0;
    const size_t at = kFilterLetters.find(letter.front(), 1);
    return at == std::string_view::npos ? 0 : static_cast<int>(at);
}

std::string FilterLetterAfterChoice(std::string_view shownLetter, int index) {
    if (FilterIndexOf(shownLetter) == index) return std::string(shownLetter);
    return FilterLetterOf(index);
}

FieldDefinitions FieldDefinitionsOf(const SetupGlobals& g) {
    FieldDefinitions w;
    for (int n = 1; n <= kMaxFields; ++n) {
        w.Filter[n] = g.FieldFilter[n];
        w.Length[n] = g.FieldLength[n];
        w.Postamble[n] = g.FieldPostamble[n];
        w.Format[n] = g.FieldFormat[n];
        w.Math[n] = g.FieldMath[n];
    }
    return w;
}

FieldEditorContext FieldEditorContextOf(const SetupGlobals& g) {
    return {g.NumberOfFields, g.EndOfRecordEvent, g.RecordStructure, g.RecordLength};
}

int BytesDefined(const FieldDefinitions& w) {
    int sum = 0;
    for (int n = 1; n <= kMaxFields; ++n) sum += w.Length[n];
    return std::min(sum, kBytesDefinedShownMax);
}

int LastFieldNumber(const FieldEditorContext& c) {
    return std::clamp(c.NumberOfFields, 1, kMaxFields);
}

bool NextFieldEnabled(int p, const FieldEditorContext& c, const FieldDefinitions& w) {
    if (p >= LastFieldNumber(c)) return false;
    if (c.EndOfRecordEvent != kEndByByteCount) return true;
    return BytesDefined(w) < c.RecordLength || w.Length[p + 1] != 0;
}

bool NextFieldEnabledAfterPrevious(int p, const FieldEditorContext& c) {
    return p < LastFieldNumber(c);
}

bool PreviousFieldEnabled(int p) {
    return p > 1;
}

bool FieldLengthTooLarge(int64_t value) {
    return value > kMaxFieldLength;
}

bool FieldLengthsEdited(const FieldEditorContext& c) {
    return c.EndOfRecordEvent == kEndByByteCount || c.RecordStructure == kFixedLengthFields;
}

bool NextFieldRefused(const FieldEditorContext& c, int64_t lengthBoxValue) {
    return c.RecordStructure == kFixedLengthFields &&
           (lengthBoxValue == 0 || FieldLengthTooLarge(lengthBoxValue));
}

FieldEditorOkCheck CheckFieldEditorOk(const FieldEditorContext& c, const FieldDefinitions& w) {
    const int firstEmpty = FirstEmptyField(w);
    if (c.EndOfRecordEvent == kEndByByteCount) {
        int used = 0;
        for (int n = 1; n < firstEmpty; ++n) used += w.Length[n];
        if (BytesDefined(w) != c.RecordLength || used != c.RecordLength)
            return FieldEditorOkCheck::SumNotRecordLength;
    }
    if (c.RecordStructure == kFixedLengthFields && firstEmpty == 1)
        return FieldEditorOkCheck::FirstFieldEmpty;
    return FieldEditorOkCheck::Ok;
}

int NumberOfFieldsOnOk(const FieldEditorContext& c, const FieldDefinitions& w) {
    if (c.RecordStructure != kFixedLengthFields) return c.NumberOfFields;
    const int firstEmpty = FirstEmptyField(w);
    return firstEmpty > kMaxFields ? c.NumberOfFields : firstEmpty - 1;
}

void StoreFieldDefinitions(SetupGlobals& g, const FieldDefinitions& w,
                           const std::string& preamble) {
    g.NumberOfFields = static_cast<int16_t>(NumberOfFieldsOnOk(FieldEditorContextOf(g), w));
    StoreChanged(g, g.RecordPreamble, preamble);
    for (int n = 1; n <= kMaxFields; ++n) {
        StoreChanged(g, g.FieldFilter[n], w.Filter[n]);
        StoreChanged(g, g.FieldLength[n], w.Length[n]);
        StoreChanged(g, g.FieldPostamble[n], w.Postamble[n]);
        StoreChanged(g, g.FieldFormat[n], w.Format[n]);
        StoreChanged(g, g.FieldMath[n], w.Math[n]);
    }
}

FieldEditorTexts FieldEditorTextsFor(int mode) {
    switch (mode) {
        case kModeDde:
            return {kStrRecDefsDdeCaption, kStrRecDefsPreambleDde, kStrRecDefsPostambleDde, false,
                    false};
        case kModeLog:
            return {kStrRecDefsLogCaption, kStrRecDefsPreambleCharacters,
                    kStrRecDefsPostambleCharacters, false, true};
        default:
            return {kStrRecDefsKeystrokesCaption, kStrRecDefsPreambleKeystrokes,
                    kStrRecDefsPostambleKeystrokes, true, false};
    }
}

}  // namespace quorvane
