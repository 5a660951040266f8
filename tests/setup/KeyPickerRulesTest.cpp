#include "setup/KeyPickerRules.h"

#include <gtest/gtest.h>

#include <set>

namespace quorvane {
namespace {

constexpr int S = kHotKeyShift, C = kHotKeyCtrl, A = kHotKeyAlt;

TEST(KeyPickerRules, KeystrokeListHoldsNamesThenTheCharacters) {
    const auto& list = KeystrokeList();
    ASSERT_EQ(list.size(), 228u);
    EXPECT_EQ(list[0], "NUL");
    EXPECT_EQ(list[1], "SPACE");
    EXPECT_EQ(list[16], "HELP");
    EXPECT_EQ(list[21], "SCROLLOCK");
    EXPECT_EQ(list[22], "PRTSC");
    EXPECT_EQ(list[23], "F1");
    EXPECT_EQ(list[38], "F16");
    EXPECT_EQ(list[39], "!");
    EXPECT_EQ(list[39 + 93], "~");
    EXPECT_EQ(list[39 + 94], "\xA1");  // 127..160 are left out
    EXPECT_EQ(list.back(), "\xFF");
    EXPECT_EQ(std::set<std::string>(list.begin(), list.end()).size(), list.size());
}

TEST(KeyPickerRules, KeystrokeResults) {
    const struct {
        const char* entry;
        int modifiers;
        const char* result;
    } rows[] = {
        {"F1", S | C, "+^{F1}"},
        {"F1", S | C | A, "+^%{F1}"},
        {"ENTER", A, "%{ENTER}"},
        {"a", C, "^a"},
        {"a", 0, "a"},
        {"+", 0, "{+}"},
        {"+", S, "+{+}"},
        {"{", 0, "{{}"},
        {"}", C, "^{}}"},
        {"~", 0, "{~}"},
        {"(", 0, "{(}"},
        {"]", 0, "{]}"},
        {"%", A, "%{%}"},
        {"SPACE", 0, "{ }"},
        {"SPACE", C, "^{ }"},
        {"\xE9", A, "\xE9"},  // above 127: the character alone
        {"\xA1", S | C | A, "\xA1"},
        {"\x7E", C, "^{~}"},
        {"NUL", S | C | A, "NUL"},  // modifiers ignored
    };
    for (const auto& row : rows)
        EXPECT_EQ(KeystrokeResult(row.entry, row.modifiers), row.result)
            << row.entry << " " << row.modifiers;
}

// The own synthesizer of direct key events refuses "{ }", so a space is given plainly.
TEST(KeyPickerRules, SpaceUnderDirectKeyEventsIsAPlainSpace) {
    EXPECT_EQ(KeystrokeResult("SPACE", 0, true), " ");
    EXPECT_EQ(KeystrokeResult("SPACE", S, true), "+ ");
    EXPECT_EQ(KeystrokeResult("TAB", 0, true), "{TAB}");
}

TEST(KeyPickerRules, HotKeyListFollowsTheNameTable) {
    const auto& list = HotKeyList();
    ASSERT_EQ(list.size(), 100u);
    const struct {
        int index;
        const char* name;
        int code;
    } rows[] = {
        {0, "None", 0},       {1, "SPACE", 32},      {15, "ESCAPE", 27},  {16, "BREAK", 19},
        {21, "PRTSC", 42},    {22, "F1", 112},       {26, "F5", 116},     {37, "F16", 127},
        {38, "NumPad 0", 96}, {47, "NumPad 9", 105}, {48, "Gray *", 106}, {52, "Gray /", 111},
        {53, ";", 186},       {59, "`", 192},        {63, "'", 222},      {64, "0", 48},
        {74, "A", 65},        {99, "Z", 90},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(list[row.index], row.name) << row.index;
        EXPECT_EQ(HotKeyListCode(row.index), row.code) << row.index;
    }
    EXPECT_EQ(HotKeyListCode(-1), 0);
    EXPECT_EQ(HotKeyListCode(100), 0);
}

TEST(KeyPickerRules, HotKeyPicks) {
    const struct {
        int index;
        int modifiers;
        const char* name;
        int code;
    } rows[] = {
        {26, C | A, "CTRL+ALT+F5", 6 * 256 + 116},
        {74, S | C, "SHIFT+CTRL+A", 3 * 256 + 65},
        {74, S | C | A, "SHIFT+CTRL+ALT+A", 7 * 256 + 65},
        {23, 0, "F2", 113},
        {0, 0, "None", 0},                       // picking None empties the slot
        {48, 8 | S, "SHIFT+Gray *", 256 + 106},  // flags other than the three are dropped
    };
    for (const auto& row : rows) {
        const HotKeyPick pick = HotKeyPickOf(row.index, row.modifiers);
        EXPECT_EQ(pick.Name, row.name);
        EXPECT_EQ(pick.Code, row.code) << row.name;
        EXPECT_EQ(pick.Modifiers, row.code >> 8) << row.name;
    }
}

TEST(KeyPickerRules, HotKeyDisplayNames) {
    const std::pair<int, const char*> rows[] = {
        {0, "None"},
        {1649, "CTRL+ALT+F2"},
        {3 * 256 + 65, "SHIFT+CTRL+A"},
        {4 * 256 + 220, "ALT+\\"},
        {256 + 13, "SHIFT+ENTER"},
        {200, ""},                // a code the table does not name
        {-1, "SHIFT+CTRL+ALT+"},  // low byte 255, unnamed; high bits past Alt ignored
    };
    for (const auto& [code, name] : rows) EXPECT_EQ(HotKeyDisplayName(code), name) << code;
    EXPECT_EQ(HotKeyPrefix(S | A), "SHIFT+ALT+");
    EXPECT_EQ(HotKeyCodeOf(S | C, 65), 833);
}

TEST(KeyPickerRules, ActionCaptionIds) {
    EXPECT_EQ(HotKeyActionStringId(0), 2009);
    EXPECT_EQ(HotKeyActionStringId(kTransmitStringAction), 2010);
    EXPECT_EQ(HotKeyActionStringId(kHotKeyActionCount - 1), 2022);
}

// Qt::Key values as the toolkit reports them: characters by their Latin-1 code, shifted
// symbols as the symbol, other keys from 0x01000000.
TEST(KeyPickerRules, KeyBoxKeysBecomeVirtualKeys) {
    const struct {
        int qtKey;
        bool keypad;
        int vk;
    } rows[] = {
        {'A', false, 65},         {'Z', false, 90},        {'7', false, 55},
        {'&', false, 55},                            // Shift+7
        {')', false, 48},         {'7', true, 103},  // NumPad 7
        {'*', true, 106},         {'*', false, 56},        {'+', true, 107},
        {'+', false, 187},        {'-', true, 109},        {'.', true, 110},
        {',', true, 110},         {'/', true, 111},        {':', false, 186},
        {'~', false, 192},        {'|', false, 220},       {'"', false, 222},
        {' ', false, 32},         {0x01000000, false, 27},  // Escape
        {0x01000001, false, 9},                             // Tab
        {0x01000002, false, 9},                             // Shift+Tab
        {0x01000004, false, 13},                            // Return
        {0x01000005, true, 13},                             // keypad Enter
        {0x01000010, true, 36},                             // keypad Home, Num Lock off
        {0x01000008, false, 19},                            // Pause
        {0x01000009, false, 42},                            // Print
        {0x01000017, false, 34},                            // Page Down
        {0x01000026, false, 145},                           // Scroll Lock
        {0x01000030, false, 112},                           // F1
        {0x0100003f, false, 127},                           // F16
        {0x01000040, false, 0},                             // F17: no name
        {0x01000020, false, 0},                             // Shift alone
        {0x01000021, false, 0},                             // Ctrl alone
        {0x01000023, false, 0},                             // Alt alone
        {0x01000022, false, 0},                             // Meta alone
        {0x01000058, false, 0},                             // Help: no name in the table
        {0xE9, false, 0},                                   // a key of its own for é
        {0x01ffffff, false, 0},                             // unknown key
    };
    for (const auto& row : rows)
        EXPECT_EQ(VirtualKeyForQtKey(row.qtKey, row.keypad), row.vk)
            << std::hex << row.qtKey << " " << row.keypad;
}

TEST(KeyPickerRules, SlotsStoreBackAndReportAChange) {
    SetupGlobals g;
    g.HotKeyCode[3] = 833;
    g.HotKeyAction[3] = 1;
    g.HotKeyString[3] = std::string("a\0b", 3);
    HotKeySlots slots = HotKeySlotsOf(g);
    EXPECT_EQ(slots[3].String, std::string("a\0b", 3));

    EXPECT_FALSE(StoreHotKeySlots(g, slots));
    EXPECT_EQ(g.ConfigChanged, kFalse);

    for (int field = 0; field < 3; ++field) {
        HotKeySlots edited = HotKeySlotsOf(g);
        if (field == 0) edited[49].Code = 65;
        if (field == 1) edited[0].Action = 13;
        if (field == 2) edited[3].String = std::string("a\0c", 3);
        g.ConfigChanged = kFalse;
        EXPECT_TRUE(StoreHotKeySlots(g, edited)) << field;
        EXPECT_EQ(g.ConfigChanged, kTrue) << field;
        EXPECT_EQ(HotKeySlotsOf(g), edited) << field;
    }
}

}  // namespace
}  // namespace quorvane
