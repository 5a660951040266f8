// Keeps what the runtime session shows and records each change in an optional CallLog.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "CallLog.h"
#include "runtime/RuntimeView.h"

namespace quorvane {

class FakeRuntimeView : public RuntimeView {
  public:
    explicit FakeRuntimeView(CallLog* log = nullptr) : log_(log) {}

    void SetFieldText(int n, const std::string& text) override {
        if (n >= 0 && n < static_cast<int>(fields.size())) fields[static_cast<size_t>(n)] = text;
    }
    void SetRecordNumberText(const std::string& text) override { recordNumber = text; }
    void SetDateTimeText(const std::string& text) override {
        Add("view.SetDateTimeText(" + text + ")");
        dateTime = text;
        ++dateTimeUpdates;
    }
    void SetDateTimeVisible(bool visible) override { dateTimeVisible = visible; }
    void SetCaption(const std::string& text) override { caption = text; }
    void SetSuspended(bool s) override { suspended = s; }
    void SetTimedOutputMenu(bool visible, bool enabled) override {
        timerMenuVisible = visible;
        timerMenuEnabled = enabled;
    }
    void SetTimedOutputItemEnabled(bool canChoose) override { timerItemEnabled = canChoose; }
    void SetStringButtons(const std::vector<StringButtonInfo>& visible) override {
        buttons = visible;
    }
    void SetLineButtons(bool dtr, bool brk) override {
        dtrButton = dtr;
        breakButton = brk;
    }
    void SetPortLost(bool lost, const SerialError& reason) override {
        Add(lost ? "view.PortLost" : "view.PortBack");
        portLost = lost;
        lossReason = reason;
    }
    void SetPlacement(int l, int t) override {
        left = l;
        top = t;
    }
    bool GetPlacement(int& l, int& t) override {
        if (!hasPlacement) return false;
        l = left;
        t = top;
        return true;
    }
    void Minimize() override { minimized = true; }
    void ShowNormal() override {
        minimized = false;
        ++shownNormal;
    }
    void Closed() override {
        Add("view.Closed");
        ++closed;
        if (onClosed) onClosed();
    }

    std::array<std::string, 41> fields;
    std::string recordNumber, dateTime, caption;
    int dateTimeUpdates = 0;
    bool dateTimeVisible = false, suspended = false;
    bool timerMenuVisible = false, timerMenuEnabled = false;
    bool timerItemEnabled = true;
    std::vector<StringButtonInfo> buttons;
    bool dtrButton = false, breakButton = false;
    bool portLost = false;
    SerialError lossReason;
    int left = 0, top = 0;
    bool hasPlacement = false;  // GetPlacement answers left/top
    bool minimized = false;
    int closed = 0;
    int shownNormal = 0;
    std::function<void()> onClosed;

  private:
    void Add(std::string call) {
        if (log_) log_->Add(std::move(call));
    }
    CallLog* log_;
};

}  // namespace quorvane
