#include "runtime/RuntimeSession.h"

#include <algorithm>
#include <cstdlib>

#include "engine/format/FormatField.h"
#include "serial/PortDriver.h"
#include "strings/StringIds.h"
#include "strings/StringTable.h"

namespace quorvane {

namespace {

constexpr int kDefaultPlacement = 1000;  // twips, for a port never used before
const std::string kSettingsSection = "Settings";

// A stored number; fallback when the key is missing or holds no whole number.
long StoredNumber(SettingsStore& store, const std::string& application, const std::string& key,
                  long fallback) {
    const std::string text = store.GetSetting(application, kSettingsSection, key, {});
    if (text.empty()) return fallback;
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    while (end && (*end == ' ' || *end == '\t')) ++end;
    return end && *end == '\0' && end != text.c_str() ? value : fallback;
}

bool SameSecond(const DateTimeParts& a, const DateTimeParts& b) {
    return a.Year == b.Year && a.Month == b.Month && a.Day == b.Day && a.Hour == b.Hour &&
           a.Minute == b.Minute && a.Second == b.Second;
}

}  // namespace

RuntimeSession::RuntimeSession(const RuntimeServices& services, RuntimeView& view)
    : g_(services.g),
      services_(services),
      view_(view),
      engine_(services.g, flags_, services.locale,
              EngineServices{services.messages, services.clock, *this, services.keys, services.dde,
                             services.log}),
      output_(services.g, services.port, services.clock, services.virtualDevice) {
    services_.ddeHooks.AttachItems(&items_);
}

RuntimeSession::~RuntimeSession() {
    services_.ddeHooks.AttachItems(nullptr);
}

void RuntimeSession::Activate() {
    unloaded_ = false;
    quitPending_ = false;
    unloadPending_ = false;

    flags_.DdeConversation = 0;
    services_.ddeHooks.InitializeClient();
    output_.Activate();

    // The topic chosen at the first activation stays when a reload repeats the set-up.
    topic_.ApplyActivation(g_);
    items_.SetFieldCount(FieldCount(g_));
    services_.ddeHooks.SetTopic(topic_.Current());

    captionBase_ = "Quorvane - " + g_.PortName;
    caption_ = captionBase_;
    if (IsVirtual()) caption_ += " " + LoadString(kStrVirtualDevice);
    view_.SetCaption(caption_);

    // Placement and beep type are remembered per port.
    view_.SetPlacement(static_cast<int>(StoredNumber(services_.settings, captionBase_, "MainLeft",
                                                     kDefaultPlacement)),
                       static_cast<int>(StoredNumber(services_.settings, captionBase_, "MainTop",
                                                     kDefaultPlacement)));
    flags_.SpecialBeep =
        static_cast<int>(StoredNumber(services_.settings, captionBase_, "SpecialBeep", 0));
    if (IsTrue(g_.MinimizeOnActivation)) view_.Minimize();

    flags_.Suspended = false;
    flags_.ResumeOneRecord = false;
    flags_.ExitRequest = 0;
    view_.SetSuspended(false);

    view_.SetLineButtons((g_.WindowButtons & 1) != 0, (g_.WindowButtons & 2) != 0);
    timedMenuVisible_ = g_.TimerInterval != 0;
    view_.SetTimedOutputMenu(timedMenuVisible_, output_.TimedOutputEnabled());

    std::vector<StringButtonInfo> buttons;
    for (int n = 1; n <= kStringButtons; ++n) {
        if (!g_.ButtonString[static_cast<size_t>(n)].empty())
            buttons.push_back({n, g_.ButtonCaption[static_cast<size_t>(n)]});
    }
    view_.SetStringButtons(buttons);

    engine_.Activate();
    const int fieldCount = FieldCount(g_);
    // Every box and every served item starts empty, so nothing of a previous configuration
    // is read as a reading of this one.
    items_.ClearFields();
    for (int n = 1; n <= fieldCount; ++n) view_.SetFieldText(n, std::string());

    dateTimeShown_ = false;
    view_.SetDateTimeVisible(IsTrue(g_.ShowDateTime));

    commandLinkPending_ = false;
    bufferLinkPending_ = false;
    if (!g_.CommandLinkApp.empty() && !g_.CommandLinkTopic.empty() &&
        IsTrue(g_.CommandLinkOnActivation))
        services_.ddeHooks.EstablishCommandLink();
    if (!g_.BufferLinkApp.empty() && !g_.BufferLinkTopic.empty() &&
        IsTrue(g_.BufferLinkOnActivation))
        services_.ddeHooks.EstablishBufferLink();

    // Said once in the program's life, before the hot keys say their own unavailability.
    if (g_.Mode == kModeKeystrokes && !typingNoticeShown_) {
        const bool canType = services_.keys.CanType();
        const std::string text =
            canType ? services_.keys.TypingNotice() : LoadString(kStrKeystrokesUnavailable);
        if (!text.empty()) {
            typingNoticeShown_ = true;
            services_.messages.Show(text, LoadString(kStrQuorvaneTitle), MessageButtons::Ok,
                                    canType ? MessageIcon::Information : MessageIcon::Exclamation);
        }
    }
    if (g_.Mode == kModeKeystrokes) services_.keys.PrepareTyping();
    services_.hotKeys.Program(g_);

    portLost_ = false;
    droppedOutputShown_ = false;
    tooLongShown_ = false;
    if (IsTrue(g_.ActivateSuspended)) Suspend();
}

ByteSource& RuntimeSession::Input() {
    if (IsVirtual() && services_.virtualDevice) return *services_.virtualDevice;
    return services_.port;
}

void RuntimeSession::PollTick() {
    if (unloaded_) return;
    if (inTick_) {
        ++skippedTicks_;
        return;
    }
    inTick_ = true;

    if (commandLinkPending_) {
        commandLinkPending_ = false;
        services_.ddeHooks.EstablishCommandLink();
    }
    if (bufferLinkPending_) {
        bufferLinkPending_ = false;
        services_.ddeHooks.EstablishBufferLink();
    }
    output_.BreakCountdown();
    ShowDateTime();
    output_.TimedOutputStep();
    output_.OptoRsPoll();
    WatchPort();
    output_.Flush();
    // A queue the device has taken whole ends a time of refusals and drops: what was dropped
    // is said now, with its count, and the next refusal is said again.
    if (g_.OutputQueue.empty()) {
        if (!portLost_) droppedOutputShown_ = false;
        ReportDroppedOwnOutput();
    }
    // While the device is away nothing is read: the tick that found the loss has handled
    // what came before it.
    if (!portLost_) engine_.PollInput(Input());

    // A suspended tick ends before the deferred exit: a quit asked for while suspended waits
    // until input is resumed and what was waiting has been handled.
    if (!flags_.Suspended && flags_.ExitRequest != 0) {
        flags_.ExitRequest = static_cast<int16_t>(flags_.ExitRequest + 2);
        if (flags_.ExitRequest > 2) quitPending_ = true;
    }

    inTick_ = false;
    std::vector<std::function<void()>> actions;
    actions.swap(afterTick_);
    if (quitPending_) {
        QuitNow();
    } else if (unloadPending_) {
        Unload();
    } else {
        for (const std::function<void()>& action : actions) action();
    }
}

void RuntimeSession::RunAfterTick(std::function<void()> action) {
    if (!inTick_) {
        action();
        return;
    }
    afterTick_.push_back(std::move(action));
}

void RuntimeSession::ShowDateTime() {
    if (!IsTrue(g_.ShowDateTime)) return;
    const DateTimeParts now = services_.clock.Now();
    if (dateTimeShown_ && SameSecond(now, dateTimeLast_)) return;
    dateTimeShown_ = true;
    dateTimeLast_ = now;
    items_.SetDateTime(FormatDateTime(now, g_.DateTimeFormat, services_.locale));
    view_.SetDateTimeText(items_.DateTime());
}

void RuntimeSession::WatchPort() {
    if (IsVirtual()) return;
    SerialPort& port = services_.port;
    const uint32_t now = services_.clock.TickCount();
    if (!portLost_) {
        if (!port.IsLost()) return;
        // What the port still held from before the loss is handled first; a record it leaves
        // unfinished is dropped, and said, rather than glued to what comes after the loss.
        engine_.PollInput(Input());
        if (engine_.DropRecordInProgress()) {
            RunAfterTick([this] {
                services_.messages.Show(LoadString(kStrRecordDroppedAtLoss),
                                        LoadString(kStrQuorvaneTitle), MessageButtons::Ok,
                                        MessageIcon::Exclamation);
            });
        }
        portLost_ = true;
        output_.SetDeviceLost(true);
        lastReopen_ = now;
        view_.SetPortLost(true, port.LossReason());
        return;
    }
    if (now - lastReopen_ < kReopenIntervalMs) return;
    lastReopen_ = now;
    // Reopen applies the line request of the activation again, DTR and RTS included.
    if (port.Reopen().Failed()) return;
    portLost_ = false;
    output_.SetDeviceLost(false);
    droppedOutputShown_ = false;
    view_.SetPortLost(false, SerialError{});
}

void RuntimeSession::PressStringButton(int n) {
    if (!output_.PressStringButton(n)) ReportDroppedOutput();
}

void RuntimeSession::ReportDroppedOutput() {
    if (droppedOutputShown_) return;
    droppedOutputShown_ = true;
    const std::string text =
        portLost_ ? LoadString(kStrOutputDropped)
                  : LoadString(kStrOutputQueueFull, {std::to_string(g_.OutputQueue.size())});
    services_.messages.Show(text, LoadString(kStrQuorvaneTitle), MessageButtons::Ok,
                            MessageIcon::Exclamation);
}

void RuntimeSession::ReportDroppedOwnOutput() {
    const uint64_t dropped = flags_.DroppedAcknowledgements + output_.DroppedOwnOutput();
    if (dropped == droppedOwnReported_) return;
    const uint64_t count = dropped - droppedOwnReported_;
    droppedOwnReported_ = dropped;
    services_.messages.Show(LoadString(kStrOwnOutputDropped, {std::to_string(count)}),
                            LoadString(kStrQuorvaneTitle), MessageButtons::Ok,
                            MessageIcon::Exclamation);
}

void RuntimeSession::ShowSuspended() {
    caption_ = captionBase_;
    if (flags_.Suspended) caption_ += " (S)";
    if (IsVirtual()) caption_ += " (" + LoadString(kStrVirtualDevice) + ")";
    view_.SetCaption(caption_);
    view_.SetSuspended(flags_.Suspended);
}

void RuntimeSession::Suspend() {
    if (flags_.Suspended) return;
    flags_.Suspended = true;
    ShowSuspended();
}

void RuntimeSession::Resume() {
    if (!flags_.Suspended) return;
    output_.RestartSchedule();
    flags_.Suspended = false;
    ShowSuspended();
}

void RuntimeSession::ToggleSuspend() {
    if (flags_.Suspended)
        Resume();
    else
        Suspend();
}

void RuntimeSession::ResumeForOneRecord() {
    flags_.ResumeOneRecord = true;
    Resume();
}

void RuntimeSession::Reset() {
    DropPendingInput();
    engine_.Reset();  // record state, field data and boxes, record number
    output_.RestartSchedule();
    Resume();
    if (IsTrue(g_.ActivateSuspended)) Suspend();
    flags_.ResumeOneRecord = false;
}

void RuntimeSession::RequestExit() {
    flags_.ExitRequest = -1;
}

void RuntimeSession::Quit() {
    if (unloaded_) return;
    if (inTick_) {
        quitPending_ = true;
        return;
    }
    QuitNow();
}

void RuntimeSession::QuitNow() {
    quitPending_ = false;
    // A quit asked for over DDE first lets the clients of the topic go.
    if (flags_.ExitRequest != 0) services_.ddeHooks.DisconnectServerClients();
    Unload();
}

void RuntimeSession::Unload() {
    if (unloaded_) return;
    // Never close the port under a tick that is waiting inside delivery.
    if (inTick_) {
        unloadPending_ = true;
        return;
    }
    unloaded_ = true;
    unloadPending_ = false;
    int left = 0, top = 0;
    if (view_.GetPlacement(left, top)) {
        services_.settings.SaveSetting(captionBase_, kSettingsSection, "MainLeft",
                                       std::to_string(left));
        services_.settings.SaveSetting(captionBase_, kSettingsSection, "MainTop",
                                       std::to_string(top));
    }
    engine_.Delivery().FinishHeldLog();  // a record still waiting for the log gets a last try
    ReportDroppedOwnOutput();            // a device that never took its output: said before the end
    services_.dde.DdeClientDisconnect(flags_.DdeConversation);
    services_.ddeHooks.ShutdownClient();
    services_.hotKeys.Release();
    if (IsVirtual()) {
        if (services_.virtualDevice) services_.virtualDevice->Close();
        g_.RunMode = kRunSetup;
    } else {
        ClosePort(services_.port);
        if (g_.RunMode == kRunTest) g_.RunMode = kRunSetup;
    }
    view_.Closed();
}

void RuntimeSession::ToggleTimedOutput() {
    SetTimedOutputEnabled(!output_.TimedOutputEnabled());
}

void RuntimeSession::SetTimedOutputEnabled(bool enabled) {
    output_.SetTimedOutputEnabled(enabled);
    view_.SetTimedOutputMenu(timedMenuVisible_, enabled);
}

void RuntimeSession::SetTimedOutputMenu(bool timedOutputEnabled, bool itemEnabled) {
    view_.SetTimedOutputMenu(timedMenuVisible_, timedOutputEnabled);
    view_.SetTimedOutputItemEnabled(itemEnabled);
}

void RuntimeSession::ClearFieldBoxes() {
    const int fieldCount = FieldCount(g_);
    for (int n = 1; n <= fieldCount; ++n) SetFieldText(n, std::string());
}

std::string RuntimeSession::ItemText(const std::string& item) const {
    std::string value;
    return items_.ItemValue(item, value) ? value : std::string();
}

void RuntimeSession::SetFieldText(int n, const std::string& text) {
    if (n < 1 || n > kMaxFields) return;
    view_.SetFieldText(n, text);
    items_.SetField(n, text);
}

void RuntimeSession::SetRecordNumberText(const std::string& text) {
    view_.SetRecordNumberText(text);
    items_.SetRecordNumber(text);
}

void RuntimeSession::OnRecordDelivered(int64_t number) {
    if (!recordListener_) return;
    DeliveredRecord record;
    // A DDE client may have set the counter below zero: such a record counts as number 0.
    record.number = number < 0 ? 0 : static_cast<uint64_t>(number);
    const int count = FieldCount(g_);
    for (int n = 1; n <= count; ++n) record.fields.push_back(items_.Field(n));
    recordListener_->RecordDelivered(record);
}

void RuntimeSession::OnSuspendedChanged(bool /*suspended*/) {
    ShowSuspended();
}

void RuntimeSession::OnEngineReset() {
    DropPendingInput();
    output_.RestartSchedule();
}

void RuntimeSession::OnRecordTooLong() {
    if (tooLongShown_) return;
    tooLongShown_ = true;
    // Said once the tick has ended: a message box waits for its answer, and the ticks that
    // run meanwhile must keep draining the port.
    RunAfterTick([this] {
        services_.messages.Show(LoadString(kStrRecordTooLong), LoadString(kStrQuorvaneTitle),
                                MessageButtons::Ok, MessageIcon::Exclamation);
    });
}

void RuntimeSession::DropPendingInput() {
    if (!IsVirtual()) {
        services_.port.PurgeQueues();
    } else if (services_.virtualDevice) {
        services_.virtualDevice->ClearPendingInput();
    }
}

}  // namespace quorvane
