#include "setup/OutputStringRules.h"

#include "setup/RecordWizardRules.h"

namespace quorvane {

int16_t TimerOptionsOf(bool enableOnActivation, int action) {
    if (action < kTimerTransmit || action > kTimerBreak) action = kTimerTransmit;
    return static_cast<int16_t>((enableOnActivation ? 1 : 0) + (2 << action));
}

int TimerActionOf(int16_t options) {
    if (options & 4) return kTimerToggleDtr;
    if (options & 8) return kTimerBreak;
    return kTimerTransmit;
}

bool TimerEnabledOnActivation(int16_t options) {
    return (options & 1) != 0;
}

std::optional<int32_t> TimerIntervalOf(std::string_view text) {
    // The same digits rule as the wizard's number boxes, after any leading blanks.
    const size_t start = text.find_first_not_of(" ");
    if (start == std::string_view::npos) return 0;
    const int64_t value = NumericBoxValue(text.substr(start));
    if (value > kMaxTimerInterval) return std::nullopt;
    return static_cast<int32_t>(value);
}

bool IntervalBoxAccepts(int characterCode) {
    return characterCode >= 0 && IsNumericBoxCharacter(static_cast<char32_t>(characterCode));
}

std::string StringNameEntry(int n) {
    return "String" + std::to_string(n);
}

}  // namespace quorvane
