// A log file in memory. Each step can be told to fail a number of times (a failing write may
// first accept some bytes, like a disk that fills up); every call goes to an optional CallLog.
#pragma once

#include <algorithm>
#include <functional>
#include <string>

#include "CallLog.h"
#include "engine/LogSink.h"

namespace quorvane {

class FakeLogSink : public LogSink {
  public:
    explicit FakeLogSink(CallLog* log = nullptr) : log_(log) {}

    LogStatus Open(const std::string& path) override {
        if (log_) log_->Add("log.Open(" + path + ")");
        if (openFailures > 0) {
            --openFailures;
            return LogStatus::Error("No such file or directory");
        }
        isOpen = true;
        lastPath = path;
        ++opens;
        return LogStatus::Ok();
    }
    LogStatus Write(std::string_view bytes, size_t& written) override {
        if (log_) log_->Add("log.Write(" + std::string(bytes) + ")");
        written = 0;
        if (writeFailures > 0) {
            --writeFailures;
            written = std::min(bytes.size(), acceptBeforeFailure);
            contents.append(bytes.substr(0, written));
            return LogStatus::Error("No space left on device");
        }
        contents.append(bytes);
        written = bytes.size();
        if (onWrite) onWrite();
        return LogStatus::Ok();
    }
    LogStatus Close() override {
        if (log_) log_->Add("log.Close");
        if (!isOpen) return LogStatus::Ok();
        isOpen = false;
        if (closeFailures > 0) {
            --closeFailures;
            return LogStatus::Error("Input/output error");
        }
        return LogStatus::Ok();
    }

    std::string contents;
    std::string lastPath;
    bool isOpen = false;
    int opens = 0;
    int openFailures = 0;
    int writeFailures = 0;
    size_t acceptBeforeFailure = 0;  // bytes a failing write still stores
    int closeFailures = 0;
    std::function<void()> onWrite;  // after each write that succeeded

  private:
    CallLog* log_;
};

}  // namespace quorvane
