#include "engine/RecordDelivery.h"

#include <algorithm>
#include <cstdio>

#include "config/CodePage.h"
#include "strings/AsciiCase.h"
#include "strings/StringIds.h"
#include "strings/StringTable.h"

namespace quorvane {

namespace {

std::string InHomeFolder(std::string_view homeDirectory, const std::string& nameUtf8) {
    std::string path(homeDirectory.empty() ? std::string_view(".") : homeDirectory);
    if (path.back() != '/') path += '/';
    return path + nameUtf8;
}

}  // namespace

LogFileTarget ResolveLogFileName(std::string_view setting, std::string_view homeDirectory) {
    const bool drive =
        setting.size() >= 2 && setting[1] == ':' &&
        ((setting[0] >= 'A' && setting[0] <= 'Z') || (setting[0] >= 'a' && setting[0] <= 'z'));
    const size_t backslash = setting.rfind('\\');
    if (drive || backslash != std::string_view::npos) {
        std::string_view name =
            setting.substr(backslash != std::string_view::npos ? backslash + 1 : 2);
        if (name.empty()) name = "Quorvane.Log";
        return {InHomeFolder(homeDirectory, CodePage::ToUtf8(name)), kStrLogWindowsPathMapped};
    }
    if (!setting.empty() && setting.find('/') == std::string_view::npos) {
        // The default when the code page could not hold the home folder (or a name typed
        // without a folder): it lives in the home folder, never in whatever folder we run in.
        bool lossless = true;
        CodePage::FromUtf8(homeDirectory, &lossless);
        return {InHomeFolder(homeDirectory, CodePage::ToUtf8(setting)),
                lossless ? 0 : kStrLogHomeNotInCodePage};
    }
    return {CodePage::ToUtf8(setting), 0};
}

namespace {

// Position of token (upper case) in text in any letter case, npos when absent.
size_t FindToken(std::string_view text, std::string_view token) {
    if (text.size() < token.size()) return std::string_view::npos;
    for (size_t i = 0; i + token.size() <= text.size(); ++i) {
        size_t k = 0;
        while (k < token.size() && AsciiUpper(text[i + k]) == token[k]) ++k;
        if (k == token.size()) return i;
    }
    return std::string_view::npos;
}

std::string TwoDigits(int value) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%02d", ((value % 100) + 100) % 100);
    return buffer;
}

void EmptyFields(FieldDataArray& fields, int from, int to) {
    for (int n = from; n <= to; ++n) fields[static_cast<size_t>(n)].clear();
}

}  // namespace

std::string ExpandDateTimeTokens(std::string_view text, const DateTimeParts& now) {
    std::string result(text);
    if (result.find('{') == std::string::npos) return result;
    // Two digits each, taken from the date written as mm-dd-yyyy and the time as hh:mm:ss.
    const struct {
        std::string_view token;
        int value;
    } tokens[] = {{"{CENTURY}", now.Year / 100}, {"{YEAR}", now.Year},
                  {"{MONTH}", now.Month},        {"{DAY}", now.Day},
                  {"{HOUR}", now.Hour},          {"{MINUTE}", now.Minute},
                  {"{SECOND}", now.Second}};
    for (const auto& t : tokens) {
        const size_t at = FindToken(result, t.token);
        if (at != std::string_view::npos) result.replace(at, t.token.size(), TwoDigits(t.value));
    }
    return result;
}

RecordDelivery::RecordDelivery(SetupGlobals& g, RuntimeFlags& flags, const EngineServices& services)
    : g_(g), flags_(flags), services_(services) {}

void RecordDelivery::Activate() {
    bool commands = !g_.RecordPreamble.empty();
    for (int n = 1; n <= FieldCount(g_); ++n) {
        if (!g_.FieldPostamble[static_cast<size_t>(n)].empty()) commands = true;
    }
    ddeCommandsConfigured_ = g_.Mode == kModeDde && commands;
    targetWasMinimized_ = false;
    text_.reserve(256);
}

std::string RecordDelivery::ExpandDateTimeTokens(std::string_view text) {
    if (text.find('{') == std::string_view::npos) return std::string(text);
    if (!recordTime_) recordTime_ = services_.clock.Now();
    return quorvane::ExpandDateTimeTokens(text, *recordTime_);
}

