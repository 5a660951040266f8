// Records every keystroke-target call in a CallLog; answers from fields set by the test.
#pragma once

#include <string>
#include <vector>

#include "CallLog.h"
#include "delivery/CaptionText.h"
#include "delivery/KeystrokeTarget.h"

namespace quorvane {

class FakeKeystrokeTarget : public KeystrokeTarget {
  public:
    explicit FakeKeystrokeTarget(CallLog* log = nullptr) : log_(log) {}

    WindowId GetForegroundWindow() override {
        Add("keys.GetForegroundWindow");
        return foreground;
    }
    // Like the desktop target: the title is normalized in place, and search.window is found
    // only when caption contains it (a blank title finds nothing).
    TargetSearch FindTargetWindow(std::string& title) override {
        Add("keys.FindTargetWindow(" + title + ")");
        NormalizeTargetTitle(title);
        if (title.empty() || UpperCaseText(caption).find(title) == std::string::npos) return {};
        return search;
    }
    TargetLaunch LaunchTarget(const std::string& command, std::string& title) override {
        Add("keys.LaunchTarget(" + command + ")");
        if (!launch.failed && !launchedTitle.empty()) title = launchedTitle;
        return launch;
    }
    void SendKeyMacro(const std::string& macro) override {
        Add("keys.SendKeyMacro(" + macro + ")");
        typed.push_back(macro);
    }
    void MinimizeWindow(WindowId window) override {
        Add("keys.MinimizeWindow(" + std::to_string(window) + ")");
    }
    void SetForegroundWindow(WindowId window) override {
        Add("keys.SetForegroundWindow(" + std::to_string(window) + ")");
    }
    bool IsOwnWindowForeground() override {
        Add("keys.IsOwnWindowForeground");
        return ownWindowForeground;
    }
    bool CanType() const override { return canType; }
    void PrepareTyping() override { Add("keys.PrepareTyping"); }
    std::string TypingNotice() const override { return notice; }

    WindowId foreground = 100;
    TargetSearch search{200, false};  // what a search finds when caption contains the title
    std::string caption;              // the caption of window search.window
    TargetLaunch launch{false, 300};
    std::string launchedTitle;  // caption the started program takes on, when not empty
    bool ownWindowForeground = false;
    bool canType = true;
    std::string notice;  // what TypingNotice says
    std::vector<std::string> typed;

  private:
    void Add(std::string call) {
        if (log_) log_->Add(std::move(call));
    }
    CallLog* log_;
};

}  // namespace quorvane
