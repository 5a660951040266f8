#include "setup/ControlText.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace quorvane {
namespace {

using namespace std::string_literals;

constexpr int kShift = kControlShift;
constexpr int kCtrl = kControlCtrl;
constexpr int kAlt = kControlAlt;

TEST(ControlText, DisplayFormShowsNulAsCharacter255AndNothingElseChanges) {
    EXPECT_EQ(ToDisplayText(""), "");
    EXPECT_EQ(ToDisplayText("a\0b\0"s),
              "a\xFF"
              "b\xFF");
    EXPECT_EQ(ToDisplayText("\r\n\t\x01\xFF"), "\r\n\t\x01\xFF");
}

// Box positions against stored indices: a multi-line box holds a CR LF pair as one line
// break, and a lone CR or LF as one line break of its own.
TEST(ControlText, PositionMapping) {
    struct Row {
        std::string value;
        bool multiLine;
        size_t boxLength;
        std::vector<size_t> storedOfBox;  // BoxToStored(value, p) for p = 0, 1, ...
    };
    const Row rows[] = {
        {"", false, 0, {0, 0}},
        {"", true, 0, {0, 0}},
        {"ab", true, 2, {0, 1, 2, 2}},
        {"a\r\nb", false, 4, {0, 1, 2, 3, 4}},
        {"a\r\nb", true, 3, {0, 1, 3, 4, 4}},
        {"\r\r\n\n", true, 3, {0, 1, 3, 4}},
        {"\n\r", true, 2, {0, 1, 2}},
        {"x\r\n\r\n", true, 3, {0, 1, 3, 5}},
        {"\0\r\n"s, true, 2, {0, 1, 3}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.value) + (row.multiLine ? " multi" : " single"));
        EXPECT_EQ(BoxLength(row.value, row.multiLine), row.boxLength);
        for (size_t p = 0; p < row.storedOfBox.size(); ++p) {
            const size_t index = BoxToStored(row.value, p, row.multiLine);
            EXPECT_EQ(index, row.storedOfBox[p]) << "box position " << p;
            if (p <= row.boxLength) {
                EXPECT_EQ(StoredToBox(row.value, index, row.multiLine), p);
            }
        }
    }
    // Between the CR and the LF of a pair is the pair's own position; past the end is the end.
    EXPECT_EQ(StoredToBox("a\r\nb", 2, true), 1u);
    EXPECT_EQ(StoredToBox("a\r\nb", 99, true), 3u);
}

struct KeyRow {
    const char* name;
    std::string stored;
    size_t selStart, selLength;
    bool multiLine;
    ControlKey key;
    int modifiers;
    std::string clipboard;
    // expected
    std::string newStored;
    bool cancelled;
    std::optional<std::string> replacement;
    size_t boxStart, boxLength;
    bool beep;
    std::optional<std::string> newClipboard;
    size_t caret;
};

