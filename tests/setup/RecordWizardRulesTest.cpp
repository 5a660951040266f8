#include "setup/RecordWizardRules.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace quorvane {
namespace {

FieldDefinitions WithLengths(std::initializer_list<int16_t> lengths) {
    FieldDefinitions w;
    int n = 1;
    for (const int16_t length : lengths) w.Length[n++] = length;
    return w;
}

TEST(RecordWizardRules, NumericBoxesTakeDigitsAndBackspaceAndReadLeadingDigits) {
    for (char32_t c = U'0'; c <= U'9'; ++c) EXPECT_TRUE(IsNumericBoxCharacter(c));
    EXPECT_TRUE(IsNumericBoxCharacter(U'\b'));
    for (const char32_t c : {U' ', U'-', U'+', U'.', U'e', U'\x7f', U'\u0660', U'１'})
        EXPECT_FALSE(IsNumericBoxCharacter(c)) << static_cast<int>(c);

    const std::pair<const char*, int64_t> rows[] = {
        {"", 0},          {"0", 0},
        {"255", 255},     {"0007", 7},
        {"12ab", 12},     {"ab12", 0},
        {" 12", 0},       {"99999", 99999},
        {"40000", 40000}, {"99999999999999999999", 999999999},
    };
    for (const auto& [text, value] : rows) EXPECT_EQ(NumericBoxValue(text), value) << text;
    EXPECT_TRUE(IsAllDigits(""));
    EXPECT_TRUE(IsAllDigits("0123"));
    EXPECT_FALSE(IsAllDigits("12 "));
}

TEST(RecordWizardRules, RangesOfTheWizardBoxes) {
    struct Row {
        int64_t value;
        bool ticks, length, fields;
    };
    const Row rows[] = {
        {0, false, false, false},     {1, true, true, false},      {2, true, true, true},
        {40, true, true, true},       {41, true, true, false},     {255, true, true, false},
        {256, false, true, false},    {32766, false, true, false}, {32767, false, false, false},
        {99999, false, false, false},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(GapTicksInRange(r.value), r.ticks) << r.value;
        EXPECT_EQ(RecordLengthInRange(r.value), r.length) << r.value;
        EXPECT_EQ(DelimitedFieldsInRange(r.value), r.fields) << r.value;
    }
}

TEST(RecordWizardRules, DelimiterListEntries) {
    const std::pair<int, const char*> rows[] = {
        {0, " 0\t    NUL  "},    {9, " 9\t    TAB"},        {32, " 32\t    SPACE"},
        {44, " 44\t,   COMMA"},  {1, " 1  \t\x01   SOH"},   {8, " 8  \t\x08   BS "},
        {13, " 13  \t\r   CR "}, {31, " 31  \t\x1f   US "}, {65, " 65  \tA"},
        {127, " 127  \t\x7f"},   {255, " 255  \t\xff"},
    };
    for (const auto& [code, entry] : rows) EXPECT_EQ(DelimiterListEntry(code), entry) << code;
    EXPECT_EQ(DelimiterListEntry(256), "");

    struct Columns {
        int code;
        const char *number, *character, *name;
    };
    const Columns columns[] = {
        {0, "0", "", "NUL"},      {9, "9", "", "TAB"},    {32, "32", "", "SPACE"},
        {44, "44", ",", "COMMA"}, {13, "13", "\r", "CR"}, {65, "65", "A", ""},
        {255, "255", "\xff", ""},
    };
    for (const Columns& c : columns) {
        const DelimiterColumns got = DelimiterListColumns(c.code);
        EXPECT_EQ(got.Code, c.number) << c.code;
        EXPECT_EQ(got.Character, c.character) << c.code;
        EXPECT_EQ(got.Name, c.name) << c.code;
    }
    EXPECT_EQ(DelimiterListIndex(","), 44);
    EXPECT_EQ(DelimiterListIndex(std::string(1, '\0')), 0);
    EXPECT_EQ(DelimiterListIndex("\xe9"), 233);
    EXPECT_EQ(DelimiterListIndex(""), 44);
}

TEST(RecordWizardRules, SpecialEventsNeedACharacterAndANulIsOne) {
    struct Row {
        int start, end;
        std::string startChars, endChars;
        RecordEventsCheck check;
    };
    const Row rows[] = {
        {0, 0, "", "", RecordEventsCheck::Ok},
        {3, 0, "", "", RecordEventsCheck::StartCharsMissing},
        {3, 3, "", "", RecordEventsCheck::StartCharsMissing},  // the start box is asked first
        {0, 3, "", "", RecordEventsCheck::EndCharsMissing},
        {3, 3, std::string(1, '\0'), std::string(1, '\0'), RecordEventsCheck::Ok},
        {2, 1, "", "", RecordEventsCheck::Ok},  // boxes of other events may stay empty
    };
    for (const Row& r : rows)
        EXPECT_EQ(CheckRecordEvents(r.start, r.end, r.startChars, r.endChars), r.check)
            << r.start << " " << r.end;
}

TEST(RecordWizardRules, RecordEventsChooseTheNextDialogAndMarkOnlyChanges) {
    struct Row {
        int end;
        WizardStep next;
    };
    for (const Row& r : {Row{0, WizardStep::RecStructure}, Row{1, WizardStep::Timed},
                         Row{2, WizardStep::Fixed}, Row{3, WizardStep::RecStructure}}) {
        SetupGlobals g;
        g.FieldLength[3] = 5;
        EXPECT_EQ(StoreRecordEvents(g, 0, r.end, "", "\r"), r.next) << r.end;
        EXPECT_EQ(g.EndOfRecordEvent, r.end);
        EXPECT_EQ(g.EndChars, "\r");  // stored although its option may not be chosen
        EXPECT_EQ(g.FieldLength[3], 5);
        EXPECT_EQ(g.RecordStructure, r.end == 2 ? 2 : 0);
        EXPECT_EQ(g.NumberOfFields, r.end == 2 ? 40 : 1);
    }
    SetupGlobals g;
    StoreRecordEvents(g, 0, 0, "", "");
    EXPECT_FALSE(IsTrue(g.ConfigChanged));
    StoreRecordEvents(g, 1, 0, "", "");
    EXPECT_TRUE(IsTrue(g.ConfigChanged));
    g.ConfigChanged = kFalse;
    StoreRecordEvents(g, 1, 0, std::string(1, '\0'), "");
    EXPECT_TRUE(IsTrue(g.ConfigChanged));
    EXPECT_EQ(g.StartChars, std::string(1, '\0'));
}

TEST(RecordWizardRules, StructuresSetFieldsAndLengths) {
    struct Row {
        int structure;
        WizardStep next;
        int fields;
        bool lengthsKept;
    };
    for (const Row& r : {Row{0, WizardStep::Editor, 1, false}, Row{1, WizardStep::Delim, 7, true},
                         Row{2, WizardStep::Editor, 40, true}}) {
        SetupGlobals g;
        g.NumberOfFields = 7;
        for (int n = 1; n <= 40; ++n) g.FieldLength[n] = static_cast<int16_t>(n);
        EXPECT_EQ(StoreRecordStructure(g, r.structure), r.next);
        EXPECT_EQ(g.RecordStructure, r.structure);
        EXPECT_EQ(g.NumberOfFields, r.fields);
        EXPECT_EQ(g.FieldLength[1], r.lengthsKept ? 1 : 0);
        EXPECT_EQ(g.FieldLength[40], r.lengthsKept ? 40 : 0);
        EXPECT_EQ(IsTrue(g.ConfigChanged), r.structure != 0);
    }
    SetupGlobals g;
    g.FieldLength[40] = 3;
    StoreDelimited(g, 5, ';');
    EXPECT_EQ(g.NumberOfFields, 5);
    EXPECT_EQ(g.DelimiterChar, ";");
    EXPECT_EQ(g.FieldLength[40], 0);
    EXPECT_TRUE(IsTrue(g.ConfigChanged));
    g.ConfigChanged = kFalse;
    StoreDelimited(g, 5, ';');
    EXPECT_FALSE(IsTrue(g.ConfigChanged));
    StoreDelimited(g, 5, '\0');
    EXPECT_EQ(g.DelimiterChar, std::string(1, '\0'));
}

TEST(RecordWizardRules, FilterListIndexesAndLetters) {
    const std::pair<int, const char*> letters[] = {{0, "C"}, {1, "I"}, {2, "N"}, {3, "H"},
                                                   {4, "O"}, {5, "B"}, {6, "C"}, {-1, "C"}};
    for (const auto& [index, letter] : letters) EXPECT_EQ(FilterLetterOf(index), letter) << index;
    const std::pair<const char*, int> indexes[] = {{"C", 0}, {"I", 1}, {"N", 2}, {"H", 3},
                                                   {"O", 4}, {"B", 5}, {"X", 0}, {"", 0},
                                                   {"i", 0}, {"IN", 0}};
    for (const auto& [letter, index] : indexes) EXPECT_EQ(FilterIndexOf(letter), index) << letter;
    EXPECT_EQ(FilterLetterAfterChoice("X", 0), "X");
    EXPECT_EQ(FilterLetterAfterChoice("X", 2), "N");
    EXPECT_EQ(FilterLetterAfterChoice("N", 0), "C");
    EXPECT_EQ(FilterLetterAfterChoice("", 0), "");
}

TEST(RecordWizardRules, BytesDefinedAreCappedAt32767) {
    EXPECT_EQ(BytesDefined(WithLengths({})), 0);
    EXPECT_EQ(BytesDefined(WithLengths({4, 6})), 10);
    EXPECT_EQ(BytesDefined(WithLengths({32766})), 32766);
    EXPECT_EQ(BytesDefined(WithLengths({32766, 1})), 32767);
    EXPECT_EQ(BytesDefined(WithLengths({32766, 32766, 32766})), 32767);
}

TEST(RecordWizardRules, NextFieldRule) {
    const FieldEditorContext cr{40, 0, 2, 0};
    const FieldEditorContext bytes{40, 2, 2, 10};
    struct Row {
        const char* what;
        int p;
        FieldEditorContext c;
        FieldDefinitions w;
        bool next;
    };
    const Row rows[] = {
        {"more fields", 1, cr, WithLengths({4}), true},
        {"last slot", 40, cr, WithLengths({}), false},
        {"delimited, last field", 3, {3, 0, 1, 0}, WithLengths({}), false},
        {"more fields than slots", 40, {90, 0, 2, 0}, WithLengths({}), false},
        {"record not full", 1, bytes, WithLengths({4}), true},
        {"record full", 2, bytes, WithLengths({4, 6}), false},
        {"full, next has a length", 1, bytes, WithLengths({4, 6}), true},
        {"overfull, next empty", 1, bytes, WithLengths({12}), false},
        {"full at the last slot", 40, {40, 2, 2, 50}, WithLengths({}), false},
    };
    for (const Row& r : rows) EXPECT_EQ(NextFieldEnabled(r.p, r.c, r.w), r.next) << r.what;
    EXPECT_TRUE(NextFieldEnabledAfterPrevious(1, bytes));
    EXPECT_FALSE(NextFieldEnabledAfterPrevious(1, {1, 0, 0, 0}));
    EXPECT_FALSE(NextFieldEnabledAfterPrevious(1, {0, 0, 2, 0}));
    EXPECT_FALSE(PreviousFieldEnabled(1));
    EXPECT_TRUE(PreviousFieldEnabled(2));
}

TEST(RecordWizardRules, LengthBoxRules) {
    EXPECT_FALSE(FieldLengthTooLarge(32766));
    EXPECT_TRUE(FieldLengthTooLarge(32767));
    EXPECT_TRUE(FieldLengthsEdited({40, 0, 2, 0}));
    EXPECT_TRUE(FieldLengthsEdited({40, 2, 0, 0}));
    EXPECT_FALSE(FieldLengthsEdited({3, 0, 1, 0}));
    EXPECT_TRUE(NextFieldRefused({40, 0, 2, 0}, 0));
    EXPECT_TRUE(NextFieldRefused({40, 0, 2, 0}, 40000));
    EXPECT_FALSE(NextFieldRefused({40, 0, 2, 0}, 1));
    EXPECT_FALSE(NextFieldRefused({5, 0, 1, 0}, 0));  // delimited fields have no length
}

TEST(RecordWizardRules, OkChecksAndTheNumberOfFields) {
    FieldDefinitions all40;
    for (int n = 1; n <= 40; ++n) all40.Length[n] = 1;
    struct Row {
        const char* what;
        FieldEditorContext c;
        FieldDefinitions w;
        FieldEditorOkCheck check;
        int fields;
    };
    const Row rows[] = {
        {"4 + 6 of 10", {40, 2, 2, 10}, WithLengths({4, 6}), FieldEditorOkCheck::Ok, 2},
        {"9 of 10", {40, 2, 2, 10}, WithLengths({4, 5}), FieldEditorOkCheck::SumNotRecordLength, 2},
        {"11 of 10",
         {40, 2, 2, 10},
         WithLengths({4, 7}),
         FieldEditorOkCheck::SumNotRecordLength,
         2},
        {"10 with a gap",
         {40, 2, 2, 10},
         WithLengths({4, 0, 6}),
         FieldEditorOkCheck::SumNotRecordLength,
         1},
        {"CR end, three fields", {40, 0, 2, 0}, WithLengths({3, 2, 1}), FieldEditorOkCheck::Ok, 3},
        {"CR end, all 40", {40, 0, 2, 0}, all40, FieldEditorOkCheck::Ok, 40},
        {"CR end, field 1 empty",
         {40, 0, 2, 0},
         WithLengths({0, 5}),
         FieldEditorOkCheck::FirstFieldEmpty,
         0},
        {"delimited keeps its count", {5, 0, 1, 0}, WithLengths({}), FieldEditorOkCheck::Ok, 5},
        {"single field", {1, 0, 0, 0}, WithLengths({}), FieldEditorOkCheck::Ok, 1},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(CheckFieldEditorOk(r.c, r.w), r.check) << r.what;
        EXPECT_EQ(NumberOfFieldsOnOk(r.c, r.w), r.fields) << r.what;
    }
}

TEST(RecordWizardRules, StoringTheWorkingCopiesMarksOnlyRealChanges) {
    SetupGlobals g;
    g.RecordStructure = 2;
    g.NumberOfFields = 40;
    for (int n = 1; n <= 40; ++n) g.FieldFilter[n] = "C";
    g.FieldLength[1] = 4;
    g.FieldLength[2] = 6;
    FieldDefinitions w = FieldDefinitionsOf(g);
    StoreFieldDefinitions(g, w, "");
    EXPECT_EQ(g.NumberOfFields, 2);
    EXPECT_FALSE(IsTrue(g.ConfigChanged));

    const std::vector<std::function<void(FieldDefinitions&, std::string&)>> edits = {
        [](FieldDefinitions& d, std::string&) { d.Filter[40] = "N"; },
        [](FieldDefinitions& d, std::string&) { d.Length[3] = 1; },
        [](FieldDefinitions& d, std::string&) { d.Postamble[1] = std::string(1, '\0'); },
        [](FieldDefinitions& d, std::string&) { d.Format[2] = "Fixed"; },
        [](FieldDefinitions& d, std::string&) { d.Math[1] = "F1*2"; },
        [](FieldDefinitions&, std::string& p) { p = "{HOME}"; },
    };
    for (size_t i = 0; i < edits.size(); ++i) {
        SetupGlobals h = g;
        FieldDefinitions d = FieldDefinitionsOf(h);
        std::string preamble = h.RecordPreamble;
        edits[i](d, preamble);
        StoreFieldDefinitions(h, d, preamble);
        EXPECT_TRUE(IsTrue(h.ConfigChanged)) << i;
        EXPECT_EQ(FieldDefinitionsOf(h).Postamble, d.Postamble) << i;
        EXPECT_EQ(FieldDefinitionsOf(h).Length, d.Length) << i;
        EXPECT_EQ(h.RecordPreamble, preamble) << i;
    }
}

TEST(RecordWizardRules, EditorTextsByMode) {
    const FieldEditorTexts keys = FieldEditorTextsFor(0);
    EXPECT_EQ(keys.CaptionId, 4041);
    EXPECT_EQ(keys.PreambleLabelId, 2402);
    EXPECT_EQ(keys.PostambleLabelId, 2417);
    EXPECT_TRUE(keys.KeystrokeList);
    EXPECT_FALSE(keys.AsciiChart);
    const FieldEditorTexts dde = FieldEditorTextsFor(1);
    EXPECT_EQ(dde.CaptionId, 4040);
    EXPECT_EQ(dde.PreambleLabelId, 7003);
    EXPECT_EQ(dde.PostambleLabelId, 7004);
    EXPECT_FALSE(dde.KeystrokeList || dde.AsciiChart);
    const FieldEditorTexts log = FieldEditorTextsFor(2);
    EXPECT_EQ(log.CaptionId, 4042);
    EXPECT_EQ(log.PreambleLabelId, 2403);
    EXPECT_EQ(log.PostambleLabelId, 2418);
    EXPECT_FALSE(log.KeystrokeList);
    EXPECT_TRUE(log.AsciiChart);
    EXPECT_EQ(FieldEditorTextsFor(7).CaptionId, 4041);
}

}  // namespace
}  // namespace quorvane
