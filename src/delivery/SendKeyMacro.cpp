#include "delivery/SendKeyMacro.h"

#include "delivery/KeyMacroParser.h"

namespace quorvane {

namespace {

size_t FindDelay(std::string_view text) {
    static constexpr std::string_view kDelay = "{DELAY";
    for (size_t i = 0; i + kDelay.size() <= text.size(); ++i) {
        size_t k = 0;
        while (k < kDelay.size()) {
            char c = text[i + k];
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
            if (c != kDelay[k]) break;
            ++k;
        }
        if (k == kDelay.size()) return i;
    }
    return std::string_view::npos;
}

}  // namespace

void SendKeyMacro(std::string_view text, KeyMacroTyper& typer) {
    for (;;) {
        const size_t delay = FindDelay(text);
        if (delay == std::string_view::npos) break;
        const size_t close = text.find('}', delay);
        if (close == std::string_view::npos) return;
        const std::string_view head = text.substr(0, delay);
        const long long ms = LeadingInteger(text.substr(delay + 6, close - delay - 6));
        text = text.substr(close + 1);
        if (!head.empty()) typer.Type(head);
        typer.Pause(ms);
    }
    if (!text.empty()) typer.Type(text);
}

}  // namespace quorvane
