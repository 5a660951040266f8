// A runtime host for hot key tests: it records the port, timer and suspension calls in a
// call log and keeps the suspension and timed-output state the actions read back.
#pragma once

#include <string>

#include "fakes/CallLog.h"
#include "runtime/DdeCommandHost.h"

namespace quorvane {

class HotKeyTestHost : public DdeCommandHost {
  public:
    void Beep() override { log.Add("Beep"); }
    bool IsVirtualInstrument() const override { return virtualInstrument; }
    int16_t ActivePortIndex() const override { return 0; }

    int16_t TimedOutputFlags() const override { return timedOutputFlags; }
    void ToggleTimedOutput() override {
        timedOutputFlags ^= 1;
        log.Add(timedOutputFlags & 1 ? "ToggleTimedOutput(on)" : "ToggleTimedOutput(off)");
    }
    void RestartTimedOutputSchedule() override { log.Add("RestartTimedOutputSchedule"); }
    void SetTimedOutputMenu(bool, bool) override { log.Add("SetTimedOutputMenu"); }

    bool IsSuspended() const override { return suspended; }
    void Suspend() override {
        suspended = true;
        log.Add("Suspend");
    }
    void Resume() override {
        suspended = false;
        log.Add("Resume");
    }
    void ResumeForOneRecord() override {
        suspended = false;
        log.Add("ResumeForOneRecord");
    }
    void Reset() override { log.Add("Reset"); }
    void ClearFieldBoxes() override { log.Add("ClearFieldBoxes"); }

    void StartBreak() override { log.Add("StartBreak"); }
    void PulseDtr() override { log.Add("PulseDtr"); }
    void SetDtr(bool on) override { log.Add(on ? "SetDtr(on)" : "SetDtr(off)"); }
    void SetRts(bool on) override { log.Add(on ? "SetRts(on)" : "SetRts(off)"); }

    void ShowNormal() override { log.Add("ShowNormal"); }
    void Minimize() override { log.Add("Minimize"); }
    void RequestExit() override { log.Add("RequestExit"); }

    void RecomputeEditMenu() override {}
    bool IsLinkItemEnabled(LinkMenuItem) const override { return false; }
    void PerformLinkItem(LinkMenuItem) override {}
    LinkClipboard* Clipboard() override { return nullptr; }
    std::string DdeTopic() const override { return "COM1"; }
    std::string ItemText(const std::string&) const override { return {}; }
    bool ReloadConfiguration() override { return false; }

    CallLog log;
    bool virtualInstrument = false;
    bool suspended = false;
    int16_t timedOutputFlags = 0;
};

}  // namespace quorvane