DeliveryOutcome RecordDelivery::DeliverRecord(FieldDataArray& fields) {
    recordTime_.reset();
    const int count = FieldCount(g_);
    DeliveryOutcome outcome = DeliveryOutcome::Delivered;
    switch (g_.Mode) {
        case kModeKeystrokes:
            DeliverKeystrokes(fields, count);
            break;
        case kModeDde:
            DeliverDde(fields, count);
            break;
        case kModeLog:
            outcome = DeliverLog(fields, count);
            break;
        default:
            break;
    }
    // Whatever happened above, nothing of this record may reach the next one.
    EmptyFields(fields, 1, kOverflowField);
    return outcome;
}

void RecordDelivery::DeliverKeystrokes(FieldDataArray& fields, int count) {
    KeystrokeTarget& keys = services_.keys;
    WindowId previous = keys.GetForegroundWindow();
    for (int n = 1; n <= count; ++n) services_.view.SetFieldText(n, fields[static_cast<size_t>(n)]);
    bool startFailed = false;
    WindowId target = 0;
    if (IsTrue(g_.TargetAppSpecified)) {
        const TargetSearch found = keys.FindTargetWindow(g_.TargetAppTitle);
        targetWasMinimized_ = found.wasMinimized;
        target = found.window;
        if (found.window == 0 && !g_.TargetAppCommand.empty()) {
            const TargetLaunch started = keys.LaunchTarget(g_.TargetAppCommand, g_.TargetAppTitle);
            if (started.failed) {
                startFailed = true;
            } else {
                previous = started.window;  // the started program keeps the focus
            }
        }
    }
    if (startFailed || keys.IsOwnWindowForeground()) return;
    text_ = ExpandDateTimeTokens(g_.RecordPreamble);
    for (int n = 1; n <= count; ++n) {
        std::string& field = fields[static_cast<size_t>(n)];
        text_ += field;
        text_ += ExpandDateTimeTokens(g_.FieldPostamble[static_cast<size_t>(n)]);
        field.clear();
    }
    EmptyFields(fields, count + 1, kOverflowField);
    keys.SendKeyMacro(text_);
    if (targetWasMinimized_ && target != 0) keys.MinimizeWindow(target);
    keys.SetForegroundWindow(previous);
}

void RecordDelivery::DeliverDde(FieldDataArray& fields, int count) {
    DdeClient& dde = services_.dde;
    DdeConversationId& conversation = flags_.DdeConversation;
    if (conversation == 0 && ddeCommandsConfigured_) {
        conversation = dde.DdeClientConnect(g_.DdeTargetApp, g_.DdeTargetTopic);
    }
    // Commands go as written, without token expansion.
    if (conversation != 0 && !g_.RecordPreamble.empty()) {
        dde.DdeClientExecute(conversation, g_.RecordPreamble);
    }
    for (int n = 1; n <= count; ++n) {
        std::string& field = fields[static_cast<size_t>(n)];
        services_.view.SetFieldText(n, field);
        const std::string& postamble = g_.FieldPostamble[static_cast<size_t>(n)];
        if (conversation != 0 && !postamble.empty()) dde.DdeClientExecute(conversation, postamble);
        field.clear();
    }
    EmptyFields(fields, count + 1, kOverflowField);
}

DeliveryOutcome RecordDelivery::DeliverLog(FieldDataArray& fields, int count) {
    text_ = ExpandDateTimeTokens(g_.RecordPreamble);
    for (int n = 1; n <= count; ++n) {
        std::string& field = fields[static_cast<size_t>(n)];
        services_.view.SetFieldText(n, field);
        text_ += field;
        const std::string& postamble = g_.FieldPostamble[static_cast<size_t>(n)];
        if (!postamble.empty()) text_ += ExpandDateTimeTokens(postamble);
        field.clear();
    }
    EmptyFields(fields, count + 1, kOverflowField);
    return AppendToLog(text_);
}

