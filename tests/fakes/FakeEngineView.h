// Keeps the runtime window's boxes as strings and records every update in a CallLog.
#pragma once

#include <array>
#include <string>

#include "CallLog.h"
#include "engine/EngineView.h"

namespace quorvane {

class FakeEngineView : public EngineView {
  public:
    explicit FakeEngineView(CallLog* log = nullptr) : log_(log) {}

    void SetFieldText(int n, const std::string& text) override {
        if (log_) log_->Add("view.SetFieldText(" + std::to_string(n) + "," + text + ")");
        if (n >= 0 && n < static_cast<int>(fields.size())) fields[static_cast<size_t>(n)] = text;
        ++fieldUpdates;
    }
    std::string RecordNumberText() const override { return recordNumber; }
    void SetRecordNumberText(const std::string& text) override {
        if (log_) log_->Add("view.SetRecordNumberText(" + text + ")");
        recordNumber = text;
    }
    void OnSuspendedChanged(bool suspended) override {
        if (log_)
            log_->Add(std::string("view.OnSuspendedChanged(") + (suspended ? "1" : "0") + ")");
        suspendedChanges += 1;
    }
    void OnEngineReset() override {
        if (log_) log_->Add("view.OnEngineReset");
        ++resets;
    }
    void OnRecordTooLong() override {
        if (log_) log_->Add("view.OnRecordTooLong");
        ++tooLongRecords;
    }

    std::array<std::string, 43> fields;
    std::string recordNumber;
    int fieldUpdates = 0;
    int suspendedChanges = 0;
    int resets = 0;
    int tooLongRecords = 0;

  private:
    CallLog* log_;
};

}  // namespace quorvane
