// Hands a processed record on according to Mode: typed as keystrokes into the target
// application (0), published as the Field(n) items with DDE commands around them (1), or
// appended to the log file (2). Every mode shows the values in the Field(n) boxes and
// empties FieldData 1..41.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "config/SetupGlobals.h"
#include "engine/EngineServices.h"
#include "engine/FieldData.h"
#include "engine/RuntimeFlags.h"
#include "platform/Clock.h"

namespace quorvane {

// Replaces the first occurrence (any letter case) of each date and time token, in the
// order {CENTURY} {YEAR} {MONTH} {DAY} {HOUR} {MINUTE} {SECOND}, by two digits of now.
std::string ExpandDateTimeTokens(std::string_view text, const DateTimeParts& now);

// The file a log setting (code-page bytes) opens, as UTF-8, and the notice it deserves.
// A Windows path (a drive letter or a backslash) maps to its last component in the home
// folder; a bare name lies in the home folder; anything else is the setting converted.
struct LogFileTarget {
    std::string path;  // UTF-8
    int noticeId = 0;  // string id of the notice to show once, 0 for none
};
LogFileTarget ResolveLogFileName(std::string_view setting, std::string_view homeDirectory);

enum class DeliveryOutcome {
    Delivered,  // delivered, or lost the way the mode loses records (target start failed)
    Cancelled,  // the user cancelled a failing log write: the engine resets and suspends
    Held,       // the log could not be written and nobody can answer: the text is kept, and
                // input waits until RetryHeldLog has written it
};

// Headless, a failing log write is tried again after 1 s, the pause doubling up to 60 s.
inline constexpr uint32_t kLogRetryFirstMs = 1000;
inline constexpr uint32_t kLogRetryLongestMs = 60000;

class RecordDelivery {
  public:
    // All references must outlive the delivery.
    RecordDelivery(SetupGlobals& g, RuntimeFlags& flags, const EngineServices& services);

    // Start values at activation: DdeCommandsConfigured, TargetWasMinimized.
    void Activate();

    DeliveryOutcome DeliverRecord(FieldDataArray& fields);

    // The tokens of text replaced from the clock, read once per record.
    std::string ExpandDateTimeTokens(std::string_view text);

    // A held log text: written once its pause is over (true when nothing is held any more).
    // While it returns false, the engine reads no input: bytes wait in the kernel.
    bool RetryHeldLog();
    bool LogHeld() const { return logHeld_; }
    // The session ends: one last try, and the user is told when a record stays unwritten.
    void FinishHeldLog();

    bool DdeCommandsConfigured() const { return ddeCommandsConfigured_; }
    bool TargetWasMinimized() const { return targetWasMinimized_; }

  private:
    void DeliverKeystrokes(FieldDataArray& fields, int count);
    void DeliverDde(FieldDataArray& fields, int count);
    DeliveryOutcome DeliverLog(FieldDataArray& fields, int count);
    // Appends text to the log file, asking Retry or Cancel on each failing step; where nobody
    // can answer, what is still to be written is held instead.
    DeliveryOutcome AppendToLog(std::string_view text);
    enum class LogDecision { Retry, Cancel, Hold };
    // What to do about a failing step on path (UTF-8): the Retry/Cancel message, or, where
    // nobody can answer, Hold with rest as what a later try must write.
    LogDecision DecideOnFailure(const std::string& path, const std::string& errorText,
                                std::string_view rest);
    bool AskRetry(const std::string& path, const std::string& errorText);

    SetupGlobals& g_;
    RuntimeFlags& flags_;
    EngineServices services_;
    bool ddeCommandsConfigured_ = false;
    bool targetWasMinimized_ = false;
    std::optional<DateTimeParts> recordTime_;  // the clock as read for the current record
    std::string text_;                         // the record's macro or log text, reused
    // The log setting last resolved, its file and whether its notice was shown: the name is
    // worked out once per setting, not at every record.
    std::string resolvedLogName_;
    LogFileTarget resolvedLog_;
    bool logNoticeShown_ = false;
    // A log text that could not be written headless, and when to try it again.
    std::string heldLog_;
    bool logHeld_ = false;
    bool retrying_ = false;  // inside RetryHeldLog: a failure holds again without a word
    uint32_t lastTry_ = 0;
    uint32_t retryPauseMs_ = kLogRetryFirstMs;
};

}  // namespace quorvane
