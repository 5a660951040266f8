// The runtime session: everything that happens while a configuration is active, without any
// widget. It runs the activation set-up, drives the record engine from the 50 ms poll tick,
// sends output to the device, suspends, resumes and resets, watches for a device that went
// away, and unloads. The runtime window and the headless runner both drive one of these and
// show what it tells their RuntimeView.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "config/SetupGlobals.h"
#include "delivery/DdeServerItems.h"
#include "delivery/DdeTopic.h"
#include "delivery/KeystrokeTarget.h"
#include "engine/EngineView.h"
#include "engine/LocaleInfo.h"
#include "engine/LogSink.h"
#include "engine/RecordEngine.h"
#include "engine/RuntimeFlags.h"
#include "platform/Clock.h"
#include "platform/DdeClient.h"
#include "platform/Messages.h"
#include "platform/SerialPort.h"
#include "platform/SettingsStore.h"
#include "runtime/DdeHooks.h"
#include "runtime/HotKeyHooks.h"
#include "runtime/OutputStrings.h"
#include "runtime/RecordListener.h"
#include "runtime/RuntimeView.h"
#include "runtime/VirtualDevice.h"

namespace quorvane {

// A lost device is opened again this often.
inline constexpr uint32_t kReopenIntervalMs = 1000;

// What a session works with; every reference must outlive it. The port is opened by the
// caller before Activate (not in Virtual Instrument mode, where virtualDevice is required).
struct RuntimeServices {
    SetupGlobals& g;
    SerialPort& port;
    Clock& clock;
    Messages& messages;
    const LocaleInfo& locale;
    KeystrokeTarget& keys;
    DdeClient& dde;
    LogSink& log;
    SettingsStore& settings;
    DdeHooks& ddeHooks;
    HotKeyHooks& hotKeys;
    VirtualDevice* virtualDevice = nullptr;
};

class RuntimeSession : private EngineView {
  public:
    RuntimeSession(const RuntimeServices& services, RuntimeView& view);
    ~RuntimeSession() override;
    RuntimeSession(const RuntimeSession&) = delete;
    RuntimeSession& operator=(const RuntimeSession&) = delete;

    // The activation set-up (also after a configuration reload, which keeps the DDE topic).
    void Activate();
    // The 50 ms timer. A tick that falls due while one is still running (inside a wait that
    // keeps the event loop alive) is skipped, never nested. Never fails.
    void PollTick();

    // Suspend and resume input. Output, timed output and commands go on while suspended.
    void Suspend();
    void Resume();
    void ToggleSuspend();  // the SuspendMenu item
    void ResumeForOneRecord();
    void Reset();
    // ExitRequest = -1: quit on the second tick from now, once waiting input is handled.
    void RequestExit();
    // Quit ends the session; during a tick it takes effect when the tick ends.
    void Quit();
    // Runs action once the tick under way has ended (at once outside a tick): for what must
    // not change under a tick that waits inside delivery. Dropped when the tick quits.
    void RunAfterTick(std::function<void()> action);
    // The session ends: placement stored, DDE and hot keys released, the port closed with
    // DTR and RTS lowered. Done once; later calls do nothing.
    void Unload();

    // Timed output switch (the TOutCtrl item).
    void ToggleTimedOutput();
    void SetTimedOutputEnabled(bool enabled);
    void RestartTimedOutputSchedule() { output_.RestartSchedule(); }
    // TOutCtrl's caption from timedOutputEnabled and whether it can be chosen; an item hidden
    // at activation stays hidden until the next activation.
    void SetTimedOutputMenu(bool timedOutputEnabled, bool itemEnabled);

    // Empties the boxes Field(1..N) (and their DDE items); pending field values and the
    // record number stay.
    void ClearFieldBoxes();
    // The window: restored without activation, or minimized (nothing headless).
    void ShowNormal() { view_.ShowNormal(); }
    void Minimize() { view_.Minimize(); }

