#include "setup/ModeDialogRules.h"

namespace quorvane {

std::string TrimBlanks(std::string_view text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const size_t last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

void StoreText(std::string& setting, const std::string& value, int16_t& changed) {
    if (setting != value) changed = kTrue;
    setting = value;
}

void StoreBool(int16_t& setting, bool value, int16_t& changed) {
    if (IsTrue(setting) != value) changed = kTrue;
    setting = value ? kTrue : kFalse;
}

void StoreTargetApp(SetupGlobals& g, std::string_view title, std::string_view command) {
    const std::string t = TrimBlanks(title);
    const std::string c = TrimBlanks(command);
    StoreText(g.TargetAppTitle, t, g.ConfigChanged);
    StoreText(g.TargetAppCommand, c, g.ConfigChanged);
    StoreBool(g.TargetAppSpecified, !t.empty() || !c.empty(), g.ConfigChanged);
}

DdeDialogValues DdeValuesOf(const SetupGlobals& g, int kind) {
    switch (kind) {
        case kDdeCommandSource:
            return {g.CommandLinkApp, g.CommandLinkTopic, g.CommandLinkItem,
                    IsTrue(g.CommandLinkOnActivation), false};
        case kDdeOutputBuffer:
            return {g.BufferLinkApp, g.BufferLinkTopic, g.BufferLinkItem,
                    IsTrue(g.BufferLinkOnActivation), IsTrue(g.StripCrLfFromBuffer)};
        default:
            return {g.DdeTargetApp, g.DdeTargetTopic, g.DdeTargetItem, false, false};
    }
}

void StoreDdeValues(SetupGlobals& g, int kind, const DdeDialogValues& values) {
    const std::string app = TrimBlanks(values.App);
    const std::string topic = TrimBlanks(values.Topic);
    const std::string item = TrimBlanks(values.Item);
    int16_t& changed = g.ConfigChanged;
    switch (kind) {
        case kDdeCommandSource:
            StoreText(g.CommandLinkApp, app, changed);
            StoreText(g.CommandLinkTopic, topic, changed);
            StoreText(g.CommandLinkItem, item, changed);
            StoreBool(g.CommandLinkOnActivation, values.LinkOnActivation, changed);
            break;
        case kDdeOutputBuffer:
            StoreText(g.BufferLinkApp, app, changed);
            StoreText(g.BufferLinkTopic, topic, changed);
            StoreText(g.BufferLinkItem, item, changed);
            StoreBool(g.BufferLinkOnActivation, values.LinkOnActivation, changed);
            StoreBool(g.StripCrLfFromBuffer, values.StripCrLf, changed);
            break;
        default:
            StoreText(g.DdeTargetApp, app, changed);
            StoreText(g.DdeTargetTopic, topic, changed);
            StoreText(g.DdeTargetItem, item, changed);
            break;
    }
}

std::optional<std::string> ChosenDdeTopic(bool specifyTopic, std::string_view boxText) {
    if (!specifyTopic) return std::string();
    std::string topic = TrimBlanks(boxText);
    if (topic.empty()) return std::nullopt;
    return topic;
}

}  // namespace quorvane
