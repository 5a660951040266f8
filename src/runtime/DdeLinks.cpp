#include "runtime/DdeLinks.h"

#include "config/CodePage.h"
#include "strings/StringIds.h"
#include "strings/StringTable.h"

namespace quorvane {

namespace {

struct LinkSettings {
    std::string& application;
    std::string& topic;
    std::string& item;
};

LinkSettings SettingsOf(SetupGlobals& g, DdeLinkKind kind) {
    if (kind == DdeLinkKind::Command)
        return {g.CommandLinkApp, g.CommandLinkTopic, g.CommandLinkItem};
    return {g.BufferLinkApp, g.BufferLinkTopic, g.BufferLinkItem};
}

}  // namespace

std::optional<ClipboardLink> ParseClipboardLink(std::string_view text) {
    const size_t bar = text.find('|');
    if (bar == std::string_view::npos) return std::nullopt;
    // A '!' before the '|' belongs to the application name, not to the item.
    const size_t bang = text.find('!', bar + 1);
    ClipboardLink link;
    link.application = std::string(text.substr(0, bar));
    if (bang == std::string_view::npos) {
        link.topic = std::string(text.substr(bar + 1));
    } else {
        link.topic = std::string(text.substr(bar + 1, bang - bar - 1));
        link.item = std::string(text.substr(bang + 1));
    }
    return link;
}

std::string StripCrLf(std::string text, bool strip) {
    if (strip && text.size() > 1 && text.compare(text.size() - 2, 2, "\r\n") == 0)
        text.resize(text.size() - 2);
    return text;
}

bool LinkMenuItemEnabled(LinkMenuItem item, const SetupGlobals& g, bool clipboardHoldsLink,
                         DdeLinkMode commandMode, DdeLinkMode bufferMode) {
    switch (item) {
        case LinkMenuItem::PasteCommand:
        case LinkMenuItem::PasteBuffer:
            return clipboardHoldsLink;
        case LinkMenuItem::RefreshCommand:
            return !g.CommandLinkApp.empty() && !g.CommandLinkTopic.empty();
        case LinkMenuItem::RefreshBuffer:
            return !g.BufferLinkApp.empty() && !g.BufferLinkTopic.empty();
        case LinkMenuItem::TerminateCommand:
            return commandMode == DdeLinkMode::Automatic;
        case LinkMenuItem::TerminateBuffer:
            return bufferMode == DdeLinkMode::Automatic;
    }
    return false;
}

DdeLinks::DdeLinks(SetupGlobals& g, DdeLinkClient& client, Messages& messages, Clipboard* clipboard,
                   CommandRunner runner, LinkScheduler scheduler)
    : g_(g),
      client_(client),
      messages_(messages),
      clipboard_(clipboard),
      runner_(std::move(runner)),
      scheduler_(std::move(scheduler)) {}

DdeLinks::~DdeLinks() {
    Unload();
}

void DdeLinks::Establish(DdeLinkKind kind) {
    const LinkSettings s = SettingsOf(g_, kind);
    if (s.application.empty() || s.topic.empty()) return;
    // Copies: a callback may change the settings (a pasted link) before we are done.
    const std::string application = s.application, topic = s.topic, item = s.item;

    Terminate(kind);
    Link& link = Get(kind);
    link.topic = application + "|" + topic;
    link.item = item;
    const uint64_t serial = ++lastSerial_;
    link.serial = serial;
    link.valueSeen = false;
    const std::string source = link.topic + "!" + item;
    link.skipRepeat = source == link.lastSource;
    if (!link.skipRepeat) link.lastRun.clear();
    link.lastSource = source;
    const DdeLinkResult result = client_.Subscribe(
        application, topic, item,
        [this, kind, serial](const std::string& text) { OnValue(kind, serial, text); },
        [this, kind, serial] { OnError(kind, serial); });
    if (result.handle == 0) {
        ShowFailure(kind, application, topic, item);
        return;
    }
    link.handle = result.handle;
    link.mode = DdeLinkMode::Automatic;
}

void DdeLinks::ShowFailure(DdeLinkKind kind, const std::string& application,
                           const std::string& topic, const std::string& item) {
    const int id = kind == DdeLinkKind::Command ? kStrCommandLinkFailed : kStrBufferLinkFailed;
    const std::string text =
        LoadString(id) + " " + CodePage::ToUtf8(application + "," + topic + "," + item);
    messages_.Show(text, LoadString(kStrQuorvaneTitle), MessageButtons::Ok, MessageIcon::None);
}

void DdeLinks::Terminate(DdeLinkKind kind) {
    Link& link = Get(kind);
    const DdeLinkHandle handle = link.handle;
    link.mode = DdeLinkMode::None;
    link.handle = 0;
    link.serial = 0;
    client_.Unsubscribe(handle);
}

void DdeLinks::Unload() {
    Terminate(DdeLinkKind::Command);
    Terminate(DdeLinkKind::Buffer);
}

Clipboard* DdeLinks::UsableClipboard() const {
    return clipboard_ != nullptr && clipboard_->Available() ? clipboard_ : nullptr;
}

void DdeLinks::RecomputeEditMenu() {
    const Clipboard* clipboard = UsableClipboard();
    const bool holdsLink = clipboard != nullptr && clipboard->HoldsLink();
    const DdeLinkMode command = Mode(DdeLinkKind::Command);
    const DdeLinkMode buffer = Mode(DdeLinkKind::Buffer);
    for (LinkMenuItem item :
         {LinkMenuItem::PasteCommand, LinkMenuItem::RefreshCommand, LinkMenuItem::TerminateCommand,
          LinkMenuItem::PasteBuffer, LinkMenuItem::RefreshBuffer, LinkMenuItem::TerminateBuffer})
        enabled_[Index(item)] = LinkMenuItemEnabled(item, g_, holdsLink, command, buffer);
}

void DdeLinks::Perform(LinkMenuItem item) {
    switch (item) {
        case LinkMenuItem::PasteCommand:
            Paste(DdeLinkKind::Command);
            break;
        case LinkMenuItem::RefreshCommand:
            Schedule(DdeLinkKind::Command);
            break;
        case LinkMenuItem::TerminateCommand:
            Terminate(DdeLinkKind::Command);
            break;
        case LinkMenuItem::PasteBuffer:
            Paste(DdeLinkKind::Buffer);
            break;
        case LinkMenuItem::RefreshBuffer:
            Schedule(DdeLinkKind::Buffer);
            break;
        case LinkMenuItem::TerminateBuffer:
            Terminate(DdeLinkKind::Buffer);
            break;
    }
}

// The settings change in memory only; they reach the file if the setup window saves it.
void DdeLinks::Paste(DdeLinkKind kind) {
    const Clipboard* clipboard = UsableClipboard();
    if (clipboard == nullptr || !clipboard->HoldsLink()) return;
    const std::optional<ClipboardLink> parsed = ParseClipboardLink(clipboard->LinkText());
    if (!parsed) return;
    const LinkSettings s = SettingsOf(g_, kind);
    s.application = parsed->application;
    s.topic = parsed->topic;
    s.item = parsed->item;
    Schedule(kind);
}

void DdeLinks::Schedule(DdeLinkKind kind) {
    if (scheduler_) scheduler_(kind);
}

// Every arrival is handled, also a text equal to the last one: the label is emptied after
// each, so a repeated command or buffer text acts again.
void DdeLinks::OnValue(DdeLinkKind kind, uint64_t serial, const std::string& text) {
    Link& link = Get(kind);
    if (serial != link.serial || link.mode != DdeLinkMode::Automatic) return;
    const bool first = !link.valueSeen;
    link.valueSeen = true;
    if (kind == DdeLinkKind::Command) {
        const bool repeat = first && link.skipRepeat && text == link.lastRun;
        link.skipRepeat = false;
        if (repeat) return;
        link.label = text;
        if (text.empty()) return;
        link.lastRun = text;
        if (runner_) runner_(text);  // a refused command is dropped without notice
        Get(kind).label.clear();
        return;
    }
    link.label = text;
    const std::string out = StripCrLf(text, IsTrue(g_.StripCrLfFromBuffer));
    if (out.empty()) return;
    // Another program's output is held to the queue's bound like any send; the first value
    // refused is said, and again after one that fitted.
    if (!AppendWithinOutputLimit(g_.OutputQueue, out)) {
        if (!queueFullShown_) {
            queueFullShown_ = true;
            messages_.Show(LoadString(kStrOutputQueueFull, {std::to_string(g_.OutputQueue.size())}),
                           LoadString(kStrQuorvaneTitle), MessageButtons::Ok,
                           MessageIcon::Exclamation);
        }
        return;
    }
    queueFullShown_ = false;
    link.label.clear();
}

// An error before the first value means the link was never made (the other program does
// not serve the item): that is an establish failure, with its message, for both links.
// Later, only the command link goes off on an error; the buffer link stays, so that it
// carries on when the other program serves the item again.
void DdeLinks::OnError(DdeLinkKind kind, uint64_t serial) {
    Link& link = Get(kind);
    if (serial != link.serial) return;
    if (!link.valueSeen) {
        const size_t bar = link.topic.find('|');
        const std::string application = link.topic.substr(0, bar);
        const std::string topic = bar == std::string::npos ? "" : link.topic.substr(bar + 1);
        const std::string item = link.item;
        Terminate(kind);
        ShowFailure(kind, application, topic, item);
        return;
    }
    if (kind != DdeLinkKind::Command) return;
    Terminate(kind);
}

}  // namespace quorvane
