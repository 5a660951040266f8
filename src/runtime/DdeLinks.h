// The two DDE client links of the runtime window: the Command Source link, whose every new
// text runs as a command, and the Output Buffer link, whose every new text goes to the
// device. Each is held by a hidden label (CommandBuffer, OutputBuffer) with a link mode, a
// link topic "app|topic" and a link item. Links open only when the poll tick asks
// (EstablishCommandLink / EstablishBufferLink); pasting and refreshing only schedule that.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "config/SetupGlobals.h"
#include "platform/Clipboard.h"
#include "platform/DdeLinkClient.h"
#include "platform/Messages.h"
#include "runtime/DdeCommandHost.h"
#include "strings/StringIds.h"

namespace quorvane {

enum class DdeLinkKind { Command, Buffer };
enum class DdeLinkMode { None, Automatic };

struct ClipboardLink {
    std::string application, topic, item;
    bool operator==(const ClipboardLink&) const = default;
};

// "App|Topic!Item" read into its parts: the application runs up to the first '|', the topic
// up to the first '!' after it (or to the end, leaving the item empty). Nullopt when there
// is no '|', since then the text names no topic.
std::optional<ClipboardLink> ParseClipboardLink(std::string_view text);

// What the Output Buffer link sends of an incoming text: with strip set, a text longer than
// one character loses a final CR LF.
std::string StripCrLf(std::string text, bool strip);

// The Edit menu rule for one link item. clipboardHoldsLink: the clipboard holds the link
// format and plain text; the link modes are those of CommandBuffer and OutputBuffer.
bool LinkMenuItemEnabled(LinkMenuItem item, const SetupGlobals& g, bool clipboardHoldsLink,
                         DdeLinkMode commandMode, DdeLinkMode bufferMode);

class DdeLinks {
  public:
    // Runs one command text (the command interpreter's Execute); the answer is ignored.
    using CommandRunner = std::function<bool(const std::string& command)>;
    // Asks the poll tick to establish the link at the start of its next tick.
    using LinkScheduler = std::function<void(DdeLinkKind kind)>;

    // Every reference must outlive this object; clipboard may be null (no clipboard). runner
    // runs a command link's texts and scheduler asks for a link at the next tick; without
    // them the texts are not run and a pasted link opens at once.
    DdeLinks(SetupGlobals& g, DdeLinkClient& client, Messages& messages, Clipboard* clipboard,
             CommandRunner runner = {}, LinkScheduler scheduler = {});
    ~DdeLinks();
    DdeLinks(const DdeLinks&) = delete;
    DdeLinks& operator=(const DdeLinks&) = delete;

    // Opens the link from its three settings when application and topic are both set: the
    // old link ends first, and a link that cannot be made shows its message and stays off.
    void EstablishCommandLink() { Establish(DdeLinkKind::Command); }
    void EstablishBufferLink() { Establish(DdeLinkKind::Buffer); }
    // Link mode none (the Terminate items).
    void Terminate(DdeLinkKind kind);
    // The window unloads: both links end.
    void Unload();

    // The Edit menu: recompute the six items, read them, perform one as its click does.
    void RecomputeEditMenu();
    bool IsItemEnabled(LinkMenuItem item) const { return enabled_[Index(item)]; }
    void Perform(LinkMenuItem item);

    // The clipboard when there is a usable one, else nullptr (what DdeCommandHost hands out).
    Clipboard* UsableClipboard() const;

    DdeLinkMode Mode(DdeLinkKind kind) const { return Get(kind).mode; }
    // "app|topic" and the item of the last establish, kept when the link goes off.
    const std::string& LinkTopic(DdeLinkKind kind) const { return Get(kind).topic; }
    const std::string& LinkItem(DdeLinkKind kind) const { return Get(kind).item; }
    // The label's text: the last text that arrived and was not consumed.
    const std::string& LabelText(DdeLinkKind kind) const { return Get(kind).label; }

  private:
    struct Link {
        DdeLinkMode mode = DdeLinkMode::None;
        std::string topic, item, label;
        DdeLinkHandle handle = 0;
        uint64_t serial = 0;     // tells the callbacks of an old link from the current one
        bool valueSeen = false;  // a value arrived since the establish: the link stands
        // The source the command link ran lastRun from; a re-establish to the same source
        // skips a first value equal to it, so a {CONFIG} that re-links does not loop.
        std::string lastSource, lastRun;
        bool skipRepeat = false;
    };

    static size_t Index(LinkMenuItem item) { return static_cast<size_t>(item); }
    Link& Get(DdeLinkKind kind) { return links_[kind == DdeLinkKind::Command ? 0 : 1]; }
    const Link& Get(DdeLinkKind kind) const { return links_[kind == DdeLinkKind::Command ? 0 : 1]; }

    void Establish(DdeLinkKind kind);
    void ShowFailure(DdeLinkKind kind, const std::string& application, const std::string& topic,
                     const std::string& item);
    void Paste(DdeLinkKind kind);
    void Schedule(DdeLinkKind kind);
    void OnValue(DdeLinkKind kind, uint64_t serial, const std::string& text);
    void OnError(DdeLinkKind kind, uint64_t serial);

    SetupGlobals& g_;
    DdeLinkClient& client_;
    Messages& messages_;
    Clipboard* clipboard_;
    CommandRunner runner_;
    LinkScheduler scheduler_;
    std::array<Link, 2> links_;
    std::array<bool, 6> enabled_{};
    uint64_t lastSerial_ = 0;
    bool queueFullShown_ = false;  // a buffer-link value was refused for the full queue
};

}  // namespace quorvane