TEST(ControlText, KeyDownRules) {
    const auto D = ControlKey::Delete;
    const auto I = ControlKey::Insert;
    const auto E = ControlKey::Enter;
    const auto B = ControlKey::Backspace;
    const auto none = std::nullopt;
    const KeyRow rows[] = {
        // 1. Ctrl+Delete without a selection deletes to the end, in the box too.
        {"ctrl-del", "ab\0cd"s, 2, 0, false, D, kCtrl, "", "ab", true, "", 2, 3, false, none, 2},
        {"ctrl-del multi", "a\r\nb\r\n", 1, 0, true, D, kCtrl, "", "a", true, "", 1, 3, false, none,
         1},
        {"ctrl-del at end", "ab", 2, 0, false, D, kCtrl, "", "ab", true, "", 2, 0, false, none, 2},
        // Ctrl+Shift without a selection is still rule 1.
        {"ctrl-shift-del", "abc", 1, 0, false, D, kCtrl | kShift, "", "a", true, "", 1, 2, false,
         none, 1},
        // 2. Shift+Delete with a selection cuts the exact bytes and beeps.
        {"cut", "a\0\r\nb"s, 1, 3, false, D, kShift, "x", "ab", true, "", 1, 3, true, "\0\r\n"s, 1},
        {"cut multi pair", "a\0\r\nb"s, 1, 2, true, D, kShift, "", "ab", true, "", 1, 2, true,
         "\0\r\n"s, 1},
        // Ctrl+Delete with a selection falls through to the cut when Shift is held too.
        {"ctrl-shift-del sel", "abc", 0, 2, false, D, kCtrl | kShift, "", "c", true, "", 0, 2, true,
         "ab", 0},
        // 3. Shift+Delete without a selection: nothing changes; a beep unless at the start.
        {"shift-del no sel", "abc", 2, 0, false, D, kShift, "", "abc", true, none, 2, 0, true, none,
         2},
        {"shift-del at start", "abc", 0, 0, false, D, kShift, "", "abc", true, none, 0, 0, false,
         none, 0},
        // 4. Delete otherwise: the box deletes, the stored value follows.
        {"del sel", "abcd", 1, 2, false, D, 0, "", "ad", false, none, 1, 2, false, none, 1},
        {"del next", "a\0b"s, 1, 0, false, D, 0, "", "ab", false, none, 1, 1, false, none, 1},
        {"del at end", "ab", 2, 0, false, D, 0, "", "ab", false, none, 2, 0, false, none, 2},
        {"del pair single", "a\r\n", 1, 0, false, D, 0, "", "a\n", false, none, 1, 1, false, none,
         1},
        {"del pair multi", "a\r\nb", 1, 0, true, D, 0, "", "ab", false, none, 1, 1, false, none, 1},
        {"del lone cr multi", "a\r\r\n", 1, 0, true, D, 0, "", "a\r\n", false, none, 1, 1, false,
         none, 1},
        {"alt-del", "ab", 0, 0, false, D, kAlt, "", "b", false, none, 0, 1, false, none, 0},
        // 5. Alt+Backspace is cancelled; Backspace otherwise waits for its character.
        {"alt-bs", "ab", 1, 0, false, B, kAlt, "", "ab", true, none, 1, 0, false, none, 1},
        {"bs down", "ab", 1, 0, false, B, 0, "", "ab", false, none, 1, 0, false, none, 1},
        // 6. Enter inserts CR LF, replacing a selection, with any modifiers.
        {"enter", "ab", 1, 0, false, E, 0, "", "a\r\nb", true, "\r\n", 1, 0, false, none, 3},
        {"enter sel", "abcd", 1, 2, true, E, 0, "", "a\r\nd", true, "\r\n", 1, 2, false, none, 3},
        {"ctrl-enter", "", 0, 0, true, E, kCtrl, "", "\r\n", true, "\r\n", 0, 0, false, none, 2},
        // 7. Ctrl+Insert copies the exact selected bytes.
        {"copy", "a\0\r\nb"s, 1, 2, true, I, kCtrl, "old", "a\0\r\nb"s, true, none, 1, 2, false,
         "\0\r\n"s, 1},
        {"copy no sel", "ab", 1, 0, false, I, kCtrl, "old", "ab", true, none, 1, 0, false, "", 1},
        {"ctrl-shift-ins copies", "ab", 0, 1, false, I, kCtrl | kShift, "z", "ab", true, none, 0, 1,
         false, "a", 0},
        // 8. Shift+Insert pastes the clipboard; the box shows its display form.
        {"paste", "ab", 1, 0, false, I, kShift, "\0\r\n"s, "a\0\r\nb"s, true, "\xFF\r\n", 1, 0,
         false, none, 4},
        {"paste over sel", "abc", 0, 2, false, I, kShift, "\0"s, "\0c"s, true, "\xFF", 0, 2, false,
         none, 1},
        {"paste empty", "abc", 0, 2, false, I, kShift, "", "c", true, "", 0, 2, false, none, 0},
        // 9. Other keys and plain Insert change nothing.
        {"insert", "ab", 1, 0, false, I, 0, "x", "ab", false, none, 1, 0, false, none, 1},
        {"other", "ab", 1, 0, false, ControlKey::Other, kCtrl, "", "ab", false, none, 1, 0, false,
         none, 1},
        // Positions past the end are clamped rather than read beyond the value.
        {"clamped", "ab", 9, 9, false, D, kShift, "", "ab", true, none, 2, 0, true, none, 2},
    };
    for (const KeyRow& row : rows) {
        SCOPED_TRACE(row.name);
        const ControlTextBoxState box{row.stored, row.selStart, row.selLength, row.multiLine};
        const ControlTextEdit edit = ControlTextKeyDown(box, row.key, row.modifiers, row.clipboard);
        EXPECT_EQ(edit.stored, row.newStored);
        EXPECT_EQ(edit.changed, row.newStored != row.stored);
        EXPECT_EQ(edit.cancelled, row.cancelled);
        EXPECT_EQ(edit.replacement, row.replacement);
        EXPECT_EQ(edit.boxStart, row.boxStart);
        EXPECT_EQ(edit.boxLength, row.boxLength);
        EXPECT_EQ(edit.beep, row.beep);
        EXPECT_EQ(edit.clipboard, row.newClipboard);
        EXPECT_EQ(edit.caret, row.caret);
    }
}

