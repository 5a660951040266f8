// The runtime controls that DDE commands and hot keys act through, over a running session:
// suspension, timed output, the port lines, the window and the configuration reload. The
// Edit menu's link items and the clipboard belong to the DDE link side; without it every
// link item is disabled and there is no clipboard.
#pragma once

#include <cstdint>
#include <string>

#include "config/SetupGlobals.h"
#include "platform/Messages.h"
#include "platform/SerialPort.h"
#include "runtime/DdeCommandHost.h"
#include "runtime/RuntimeSession.h"

namespace quorvane {

// The six link items of the Edit menu, as the DDE links implement them.
class LinkMenuHandler {
  public:
    virtual ~LinkMenuHandler() = default;
    virtual void RecomputeEditMenu() = 0;
    virtual bool IsLinkItemEnabled(LinkMenuItem item) const = 0;
    virtual void PerformLinkItem(LinkMenuItem item) = 0;
};

class SessionCommandHost : public DdeCommandHost {
  public:
    // Every reference must outlive this object; port is the one the session runs on. links
    // (the link side) and clipboard may be null: no link item is enabled, there is no
    // clipboard.
    SessionCommandHost(RuntimeSession& session, SetupGlobals& g, SerialPort& port,
                       Messages& messages, LinkMenuHandler* links = nullptr,
                       LinkClipboard* clipboard = nullptr);

    void Beep() override { messages_.Beep(); }

    bool IsVirtualInstrument() const override { return g_.RunMode == kRunVirtual; }
    int16_t ActivePortIndex() const override { return g_.PortIndex; }

    int16_t TimedOutputFlags() const override { return session_.Output().TimedOutputFlags(); }
    void ToggleTimedOutput() override { session_.ToggleTimedOutput(); }
    void RestartTimedOutputSchedule() override { session_.RestartTimedOutputSchedule(); }
    void SetTimedOutputMenu(bool timedOutputEnabled, bool itemEnabled) override {
        session_.SetTimedOutputMenu(timedOutputEnabled, itemEnabled);
    }

    bool IsSuspended() const override { return session_.IsSuspended(); }
    void Suspend() override { session_.Suspend(); }
    void Resume() override { session_.Resume(); }
    void ResumeForOneRecord() override { session_.ResumeForOneRecord(); }
    void Reset() override { session_.Reset(); }
    void ClearFieldBoxes() override { session_.ClearFieldBoxes(); }

    size_t SendRoom() const override { return session_.Output().SendRoom(); }
    void SendDropped() override { session_.ReportDroppedOutput(); }

    void StartBreak() override { session_.Output().StartBreak(); }
    void PulseDtr() override { session_.Output().PulseDtr(); }
    void SetDtr(bool on) override { session_.Output().SetDtr(on); }
    void SetRts(bool on) override { session_.Output().SetRts(on); }

    void ShowNormal() override { session_.ShowNormal(); }
    void Minimize() override { session_.Minimize(); }
    void RequestExit() override { session_.RequestExit(); }

    void RecomputeEditMenu() override;
    bool IsLinkItemEnabled(LinkMenuItem item) const override;
    void PerformLinkItem(LinkMenuItem item) override;

    LinkClipboard* Clipboard() override { return clipboard_; }
    std::string DdeTopic() const override { return session_.ServedTopic(); }
    std::string ItemText(const std::string& item) const override { return session_.ItemText(item); }

    // Reads the file at once (for the answer); inside a tick the switch to it waits until
    // the tick is over.
    bool ReloadConfiguration() override;

  private:
    void Apply(SetupGlobals& loaded);

    RuntimeSession& session_;
    SetupGlobals& g_;
    SerialPort& port_;
    Messages& messages_;
    LinkMenuHandler* links_ = nullptr;
    LinkClipboard* clipboard_ = nullptr;
};

}  // namespace quorvane