    // Buttons of the window, and the line commands of hot keys and DDE commands.
    void PressStringButton(int n);
    // A send (a button, a hot key, a command) was refused because the output queue is full,
    // or the lost device's is: says so once, until the device is back or has taken the queue.
    void ReportDroppedOutput();
    // Acknowledgements and timed output dropped since the last report, with their count.
    void ReportDroppedOwnOutput();
    void PressDtrButton() { output_.PulseDtr(); }
    void PressBreakButton() { output_.StartBreak(); }
    OutputStrings& Output() { return output_; }

    // The other program ended the delivery client's conversation id: when the session still
    // holds it, the next record connects again.
    void DeliveryConversationEnded(DdeConversationId id) {
        if (id != 0 && flags_.DdeConversation == id) flags_.DdeConversation = 0;
    }

    // Links waiting for the next tick (set when a link is pasted or refreshed).
    void RequestCommandLink() { commandLinkPending_ = true; }
    void RequestBufferLink() { bufferLinkPending_ = true; }

    bool IsSuspended() const { return flags_.Suspended; }
    bool IsUnloaded() const { return unloaded_; }
    bool IsPortLost() const { return portLost_; }
    bool InTick() const { return inTick_; }
    int SkippedTicks() const { return skippedTicks_; }
    const RuntimeFlags& Flags() const { return flags_; }
    RuntimeFlags& Flags() { return flags_; }
    const std::string& CaptionBase() const { return captionBase_; }
    const std::string& Caption() const { return caption_; }
    const std::string& ServedTopic() const { return topic_.Current(); }
    const std::string& DateTimeText() const { return items_.DateTime(); }
    // The text behind a served item ("Field(n)", "RecordNumber", "DateTime", in any letter
    // case); empty when no such item is served.
    std::string ItemText(const std::string& item) const;
    const DdeServerItems& Items() const { return items_; }
    RecordEngine& Engine() { return engine_; }
    // Told of every delivered record; null for none. Must outlive its use.
    void SetRecordListener(RecordListener* listener) { recordListener_ = listener; }

  private:
    // EngineView, for the engine only.
    void SetFieldText(int n, const std::string& text) override;
    std::string RecordNumberText() const override { return items_.RecordNumber(); }
    void SetRecordNumberText(const std::string& text) override;
    void OnSuspendedChanged(bool suspended) override;
    void OnEngineReset() override;
    void OnRecordTooLong() override;
    void OnRecordDelivered(int64_t number) override;

    bool IsVirtual() const { return g_.RunMode == kRunVirtual; }
    ByteSource& Input();
    // What waits at the port (or in the virtual device) is thrown away, queued output too.
    void DropPendingInput();
    void ShowSuspended();
    void ShowDateTime();
    void WatchPort();
    void QuitNow();

    SetupGlobals& g_;
    RuntimeServices services_;
    RuntimeView& view_;
    RuntimeFlags flags_;
    RecordEngine engine_;
    OutputStrings output_;

    DdeTopic topic_;  // SYSTEM until the first activation
    std::string captionBase_;
    std::string caption_;
    // The texts of the boxes, which are also the served items: one copy.
    DdeServerItems items_;
    bool timedMenuVisible_ = false;  // TOutCtrl shown: the timer had an interval at activation
    bool dateTimeShown_ = false;
    DateTimeParts dateTimeLast_;
    bool commandLinkPending_ = false;
    bool bufferLinkPending_ = false;

    bool inTick_ = false;
    std::vector<std::function<void()>> afterTick_;
    bool quitPending_ = false;
    bool unloadPending_ = false;
    bool unloaded_ = false;
    int skippedTicks_ = 0;
    bool portLost_ = false;
    bool droppedOutputShown_ = false;  // the dropped-output message was shown in this loss
    bool typingNoticeShown_ = false;
    uint64_t droppedOwnReported_ = 0;  // dropped acknowledgements and timed output said so far
    bool tooLongShown_ = false;        // a too-long record was reported in this activation
    uint32_t lastReopen_ = 0;
    RecordListener* recordListener_ = nullptr;
};

}  // namespace quorvane