TEST(ControlText, KeyPressRules) {
    struct Row {
        const char* name;
        std::string stored;
        size_t selStart, selLength;
        bool multiLine;
        int code;
        std::string newStored;
        bool cancelled;
        size_t boxStart, boxLength, caret;
    };
    const Row rows[] = {
        {"bs sel", "abcd", 1, 2, false, 8, "ad", false, 1, 2, 1},
        {"bs before", "a\0b"s, 2, 0, false, 8, "ab", false, 1, 1, 1},
        {"bs at start", "ab", 0, 0, false, 8, "ab", false, 0, 0, 0},
        {"bs pair multi", "a\r\nb", 2, 0, true, 8, "ab", false, 1, 1, 1},
        {"bs pair single", "a\r\nb", 3, 0, false, 8, "a\rb", false, 2, 1, 2},
        {"bs lone lf multi", "\r\n\n", 2, 0, true, 8, "\r\n", false, 1, 1, 2},
        {"space", "ab", 1, 0, false, 32, "a b", false, 1, 0, 2},
        {"letter over sel", "abc", 0, 3, true, 'x', "x", false, 0, 3, 1},
        {"code 255", "", 0, 0, false, 255, "\xFF", false, 0, 0, 1},
        {"del char 127", "", 0, 0, false, 127, "\x7F", false, 0, 0, 1},
        {"after pair multi", "\r\n", 1, 0, true, 'z', "\r\nz", false, 1, 0, 3},
        // Ctrl+letter, Ctrl+J and the like insert nothing.
        {"ctrl-a", "ab", 1, 0, false, 1, "ab", true, 1, 0, 1},
        {"lf", "ab", 1, 0, false, 10, "ab", true, 1, 0, 1},
        {"cr", "ab", 1, 1, false, 13, "ab", true, 1, 1, 1},
        {"nul", "ab", 0, 0, false, 0, "ab", true, 0, 0, 0},
        {"escape", "ab", 0, 0, false, 27, "ab", true, 0, 0, 0},
        {"out of range", "ab", 0, 0, false, 256, "ab", true, 0, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const ControlTextBoxState box{row.stored, row.selStart, row.selLength, row.multiLine};
        const ControlTextEdit edit = ControlTextKeyPress(box, row.code);
        EXPECT_EQ(edit.stored, row.newStored);
        EXPECT_EQ(edit.cancelled, row.cancelled);
        EXPECT_FALSE(edit.replacement.has_value());  // the box inserts or deletes itself
        EXPECT_EQ(edit.boxStart, row.boxStart);
        EXPECT_EQ(edit.boxLength, row.boxLength);
        EXPECT_EQ(edit.caret, row.caret);
        EXPECT_FALSE(edit.beep);
        EXPECT_FALSE(edit.clipboard.has_value());
    }
}

TEST(ControlText, InsertPickedPutsTheExactCharacterInAndShowsNulAs255) {
    const ControlTextEdit nul = InsertPicked({"ab", 1, 0, false}, "\0"s);
    EXPECT_EQ(nul.stored, "a\0b"s);
    EXPECT_EQ(nul.replacement, "\xFF");
    EXPECT_TRUE(nul.changed);
    EXPECT_EQ(nul.caret, 2u);

    const ControlTextEdit over = InsertPicked({"a\r\nbc", 1, 2, true}, "\x01");
    EXPECT_EQ(over.stored,
              "a\x01"
              "c");
    EXPECT_EQ(over.replacement, "\x01");
    EXPECT_EQ(over.boxStart, 1u);
    EXPECT_EQ(over.boxLength, 2u);

    // An extra entry's word goes in whole.
    EXPECT_EQ(InsertPicked({"", 0, 0, false}, " Ignore").stored, " Ignore");
}

// Cut in one box and paste in another moves the exact bytes, whatever the boxes show.
TEST(ControlText, CutThenPasteMovesNulsCrAndLfExactly) {
    const std::string source = "x\0\r\n\ry\0"s;
    const ControlTextEdit cut =
        ControlTextKeyDown({source, 1, 4, true}, ControlKey::Delete, kShift, "");
    ASSERT_TRUE(cut.clipboard.has_value());
    EXPECT_EQ(*cut.clipboard, "\0\r\n\ry"s);
    EXPECT_EQ(cut.stored, "x\0"s);
    const ControlTextEdit paste =
        ControlTextKeyDown({"[]", 1, 0, false}, ControlKey::Insert, kShift, *cut.clipboard);
    EXPECT_EQ(paste.stored, "[\0\r\n\ry]"s);
    EXPECT_EQ(paste.replacement, "\xFF\r\n\ry");
}

}  // namespace
}  // namespace quorvane
