#include <gtest/gtest.h>

#include "setup/OutputStringRules.h"

namespace quorvane {
namespace {

TEST(OutputStringRulesTest, TimerOptionsFromCheckBoxAndAction) {
    const struct {
        bool enable;
        int action;
        int16_t options;
    } cases[] = {{false, kTimerTransmit, 2},
                 {true, kTimerTransmit, 3},
                 {false, kTimerToggleDtr, 4},
                 {true, kTimerToggleDtr, 5},
                 {false, kTimerBreak, 8},
                 {true, kTimerBreak, 9},
                 {true, 7, 3}};
    for (const auto& c : cases)
        EXPECT_EQ(TimerOptionsOf(c.enable, c.action), c.options) << c.enable << c.action;
}

TEST(OutputStringRulesTest, OpeningSelectsTheActionOfTheBits) {
    const struct {
        int16_t options;
        int action;
        bool enabled;
    } cases[] = {
        {0, kTimerTransmit, false},   {1, kTimerTransmit, true},    {2, kTimerTransmit, false},
        {5, kTimerToggleDtr, true},   {8, kTimerBreak, false},      {9, kTimerBreak, true},
        {12, kTimerToggleDtr, false}, {14, kTimerToggleDtr, false}, {10, kTimerBreak, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(TimerActionOf(c.options), c.action) << c.options;
        EXPECT_EQ(TimerEnabledOnActivation(c.options), c.enabled) << c.options;
    }
}

TEST(OutputStringRulesTest, IntervalLimit) {
    const struct {
        const char* text;
        std::optional<int32_t> value;
    } cases[] = {{"", 0},
                 {"0", 0},
                 {"1000", 1000},
                 {"00001000", 1000},
                 {"99999999", 99999999},
                 {"000000099999999", 99999999},
                 {"100000000", std::nullopt},
                 {"99999999999999999999999", std::nullopt},
                 {"12x4", 12}};
    for (const auto& c : cases) EXPECT_EQ(TimerIntervalOf(c.text), c.value) << c.text;
}

TEST(OutputStringRulesTest, IntervalBoxTakesDigitsAndBackspace) {
    for (const int code : {int{'0'}, int{'5'}, int{'9'}, 8})
        EXPECT_TRUE(IntervalBoxAccepts(code)) << code;
    for (const int code : {int{'-'}, int{'+'}, int{'.'}, int{' '}, int{'a'}, 13, 0, 0xB2})
        EXPECT_FALSE(IntervalBoxAccepts(code)) << code;
}

}  // namespace
}  // namespace quorvane
