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
};

class RecordDelivery {
  public:
    // All references must outlive the delivery.
    RecordDelivery(SetupGlobals& g, RuntimeFlags& flags, const EngineServices& services);

    // Start values at activation: DdeCommandsConfigured, TargetWasMinimized.
    void Activate();

    DeliveryOutcome DeliverRecord(FieldDataArray& fields);

    // The tokens of text replaced from the clock, read once per record.
    std::string ExpandDateTimeTokens(std::string_view text);

    bool DdeCommandsConfigured() const { return ddeCommandsConfigured_; }
    bool TargetWasMinimized() const { return targetWasMinimized_; }

  private:
    void DeliverKeystrokes(FieldDataArray& fields, int count);
    void DeliverDde(FieldDataArray& fields, int count);
    DeliveryOutcome DeliverLog(FieldDataArray& fields, int count);
    // Appends text to the log file, asking Retry or Cancel on each failing step.
    // False when the user cancelled.
    bool AppendToLog(std::string_view text);
    // The Retry/Cancel message for a failing step on path (UTF-8); true for Retry.
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
};

}  // namespace quorvane
