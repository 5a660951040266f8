#include <gtest/gtest.h>

#include <string>

#include "delivery/KeyMacroParser.h"
#include "delivery/KeyMacroPlayer.h"
#include "delivery/KeyNameToVk.h"
#include "delivery/KeySteps.h"
#include "fakes/FakeKeyInjector.h"

namespace quorvane {
namespace {

struct ParseCase {
    const char* macro;
    const char* steps;
};

class ParseSteps : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseSteps, PlaysAsExpected) {
    FakeKeyInjector layout;
    KeyEventList list;
    ASSERT_EQ(ParseKeyMacro(GetParam().macro, layout, {}, list), kKeyMacroOk);
    EXPECT_EQ(KeySteps(list), GetParam().steps);
}

INSTANTIATE_TEST_SUITE_P(
    Notation, ParseSteps,
    ::testing::Values(
        ParseCase{"abc{ENTER}", "char a, char b, char c, down ENTER, up ENTER"},
        ParseCase{"{enter}~", "down ENTER, up ENTER, down ENTER, up ENTER"},
        ParseCase{"{TAB 3}", "down TAB, up TAB, down TAB, up TAB, down TAB, up TAB"},
        ParseCase{"{TAB  2}x", "down TAB, up TAB, down TAB, up TAB, char x"},
        ParseCase{"+(ab)c", "down SHIFT, char a, char b, up SHIFT, char c"},
        ParseCase{"+ab", "down SHIFT, char a, up SHIFT, char b"},
        ParseCase{"{+}a", "down SHIFT, char +, up SHIFT, char a"},
        ParseCase{"A!", "down SHIFT, char A, up SHIFT, down SHIFT, char !, up SHIFT"},
        ParseCase{"{A 2}", "down SHIFT, char A, char A, up SHIFT"},
        ParseCase{"%f", "down ALT, char f, up ALT"},
        ParseCase{"^+{F4}", "down CTRL, down SHIFT, down F4, up F4, up SHIFT, up CTRL"},
        ParseCase{"{}}{{}{~}{(}{)}{[}{]}{%}{^}",
                  "down SHIFT, char }, up SHIFT, down SHIFT, char {, up SHIFT, "
                  "down SHIFT, char ~, up SHIFT, down SHIFT, char (, up SHIFT, "
                  "down SHIFT, char ), up SHIFT, char [, char ], "
                  "down SHIFT, char %, up SHIFT, down SHIFT, char ^, up SHIFT"},
        // Shift already held by the prefix is not toggled off by a shifted character.
        ParseCase{"+(Ab)", "down SHIFT, char A, char b, up SHIFT"},
        ParseCase{"++a", "down SHIFT, char a, up SHIFT"},
        ParseCase{"a)", "char a, down SHIFT, char ), up SHIFT"},
        ParseCase{"x+", "char x, down SHIFT, up SHIFT"}, ParseCase{"()", ""},
        // Control characters with a key type it; the others type nothing.
        ParseCase{"\t\r\n\x1b\x01",
                  "down TAB, up TAB, down ENTER, up ENTER, down ENTER, "
                  "up ENTER, down ESCAPE, up ESCAPE"},
        ParseCase{"{SCROLLOCK}{prtsc}{Help}{F16}",
                  "down SCROLLOCK, up SCROLLOCK, down PRTSC, up PRTSC, down HELP, up HELP, "
                  "down F16, up F16"}));

struct ErrorCase {
    const char* macro;
    int error;
};

class ParseErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(ParseErrors, GiveTheirCode) {
    FakeKeyInjector layout;
    KeyEventList list;
    EXPECT_EQ(ParseKeyMacro(GetParam().macro, layout, {}, list), GetParam().error)
        << GetParam().macro;
}

INSTANTIATE_TEST_SUITE_P(
    Codes, ParseErrors,
    ::testing::Values(ErrorCase{"{ENTER", 1}, ErrorCase{"ab{", 1}, ErrorCase{"{TAB 3", 1},
                      ErrorCase{"{}", 1}, ErrorCase{"{NOSUCHKEY}", 2}, ErrorCase{"{ }", 2},
                      ErrorCase{"{DELAY 5}", 2}, ErrorCase{"{F17}", 2}, ErrorCase{"(ab", 3},
                      ErrorCase{"+(a{TAB}", 3}, ErrorCase{"({NOSUCHKEY})", 2},
                      ErrorCase{"{TAB 0}", 4}, ErrorCase{"{TAB x}", 4}, ErrorCase{"{TAB -1}", 5},
                      ErrorCase{"{TAB 4097}", 5}, ErrorCase{"{TAB 99999999999999999999}", 5}));

TEST(KeyMacroParser, ListHoldsAtMost4096Entries) {
    FakeKeyInjector layout;
    KeyEventList list;
    EXPECT_EQ(ParseKeyMacro(std::string(4096, 'a'), layout, {}, list), kKeyMacroOk);
    EXPECT_EQ(list.size(), 4096u);
    EXPECT_EQ(ParseKeyMacro(std::string(4097, 'a'), layout, {}, list), kKeyMacroTooLong);
    EXPECT_EQ(ParseKeyMacro(std::string(5000, 'a'), layout, {}, list), kKeyMacroTooLong);
    EXPECT_EQ(ParseKeyMacro("{TAB 4096}", layout, {}, list), kKeyMacroOk);
    // Shifted characters cost three entries each.
    EXPECT_EQ(ParseKeyMacro(std::string(1366, 'A'), layout, {}, list), kKeyMacroTooLong);
}

TEST(KeyMacroParser, DeepNestingIsRefusedNotOverflowed) {
    FakeKeyInjector layout;
    KeyEventList list;
    const std::string deep = std::string(100000, '(') + "a" + std::string(100000, ')');
    EXPECT_EQ(ParseKeyMacro(deep, layout, {}, list), kKeyMacroTooLong);
    EXPECT_EQ(ParseKeyMacro(std::string(100000, '+') + "a", layout, {}, list), kKeyMacroTooLong);
    const std::string nested = std::string(200, '(') + "a" + std::string(200, ')');
    EXPECT_EQ(ParseKeyMacro(nested, layout, {}, list), kKeyMacroOk);
}

TEST(KeyMacroParser, DefaultSyntaxReadsBraceSpaceAsSpace) {
    FakeKeyInjector layout;
    KeyEventList list;
    KeyMacroSyntax syntax;
    syntax.braceSpaceIsSpace = true;
    ASSERT_EQ(ParseKeyMacro("a{ }b", layout, syntax, list), kKeyMacroOk);
    EXPECT_EQ(KeySteps(list), "char a, char  , char b");
    EXPECT_EQ(ParseKeyMacro("{ 3}", layout, syntax, list), kKeyMacroUnknownKey);
}

TEST(KeyNameToVk, NamesInAnyCaseAndSingleCharacters) {
    FakeKeyInjector layout;
    const struct {
        const char* name;
        int code;
    } cases[] = {{"CAPSLOCK", 20},
                 {"numlock", 144},
                 {"ScrolLock", 145},
                 {"ESC", 27},
                 {"escape", 27},
                 {"BS", 8},
                 {"bksp", 8},
                 {"Del", 46},
                 {"INSERT", 45},
                 {"CLEAR", 12},
                 {"BREAK", 19},
                 {"PGUP", 33},
                 {"pgdn", 34},
                 {"HOME", 36},
                 {"END", 35},
                 {"LEFT", 37},
                 {"UP", 38},
                 {"RIGHT", 39},
                 {"DOWN", 40},
                 {"f1", 112},
                 {"F9", 120},
                 {"F16", 127},
                 {"SCROLLLOCK", 0},
                 {"F0", 0},
                 {"F017", 0},
                 {"", 0},
                 {"SPACE", 0},
                 {"a", kCharacterBit | 'a'},
                 {"A", kCharacterBit | kShiftBit | 'A'},
                 {"+", kCharacterBit | kShiftBit | '+'},
                 {"\xE9", kCharacterBit | 0xE9}};
    for (const auto& c : cases) EXPECT_EQ(KeyNameToVk(c.name, layout), c.code) << c.name;
}

}  // namespace
}  // namespace quorvane