DeliveryOutcome RecordDelivery::AppendToLog(std::string_view text) {
    LogSink& sink = services_.log;
    if (resolvedLog_.path.empty() || resolvedLogName_ != g_.LogFileName) {
        resolvedLogName_ = g_.LogFileName;
        resolvedLog_ = ResolveLogFileName(g_.LogFileName, HomeDirectory());
        logNoticeShown_ = false;
    }
    const std::string path = resolvedLog_.path;
    if (resolvedLog_.noticeId != 0 && !logNoticeShown_) {
        logNoticeShown_ = true;
        services_.messages.Show(LoadString(resolvedLog_.noticeId) + " " + path,
                                LoadString(kStrQuorvaneTitle), MessageButtons::Ok,
                                MessageIcon::Information);
    }
    const auto stop = [](LogDecision decision) {
        return decision == LogDecision::Cancel ? DeliveryOutcome::Cancelled : DeliveryOutcome::Held;
    };
    for (;;) {
        LogStatus status = sink.Open(path);
        while (!status.ok) {
            const LogDecision decision = DecideOnFailure(path, status.errorText, text);
            if (decision != LogDecision::Retry) return stop(decision);
            status = sink.Open(path);
        }
        // A write that stops short is repeated with what is still missing, never in full,
        // so a retried record is neither lost nor doubled.
        std::string_view rest = text;
        for (;;) {
            size_t written = 0;
            status = sink.Write(rest, written);
            rest.remove_prefix(std::min(written, rest.size()));
            if (status.ok && rest.empty()) break;
            if (status.ok) status = LogStatus::Error("Short write");
            const LogDecision decision = DecideOnFailure(path, status.errorText, rest);
            if (decision != LogDecision::Retry) {
                sink.Close();
                return stop(decision);
            }
        }
        status = sink.Close();
        if (status.ok) return DeliveryOutcome::Delivered;
        // A failed close may have lost what was written: Retry writes the record again.
        const LogDecision decision = DecideOnFailure(path, status.errorText, text);
        if (decision != LogDecision::Retry) return stop(decision);
    }
}

RecordDelivery::LogDecision RecordDelivery::DecideOnFailure(const std::string& path,
                                                            const std::string& errorText,
                                                            std::string_view rest) {
    if (services_.messages.CanAnswer()) {
        return AskRetry(path, errorText) ? LogDecision::Retry : LogDecision::Cancel;
    }
    // Nobody can answer Retry: what is still missing is kept, input waits in the kernel, and
    // the write is tried again later. The error and the hold are said once, when it starts.
    if (!retrying_) {
        services_.messages.Beep();
        services_.messages.Show(LoadString(kStrLogWriteError) + " " + path + "\r" + errorText,
                                LoadString(kStrQuorvaneTitle), MessageButtons::Ok,
                                MessageIcon::Exclamation);
        services_.messages.Show(LoadString(kStrLogHeld), LoadString(kStrQuorvaneTitle),
                                MessageButtons::Ok, MessageIcon::Information);
        retryPauseMs_ = kLogRetryFirstMs;
    } else {
        retryPauseMs_ = std::min(retryPauseMs_ * 2, kLogRetryLongestMs);
    }
    heldLog_ = std::string(rest);
    logHeld_ = true;
    lastTry_ = services_.clock.TickCount();
    return LogDecision::Hold;
}

bool RecordDelivery::RetryHeldLog() {
    if (!logHeld_) return true;
    // Unsigned subtraction keeps the pause right across the counter's wrap.
    if (services_.clock.TickCount() - lastTry_ < retryPauseMs_) return false;
    const std::string pending = heldLog_;
    retrying_ = true;
    const DeliveryOutcome outcome = AppendToLog(pending);
    retrying_ = false;
    if (outcome != DeliveryOutcome::Delivered) return false;
    logHeld_ = false;
    heldLog_.clear();
    services_.messages.Show(LoadString(kStrLogWritableAgain, {resolvedLog_.path}),
                            LoadString(kStrQuorvaneTitle), MessageButtons::Ok,
                            MessageIcon::Information);
    return true;
}

void RecordDelivery::FinishHeldLog() {
    if (!logHeld_) return;
    retryPauseMs_ = 0;  // no pause: this is the last chance
    if (RetryHeldLog()) return;
    logHeld_ = false;
    services_.messages.Show(LoadString(kStrLogRecordNotWritten, {resolvedLog_.path}),
                            LoadString(kStrQuorvaneTitle), MessageButtons::Ok,
                            MessageIcon::Exclamation);
}

bool RecordDelivery::AskRetry(const std::string& path, const std::string& errorText) {
    services_.messages.Beep();
    const std::string title =
        "Quorvane - COM" + std::to_string(g_.PortIndex + 1) + LoadString(kStrLogWriteErrorSuffix);
    const std::string text = LoadString(kStrLogWriteError) + " " + path + "\r" + errorText;
    return services_.messages.Show(text, title, MessageButtons::RetryCancel,
                                   MessageIcon::Exclamation) == MessageAnswer::Retry;
}

}  // namespace quorvane
