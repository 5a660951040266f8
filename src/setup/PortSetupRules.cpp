#include "setup/PortSetupRules.h"

namespace quorvane {

namespace {

bool IsDigit(char32_t c) {
    return c >= U'0' && c <= U'9';
}

int InRange(int value, int count, int fallback) {
    return value >= 0 && value < count ? value : fallback;
}

// Stores value into setting; a different value marks the configuration changed.
template <typename Setting>
void Store(Setting& setting, int64_t value, int16_t& changed) {
    if (setting != value) changed = kTrue;
    setting = static_cast<Setting>(value);
}

bool ValidBufferSize(int64_t v) {
    return v >= kMinBufferSize && v <= kMaxBufferSize;
}

}  // namespace

std::string ConnectorName(int portIndex) {
    return "COM" + std::to_string(portIndex + 1);
}

bool IsBufferBoxCharacter(char32_t character) {
    return IsDigit(character) || character == U'\b';
}

int64_t BufferBoxValue(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    int64_t value = 0;
    for (; i < text.size() && IsDigit(static_cast<unsigned char>(text[i])); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > kMaxBufferSize) return kMaxBufferSize + 1;
    }
    return value;
}

BufferEdit CheckBufferEdit(std::string_view newText) {
    for (const char c : newText)
        if (!IsDigit(static_cast<unsigned char>(c))) return BufferEdit::NotDigits;
    return BufferBoxValue(newText) > kMaxBufferSize ? BufferEdit::TooLarge : BufferEdit::Keep;
}

int CaretAfterRestore(std::string_view restoredText) {
    return restoredText.size() < 5 ? static_cast<int>(restoredText.size()) : 5;
}

PortSetupChoice PortSetupChoiceFrom(const SetupGlobals& g) {
    const SetupGlobals defaults;
    PortSetupChoice c;
    c.PortIndex = InRange(g.PortIndex, kPortListCount, 0);
    c.BaudRateIndex = InRange(g.BaudRateIndex, kBaudOptions, defaults.BaudRateIndex);
    c.Parity = InRange(g.Parity, kParityOptions, defaults.Parity);
    c.DataBitsIndex = InRange(g.DataBitsIndex, kDataBitsOptions, defaults.DataBitsIndex);
    c.StopBits = InRange(g.StopBits, kStopBitsOptions, defaults.StopBits);
    c.FlowControl = InRange(g.FlowControl, kFlowOptions, defaults.FlowControl);
    c.InputBufferText = std::to_string(g.InputBufferSize);
    c.OutputBufferText = std::to_string(g.OutputBufferSize);
    return c;
}

PortSetupResult ApplyPortSetup(SetupGlobals& g, const PortSetupChoice& choice) {
    const int64_t in = BufferBoxValue(choice.InputBufferText);
    if (!ValidBufferSize(in)) return PortSetupResult::InputBufferInvalid;
    Store(g.InputBufferSize, in, g.ConfigChanged);
    const int64_t out = BufferBoxValue(choice.OutputBufferText);
    if (!ValidBufferSize(out)) return PortSetupResult::OutputBufferInvalid;
    Store(g.OutputBufferSize, out, g.ConfigChanged);
    Store(g.BaudRateIndex, choice.BaudRateIndex, g.ConfigChanged);
    Store(g.Parity, choice.Parity, g.ConfigChanged);
    Store(g.DataBitsIndex, choice.DataBitsIndex, g.ConfigChanged);
    Store(g.FlowControl, choice.FlowControl, g.ConfigChanged);
    Store(g.StopBits, choice.StopBits, g.ConfigChanged);
    Store(g.PortIndex, choice.PortIndex, g.ConfigChanged);
    return PortSetupResult::Stored;
}

}  // namespace quorvane
