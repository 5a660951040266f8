#include <gtest/gtest.h>

#include "delivery/SendKeyMacro.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeKeyInjector.h"
#include "fakes/FakeWaiter.h"

namespace quorvane {
namespace {

class SendKeyMacroTest : public ::testing::Test {
  protected:
    // Each wait is noted in the key events, so the order of typing and waiting shows.
    void SetUp() override {
        waiter.onWait = [this] { keys.events.push_back("wait@" + std::to_string(clock.ticks)); };
        waiter.stepMs = 50;
    }
    FakeKeyInjector keys;
    FakeClock clock;
    FakeWaiter waiter{clock};
    KeyMacroTyper typer{keys, clock, waiter};
};

TEST_F(SendKeyMacroTest, DelayPausesBetweenThePieces) {
    SendKeyMacro("x{DELAY 120}y", typer);
    EXPECT_EQ(keys.Events(true), "char x, flush, wait@0, wait@50, wait@100, char y, flush");
    EXPECT_EQ(clock.ticks, 120u);
    EXPECT_EQ(waiter.waits, (std::vector<uint32_t>{120, 70, 20}));
}

TEST_F(SendKeyMacroTest, DelayIsFoundInAnyCaseAndRepeats) {
    SendKeyMacro("{delay 50}a{Delay 50}{DELAY  50 }b", typer);
    EXPECT_EQ(keys.Events(), "wait@0, char a, wait@50, wait@100, char b");
}

TEST_F(SendKeyMacroTest, UnclosedDelayEndsTheMacroSilently) {
    SendKeyMacro("x{DELAY 500", typer);
    EXPECT_TRUE(keys.events.empty());
    SendKeyMacro("a{DELAY 50}b{DELAY 9", typer);
    EXPECT_EQ(keys.Events(), "char a, wait@0");
}

TEST_F(SendKeyMacroTest, DelayWithoutANumberOrNegativeDoesNotWait) {
    SendKeyMacro("a{DELAY}b{DELAY -40}c{DELAY x}d", typer);
    EXPECT_EQ(keys.typed, "abcd");
    EXPECT_TRUE(waiter.waits.empty());
}

TEST_F(SendKeyMacroTest, APieceThatDoesNotParseIsDroppedAndTheRestTyped) {
    SendKeyMacro("a{NOSUCHKEY}{DELAY 10}b", typer);
    EXPECT_EQ(keys.Events(), "wait@0, char b");
    keys.ClearEvents();
    typer.SetDirectKeyEvents(true);
    // The delay cuts the group: "(a" fails, and ")" after it is an ordinary character.
    SendKeyMacro("(a{DELAY 10}b)c", typer);
    EXPECT_EQ(keys.Events(),
              "wait@10, save, char b, down SHIFT, char ), up SHIFT, char c, restore");
}

TEST_F(SendKeyMacroTest, TheDelayKeepsTheInterfaceAliveForOtherTyping) {
    // A hot key pressed during the pause types its own macro in between.
    bool fired = false;
    waiter.onWait = [&] {
        if (!fired) {
            fired = true;
            SendKeyMacro("h", typer);
        }
    };
    SendKeyMacro("x{DELAY 20}y", typer);
    EXPECT_EQ(keys.typed, "xhy");
}

}  // namespace
}  // namespace quorvane
