#include "setup/OutputStringRules.h"

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
    const size_t start = text.find_first_not_of(" ");
    if (start == std::string_view::npos) return 0;
    int64_t value = 0;
    for (size_t i = start; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > kMaxTimerInterval) return std::nullopt;
    }
    return static_cast<int32_t>(value);
}

bool IntervalBoxAccepts(int characterCode) {
    return characterCode == 8 || (characterCode >= '0' && characterCode <= '9');
}

std::string StringNameEntry(int n) {
    return "String" + std::to_string(n);
}

}  // namespace quorvane
