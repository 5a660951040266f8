#include <gtest/gtest.h>

#include "delivery/KeyMacroParser.h"
#include "delivery/KeyMacroTyper.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeKeyInjector.h"
#include "fakes/FakeWaiter.h"

namespace quorvane {
namespace {

class KeyMacroTyperTest : public ::testing::Test {
  protected:
    FakeKeyInjector keys;
    FakeClock clock;
    FakeWaiter waiter{clock};
    KeyMacroTyper typer{keys, clock, waiter};
};

TEST_F(KeyMacroTyperTest, DirectMethodSavesStateAndFlushesOnce) {
    EXPECT_EQ(typer.TypeKeys("Ab{ENTER}"), kKeyMacroOk);
    EXPECT_EQ(keys.Events(true),
              "save, down SHIFT, char A, up SHIFT, char b, down ENTER, up ENTER, restore, flush");
    EXPECT_EQ(keys.typed, "Ab\n");
}

TEST_F(KeyMacroTyperTest, CapsLockIsSwitchedOffAroundTheTyping) {
    keys.capsLock = true;
    EXPECT_EQ(typer.TypeKeys("Ab"), kKeyMacroOk);
    EXPECT_EQ(keys.typed, "Ab");
    EXPECT_TRUE(keys.capsLock);
    EXPECT_EQ(keys.Events(),
              "save, toggle CAPSLOCK, down SHIFT, char A, up SHIFT, char b, restore, "
              "toggle CAPSLOCK");

    keys.ClearEvents();
    EXPECT_EQ(typer.TypeDefault("Ab"), kKeyMacroOk);
    EXPECT_EQ(keys.typed, "Ab");
    EXPECT_TRUE(keys.capsLock);
}

TEST_F(KeyMacroTyperTest, KeysTheUserHoldsAreReleasedAndPressedAgain) {
    keys.held = {16, 17};
    EXPECT_EQ(typer.TypeKeys("ab"), kKeyMacroOk);
    EXPECT_EQ(keys.typed, "ab");  // neither Shift nor Ctrl applied to the typing
    EXPECT_EQ(keys.Events(),
              "save, up SHIFT, up CTRL, char a, char b, restore, down SHIFT, down CTRL");
    EXPECT_EQ(keys.held, (std::set<int>{16, 17}));
}

TEST_F(KeyMacroTyperTest, AKeyLetGoOfDuringTheAltPauseIsNotPressedAgain) {
    keys.held = {16, 17};
    waiter.onWait = [&] { keys.userHolds.erase(16); };
    EXPECT_EQ(typer.TypeKeys("%f"), kKeyMacroOk);
    EXPECT_EQ(keys.Events(),
              "save, up SHIFT, up CTRL, down ALT, char f, up ALT, restore, down CTRL");
    EXPECT_EQ(keys.held, (std::set<int>{17}));
}

TEST_F(KeyMacroTyperTest, EveryAltReleaseIsFollowedByATwoSecondPause) {
    EXPECT_EQ(typer.TypeKeys("%f%(e)x"), kKeyMacroOk);
    EXPECT_EQ(keys.Events(true),
              "save, down ALT, char f, up ALT, flush, down ALT, char e, up ALT, flush, char x, "
              "restore, flush");
    EXPECT_EQ(waiter.waits, (std::vector<uint32_t>{2000, 2000}));
    EXPECT_EQ(clock.ticks, 4000u);
}

TEST_F(KeyMacroTyperTest, TheAltPauseKeepsWaitingUntilTheClockHasMoved) {
    waiter.stepMs = 700;
    EXPECT_EQ(typer.TypeKeys("%f"), kKeyMacroOk);
    EXPECT_EQ(waiter.waits, (std::vector<uint32_t>{2000, 1300, 600}));
    EXPECT_EQ(clock.ticks, 2000u);
}

TEST_F(KeyMacroTyperTest, DefaultMethodHasNoAltPauseAndNoStateSave) {
    EXPECT_EQ(typer.TypeDefault("%f"), kKeyMacroOk);
    EXPECT_EQ(keys.Events(true), "down ALT, char f, up ALT, flush");
    EXPECT_TRUE(waiter.waits.empty());
}

TEST_F(KeyMacroTyperTest, BraceSpaceIsASpaceOnlyForTheDefaultMethod) {
    EXPECT_EQ(typer.TypeDefault("a{ }b"), kKeyMacroOk);
    EXPECT_EQ(keys.typed, "a b");
    keys.ClearEvents();
    EXPECT_EQ(typer.TypeKeys("a{ }b"), kKeyMacroUnknownKey);
    EXPECT_TRUE(keys.events.empty());
}

TEST_F(KeyMacroTyperTest, AnErrorTypesNothingAtAll) {
    keys.capsLock = true;
    for (const char* macro : {"abc{NOSUCHKEY}", "{TAB 0}", "(abc", "x{ENTER"}) {
        EXPECT_NE(typer.TypeKeys(macro), kKeyMacroOk) << macro;
        EXPECT_NE(typer.TypeDefault(macro), kKeyMacroOk) << macro;
    }
    EXPECT_EQ(typer.TypeKeys(std::string(5000, 'a')), kKeyMacroTooLong);
    EXPECT_TRUE(keys.events.empty());
    EXPECT_TRUE(keys.capsLock);
}

TEST_F(KeyMacroTyperTest, TypeFollowsTheConfiguredMethod) {
    EXPECT_EQ(typer.Type("{ }"), kKeyMacroOk);
    typer.SetDirectKeyEvents(true);
    EXPECT_EQ(typer.Type("{ }"), kKeyMacroUnknownKey);
    EXPECT_EQ(typer.Type(" "), kKeyMacroOk);
    EXPECT_EQ(keys.typed, "  ");
}

TEST_F(KeyMacroTyperTest, CharactersOutsideTheLayoutAreTypedAsCharacters) {
    EXPECT_EQ(typer.TypeKeys("\xE9\x80\xDF"), kKeyMacroOk);
    EXPECT_EQ(keys.Events(), "save, char \xC3\xA9, char \xE2\x82\xAC, char \xC3\x9F, restore");
    EXPECT_EQ(keys.typed, "\xC3\xA9\xE2\x82\xAC\xC3\x9F");
}

}  // namespace
}  // namespace quorvane
