#include "delivery/SendKeyMacro.h"

#include "delivery/KeyMacroParser.h"
#include "strings/AsciiCase.h"

namespace quorvane {

namespace {

size_t FindDelay(std::string_view text) {
    static constexpr std::string_view kDelay = "{DELAY";
    for (size_t i = 0; i + kDelay.size() <= text.size(); ++i) {
        if (AsciiStartsWithNoCase(text, i, kDelay)) return i;
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
