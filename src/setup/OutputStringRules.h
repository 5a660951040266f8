// The rules of the output string editor: the timer options bit set from the check box and the
// chosen action and back, the interval check, and the names of the twenty button strings.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorvane {

inline constexpr int32_t kMaxTimerInterval = 99999999;  // ms

// Timer actions, in the order of the option group.
enum TimerActions : int { kTimerTransmit = 0, kTimerToggleDtr = 1, kTimerBreak = 2 };

// Bit 0 for the check box, bit action+1 for the action (an action outside 0..2 counts as
// Transmit String).
int16_t TimerOptionsOf(bool enableOnActivation, int action);
// The action an opening selects: bit 2 Toggle DTR, else bit 3 Issue Break, else Transmit.
int TimerActionOf(int16_t options);
bool TimerEnabledOnActivation(int16_t options);

// The interval box's text as a number of milliseconds; nullopt when it is more than
// kMaxTimerInterval. The box holds digits only; anything else ends the number, and no
// digits at all is 0.
std::optional<int32_t> TimerIntervalOf(std::string_view text);

// The interval box takes the digits and Backspace (8); every other typed character is refused.
bool IntervalBoxAccepts(int characterCode);

// The entry of button string n (1..20) in the String Name list: "String" and n.
std::string StringNameEntry(int n);

}  // namespace quorvane
