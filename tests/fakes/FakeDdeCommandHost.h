// A runtime window for the command interpreter: keeps the state the commands read, and
// records every effect in order in a CallLog ("host.PulseDtr", "clipboard.PutLink(...)").
#pragma once

#include <array>
#include <map>
#include <string>

#include "CallLog.h"
#include "runtime/DdeCommandHost.h"

namespace quorvane {

class FakeLinkClipboard : public LinkClipboard {
  public:
    explicit FakeLinkClipboard(CallLog& log) : log_(log) {}
    void PutLink(const std::string& link, const std::string& text) override {
        log_.Add("clipboard.PutLink(" + link + "," + text + ")");
        this->link = link;
        this->text = text;
    }
    std::string link, text;

  private:
    CallLog& log_;
};

class FakeDdeCommandHost : public DdeCommandHost {
  public:
    FakeDdeCommandHost() : clipboard(log) {}

    void Beep() override { log.Add("host.Beep"); }
    bool IsVirtualInstrument() const override { return virtualInstrument; }
    int16_t ActivePortIndex() const override { return portIndex; }

    int16_t TimedOutputFlags() const override { return timedOutputFlags; }
    void ToggleTimedOutput() override {
        timedOutputFlags = static_cast<int16_t>(timedOutputFlags ^ 1);
        log.Add(std::string("host.ToggleTimedOutput->") + ((timedOutputFlags & 1) ? "1" : "0"));
    }
    void RestartTimedOutputSchedule() override { log.Add("host.RestartTimedOutputSchedule"); }
    void SetTimedOutputMenu(bool timedOutputEnabled, bool itemEnabled) override {
        log.Add(std::string("host.SetTimedOutputMenu(") + (timedOutputEnabled ? "1" : "0") + "," +
                (itemEnabled ? "1" : "0") + ")");
    }

    bool IsSuspended() const override { return suspended; }
    void Suspend() override {
        log.Add("host.Suspend");
        suspended = true;
    }
    void Resume() override {
        log.Add("host.Resume");
        suspended = false;
    }
    void ResumeForOneRecord() override {
        log.Add("host.ResumeForOneRecord");
        suspended = false;
    }
    void Reset() override { log.Add("host.Reset"); }
    void ClearFieldBoxes() override { log.Add("host.ClearFieldBoxes"); }

    void StartBreak() override { log.Add("host.StartBreak"); }
    void PulseDtr() override { log.Add("host.PulseDtr"); }
    void SetDtr(bool on) override { log.Add(std::string("host.SetDtr(") + (on ? "1" : "0") + ")"); }
    void SetRts(bool on) override { log.Add(std::string("host.SetRts(") + (on ? "1" : "0") + ")"); }

    void ShowNormal() override { log.Add("host.ShowNormal"); }
    void Minimize() override { log.Add("host.Minimize"); }
    void RequestExit() override { log.Add("host.RequestExit"); }

    void RecomputeEditMenu() override {
        log.Add("host.RecomputeEditMenu");
        itemEnabled = nextItemEnabled;
    }
    bool IsLinkItemEnabled(LinkMenuItem item) const override {
        return itemEnabled[static_cast<size_t>(item)];
    }
    void PerformLinkItem(LinkMenuItem item) override {
        log.Add("host.PerformLinkItem(" + std::to_string(static_cast<int>(item)) + ")");
    }

    LinkClipboard* Clipboard() override { return hasClipboard ? &clipboard : nullptr; }
    std::string DdeTopic() const override { return topic; }
    std::string ItemText(const std::string& item) const override {
        const auto it = items.find(item);
        return it == items.end() ? std::string() : it->second;
    }

    bool ReloadConfiguration() override {
        log.Add("host.ReloadConfiguration");
        return reloadSucceeds;
    }

    CallLog log;
    FakeLinkClipboard clipboard;
    bool virtualInstrument = false;
    int16_t portIndex = 0;
    int16_t timedOutputFlags = 0;
    bool suspended = false;
    // What the items are before and after the next RecomputeEditMenu, by LinkMenuItem.
    std::array<bool, 6> itemEnabled{};
    std::array<bool, 6> nextItemEnabled{};
    bool hasClipboard = true;
    std::string topic = "COM1";
    std::map<std::string, std::string> items;
    bool reloadSucceeds = true;
};

}  // namespace quorvane
