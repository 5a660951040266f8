#include <gtest/gtest.h>

#include <string>

#include "config/SetupGlobals.h"
#include "setup/TranslationRows.h"

namespace quorvane {
namespace {

using namespace std::string_literals;

TEST(TranslationRowsTest, KindFollowsTheMenuItemAndMode) {
    const struct {
        TranslationTable which;
        int16_t mode;
        int kind;
    } cases[] = {
        {TranslationTable::PreInput, kModeKeystrokes, kTransInput},
        {TranslationTable::PreInput, kModeDde, kTransInput},
        {TranslationTable::PreTransfer, kModeKeystrokes, kTransKeystrokes},
        {TranslationTable::PreTransfer, kModeDde, kTransCharacters},
        {TranslationTable::PreTransfer, kModeLog, kTransCharacters},
    };
    for (const auto& c : cases) EXPECT_EQ(TransTableKindFor(c.which, c.mode), c.kind) << c.mode;
}

TEST(TranslationRowsTest, PrefixesFollowTheirFixedLayout) {
    const struct {
        int code;
        std::string prefix;
    } cases[] = {
        {0, " 0\t    NUL\t\t\xA0"},       {1, " 1  \t\x01   SOH\t\t\xA0"s},
        {8, " 8  \t\x08   BS \t\t\xA0"},  {9, " 9\t    TAB\t\t\xA0"},
        {13, " 13  \t\r   CR \t\t\xA0"},  {31, " 31  \t\x1F   US \t\t\xA0"},
        {32, " 32\t    SPACE\t\xA0"},     {65, " 65  \tA   \t\t\xA0"},
        {127, " 127  \t\x7F   \t\t\xA0"}, {160, " 160\t\t\t\xA0"},
        {255, " 255  \t\xFF   \t\t\xA0"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TranslationRowPrefix(c.code), c.prefix) << c.code;
        EXPECT_EQ(TranslationRowPrefixes()[c.code], c.prefix) << c.code;
    }
    EXPECT_EQ(TranslationRowPrefix(256), "");
}

TEST(TranslationRowsTest, CellsNameTheControlCodes) {
    const struct {
        int code;
        const char* value;
        const char* name;
    } cases[] = {{0, "0", "NUL"},  {8, "8", "BS"},      {9, "9", "TAB"}, {27, "27", "ESC"},
                 {31, "31", "US"}, {32, "32", "SPACE"}, {65, "65", ""},  {127, "127", ""},
                 {160, "160", ""}, {255, "255", ""}};
    for (const auto& c : cases) {
        const TranslationRowCells cells = TranslationCellsOf(c.code);
        EXPECT_EQ(cells.Value, c.value);
        EXPECT_EQ(cells.ControlName, c.name) << c.code;
    }
}

TEST(TranslationRowsTest, ColumnTextByKind) {
    const struct {
        int kind;
        std::string entry;
        std::string shown;
    } cases[] = {
        {kTransKeystrokes, "{ENTER}", "{ENTER}"},
        {kTransKeystrokes, "A", "A"},
        {kTransKeystrokes, "NUL", "NUL"},
        {kTransCharacters, "A", "ASCII 65"},
        {kTransCharacters, "\0"s, "ASCII 0"},
        {kTransCharacters, "\xFF", "ASCII 255"},
        {kTransInput, "\xE9", "ASCII 233"},
        {kTransInput, "Ignore", "Ignore"},
        {kTransInput, "Void Record", "Void Record"},
        {kTransInput, "", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(TranslationColumnText(c.kind, c.entry), c.shown);
}

TEST(TranslationRowsTest, CharacterTableFollowsMode) {
    SetupGlobals g;
    ResetToDefaults(g, "/home/kim");
    g.Mode = kModeDde;
    StoreTranslation(g, kTransCharacters, 66, "\0"s);
    EXPECT_EQ(g.TransferCharTableDde[66], '\0');
    EXPECT_EQ(g.TransferCharTableLog[66], 'B');
    EXPECT_EQ(TranslationRowText(g, kTransCharacters, 66), TranslationRowPrefix(66) + "ASCII 0");

    g.Mode = kModeLog;
    StoreTranslation(g, kTransCharacters, 66, "x");
    EXPECT_EQ(g.TransferCharTableLog[66], 'x');
    EXPECT_EQ(g.TransferCharTableDde[66], '\0');
    EXPECT_EQ(TranslationEntry(g, kTransCharacters, 66), "x");
}

TEST(TranslationRowsTest, AShortCharacterTableIsFilledBeforeAStore) {
    SetupGlobals g;
    g.Mode = kModeDde;
    g.TransferCharTableDde = "abc";
    EXPECT_EQ(TranslationEntry(g, kTransCharacters, 200), "\xC8");
    EXPECT_EQ(TranslationEntry(g, kTransCharacters, 5), "\0"s);
    StoreTranslation(g, kTransCharacters, 200, "Z");
    ASSERT_EQ(g.TransferCharTableDde.size(), 256u);
    EXPECT_EQ(g.TransferCharTableDde.substr(0, 3), "abc");
    EXPECT_EQ(g.TransferCharTableDde[199], '\xC7');
    EXPECT_EQ(g.TransferCharTableDde[200], 'Z');
}

TEST(TranslationRowsTest, InputPicksStoreWordsWithoutTheirBlank) {
    SetupGlobals g;
    ResetToDefaults(g, "/home/kim");
    const struct {
        int code;
        std::string pick;
        std::string stored;
    } cases[] = {{0, kIgnoreEntry, "Ignore"},
                 {3, kVoidRecordEntry, "Void Record"},
                 {65, "\0"s, "\0"s},
                 {66, " ", " "}};
    for (const auto& c : cases) {
        StoreTranslation(g, kTransInput, c.code, c.pick);
        EXPECT_EQ(g.InputTranslation[c.code], c.stored) << c.code;
    }
    StoreTranslation(g, kTransInput, 67, "");
    EXPECT_EQ(g.InputTranslation[67], "C");
}

TEST(TranslationRowsTest, ResetRestoresOnlyTheEditedTable) {
    SetupGlobals g;
    ResetToDefaults(g, "/home/kim");
    const SetupGlobals defaults = g;
    g.TransferKeyTable.fill("x");
    g.InputTranslation.fill("Ignore");
    g.TransferCharTableDde.assign(256, 'd');
    g.TransferCharTableLog.assign(256, 'l');

    g.Mode = kModeDde;
    ResetTranslationTable(g, kTransCharacters);
    EXPECT_EQ(g.TransferCharTableDde, defaults.TransferCharTableDde);
    EXPECT_EQ(g.TransferCharTableDde.substr(0, 32), std::string(32, '\0'));
    EXPECT_EQ(g.TransferCharTableDde[32], ' ');
    EXPECT_EQ(g.TransferCharTableLog, std::string(256, 'l'));

    g.Mode = kModeLog;
    ResetTranslationTable(g, kTransCharacters);
    EXPECT_EQ(g.TransferCharTableLog, defaults.TransferCharTableLog);
    EXPECT_EQ(g.TransferCharTableLog[0], '\0');
    EXPECT_EQ(g.TransferCharTableLog[1], '\x01');

    ResetTranslationTable(g, kTransInput);
    EXPECT_EQ(g.InputTranslation, defaults.InputTranslation);
    EXPECT_EQ(g.TransferKeyTable[65], "x");

    ResetTranslationTable(g, kTransKeystrokes);
    EXPECT_EQ(g.TransferKeyTable, defaults.TransferKeyTable);
    EXPECT_EQ(g.TransferKeyTable[32], "{ }");
    g.DirectKeyEvents = kTrue;
    ResetTranslationTable(g, kTransKeystrokes);
    EXPECT_EQ(g.TransferKeyTable[32], " ");
    EXPECT_EQ(g.TransferKeyTable[160], " ");
    EXPECT_EQ(g.TransferKeyTable[13], "{ENTER}");
}

}  // namespace
}  // namespace quorvane
