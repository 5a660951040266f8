#include "runtime/DdeCommandInterpreter.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <limits>

#include "config/CodePage.h"
#include "config/ConfigFile.h"
#include "config/UserFile.h"
#include "delivery/CaptionText.h"
#include "engine/format/FormatField.h"
#include "runtime/OutputNotation.h"
#include "runtime/SendFile.h"

namespace quorvane {

namespace {

constexpr int16_t kTimedOutputEnabledBit = 1;
constexpr int16_t kTimerTransmitBit = 2;
constexpr const char* kLinkApplication = "Quorvane";

// Paths arrive as code-page bytes; file names on this system are UTF-8.
std::string NativePath(const std::string& path) {
    return CodePage::ToUtf8(path);
}

// A send the host has no room for (a full queue, or a lost device's) is refused whole, and
// the runtime says why.
bool QueueSend(DdeCommandHost& host, std::string& queue, std::string_view bytes) {
    if (bytes.size() > host.SendRoom()) {
        host.SendDropped();
        return false;
    }
    queue += bytes;
    return true;
}

}  // namespace

DdeCommandInterpreter::DdeCommandInterpreter(SetupGlobals& g, DdeCommandHost& host,
                                             Messages& messages, Clock& clock,
                                             const LocaleInfo& locale)
    : g_(g), host_(host), messages_(messages), clock_(clock), locale_(locale) {}

bool DdeCommandInterpreter::Execute(std::string_view text) {
    const DdeCommandText command = NormaliseDdeCommand(text);
    if (command.matching.empty()) return true;
    bool accepted = false;
    if (RunBare(command.matching, accepted)) return accepted;
    if (RunWithArgument(command, accepted)) return accepted;
    return false;
}

// Matches the whole text against the bare commands; false when none is it.
bool DdeCommandInterpreter::RunBare(const std::string& matching, bool& accepted) {
    const bool vi = host_.IsVirtualInstrument();
    const std::pair<const char*, std::function<bool()>> table[] = {
        {"{BEEP}", [&] { return host_.Beep(), true; }},
        {"{TIMER-OFF}", [&] { return TimerSwitch(false); }},
        {"{TIMER-ON}", [&] { return TimerSwitch(true); }},
        {"{RESUME1}",
         [&] {
             if (host_.IsSuspended()) host_.ResumeForOneRecord();
             return true;
         }},
        {"{SUSPEND}",
         [&] {
             if (!host_.IsSuspended()) host_.Suspend();
             return true;
         }},
        {"{RESUME}",
         [&] {
             if (host_.IsSuspended()) host_.Resume();
             return true;
         }},
        {"{BREAK}", [&] { return LineCommand(&DdeCommandHost::StartBreak); }},
        {"{TOGGLEDTR}", [&] { return LineCommand(&DdeCommandHost::PulseDtr); }},
        {"{DTR=ON}", [&] { return vi || (host_.SetDtr(true), true); }},
        {"{DTR=OFF}", [&] { return vi || (host_.SetDtr(false), true); }},
        {"{RTS=ON}", [&] { return vi || (host_.SetRts(true), true); }},
        {"{RTS=OFF}", [&] { return vi || (host_.SetRts(false), true); }},
        {"{RESET}", [&] { return host_.Reset(), true; }},
        {"{CLEAR}", [&] { return host_.ClearFieldBoxes(), true; }},
        {"{APPNORMAL}", [&] { return host_.ShowNormal(), true; }},
        {"{APPMINIMIZE}", [&] { return host_.Minimize(), true; }},
        {"{APPEXIT}", [&] { return host_.RequestExit(), true; }},
        {"{PASTE-COMMAND}", [&] { return LinkItem(LinkMenuItem::PasteCommand); }},
        {"{REFRESH-COMMAND}", [&] { return LinkItem(LinkMenuItem::RefreshCommand); }},
        {"{TERMINATE-COMMAND}", [&] { return LinkItem(LinkMenuItem::TerminateCommand); }},
        {"{PASTE-BUFFER}", [&] { return LinkItem(LinkMenuItem::PasteBuffer); }},
        {"{REFRESH-BUFFER}", [&] { return LinkItem(LinkMenuItem::RefreshBuffer); }},
        {"{TERMINATE-BUFFER}", [&] { return LinkItem(LinkMenuItem::TerminateBuffer); }},
        {"{STRIPCRLF-ON}", [&] { return g_.StripCrLfFromBuffer = kTrue, true; }},
        {"{STRIPCRLF-OFF}", [&] { return g_.StripCrLfFromBuffer = kFalse, true; }},
        {"{COPYDATE}",
         [&] {
             return CopyItem({DdeItemId::DateTime, 0});
         }},
        {"{COPYRECNUM}",
         [&] {
             return CopyItem({DdeItemId::RecordNumber, 0});
         }},
    };
    for (const auto& [name, run] : table) {
        if (matching == name) {
            accepted = run();
            return true;
        }
    }
    return false;
}

// Tries the call and assignment commands in table order; false when none matches.
bool DdeCommandInterpreter::RunWithArgument(const DdeCommandText& command, bool& accepted) {
    enum Form { Call, Assignment };
    struct Entry {
        const char* keyword;
        Form form;
        bool upperCase;  // the argument is taken from the upper-cased text
        std::function<bool(const std::string&)> run;
    };
    // CONFIG keeps the path's letter case: file names are case-sensitive here.
    const Entry table[] = {
        {"SEND", Call, false,
         [&](const std::string& a) { return QueueSend(host_, g_.OutputQueue, a); }},
        {"SENDOUT", Call, false,
         [&](const std::string& a) {
             return QueueSend(host_, g_.OutputQueue, DecodeOutputNotation(a));
         }},
        {"TIMERSTRING", Assignment, false,
         [&](const std::string& a) { return g_.TimerString = DecodeOutputNotation(a), true; }},
        {"SENDCODE", Call, false, [&](const std::string& a) { return SendCode(a); }},
        {"SENDDATE", Call, false, [&](const std::string& a) { return SendDate(a); }},
        {"SENDFILE", Call, false, [&](const std::string& a) { return SendFile(a); }},
        {"PUSH", Call, true, [&](const std::string& a) { return Push(a); }},
        {"CONFIG", Call, false, [&](const std::string& a) { return Config(a); }},
        {"COPYFIELD", Call, true, [&](const std::string& a) { return CopyField(a); }},
        {"TIMERINTERVAL", Assignment, true, [&](const std::string& a) { return TimerInterval(a); }},
    };
    for (const Entry& e : table) {
        const std::optional<std::string> argument =
            e.form == Call ? CallArgument(command, e.keyword, e.upperCase)
                           : AssignmentArgument(command, e.keyword, e.upperCase);
        if (argument) {
            accepted = e.run(*argument);
            return true;
        }
    }
    return false;
}

bool DdeCommandInterpreter::TimerSwitch(bool enable) {
    const bool enabled = (host_.TimedOutputFlags() & kTimedOutputEnabledBit) != 0;
    if (enabled != enable) host_.ToggleTimedOutput();
    return true;
}

// The port lines do not exist in Virtual Instrument mode: accepted, nothing done.
bool DdeCommandInterpreter::LineCommand(void (DdeCommandHost::*action)()) {
    if (!host_.IsVirtualInstrument()) (host_.*action)();
    return true;
}

bool DdeCommandInterpreter::LinkItem(LinkMenuItem item) {
    host_.RecomputeEditMenu();
    // Without a clipboard there is nothing to paste, whatever the menu says.
    const bool paste = item == LinkMenuItem::PasteCommand || item == LinkMenuItem::PasteBuffer;
    if (paste && host_.Clipboard() == nullptr) return false;
    if (!host_.IsLinkItemEnabled(item)) return false;
    host_.PerformLinkItem(item);
    return true;
}

// Without a clipboard (headless) the copy is accepted and does nothing.
bool DdeCommandInterpreter::CopyItem(const DdeItemId& id) {
    LinkClipboard* clipboard = host_.Clipboard();
    if (clipboard == nullptr) return true;
    const std::string item = DdeItemName(id);
    clipboard->PutLink(std::string(kLinkApplication) + "|" + host_.DdeTopic() + "!" + item,
                       host_.ItemText(item));
    return true;
}

bool DdeCommandInterpreter::SendCode(const std::string& argument) {
    const std::optional<double> v = CommandNumber(argument);
    // The range is checked before rounding, so 255.4 still sends 255 and 255.5 is refused.
    if (!v || *v < 0 || *v >= 255.5) return false;
    return QueueSend(
        host_, g_.OutputQueue,
        std::string(1, static_cast<char>(static_cast<unsigned char>(RoundHalfEven(*v)))));
}

bool DdeCommandInterpreter::SendDate(const std::string& argument) {
    return QueueSend(host_, g_.OutputQueue, FormatDateTime(clock_.Now(), argument, locale_));
}

bool DdeCommandInterpreter::SendFile(const std::string& argument) {
    // A lost device's queue takes no more than its room; a file beyond it is refused.
    const size_t room = host_.SendRoom();
    const size_t queued = g_.OutputQueue.size();
    const size_t limit = room >= kSendFileQueueLimit ? kSendFileQueueLimit
                                                     : std::min(kSendFileQueueLimit, queued + room);
    const std::string native = NativePath(argument);
    if (!CheckUserFile(native, messages_)) return false;
    return SendFileToQueue(native, g_.OutputQueue, limit);
}

bool DdeCommandInterpreter::Push(const std::string& name) {
    if (name == "DTR~" || name == "BREAK") {
        if (host_.IsVirtualInstrument()) return false;
        if (name == "DTR~") {
            host_.PulseDtr();
        } else {
            host_.StartBreak();
        }
        return true;
    }
    // A button hidden for its empty string still answers to its caption and sends nothing.
    // Captions compare in the code page's letter case, as target titles do (été is Été).
    const std::string wanted = UpperCaseText(name);
    for (int n = 1; n <= kStringButtons; ++n) {
        if (UpperCaseText(g_.ButtonCaption[static_cast<size_t>(n)]) == wanted) {
            return QueueSend(host_, g_.OutputQueue, g_.ButtonString[static_cast<size_t>(n)]);
        }
    }
    return false;
}

bool DdeCommandInterpreter::Config(const std::string& path) {
    if (host_.IsVirtualInstrument()) return false;
    const std::string native = NativePath(path);
    // A file that cannot be read is refused with the reason; a FIFO is never opened.
    if (!CheckUserFile(native, messages_)) return false;
    const int16_t portIndex = ValidateConfigFile(native, messages_);
    if (portIndex < 0 || portIndex != host_.ActivePortIndex()) return false;
    const std::string previous = g_.ConfigFileName;
    g_.ConfigFileName = native;
    // A file that passed the signature check may still fail to load; the running
    // configuration then stays, under its own name, and the sender learns that nothing
    // changed.
    if (!host_.ReloadConfiguration()) {
        g_.ConfigFileName = previous;
        return false;
    }
    return true;
}

bool DdeCommandInterpreter::CopyField(const std::string& argument) {
    const std::optional<double> v = CommandNumber(argument);
    if (!v) return false;
    const double n = RoundHalfEven(*v);
    if (n < 1 || n > FieldCount(g_)) return false;
    return CopyItem({DdeItemId::Field, static_cast<int>(n)});
}

bool DdeCommandInterpreter::TimerInterval(const std::string& argument) {
    const std::optional<double> v = CommandNumber(argument);
    if (!v) return false;
    const double ms = RoundHalfEven(*v);
    if (ms < std::numeric_limits<int32_t>::min() || ms > std::numeric_limits<int32_t>::max()) {
        return false;
    }
    if (ms > 0) {
        g_.TimerInterval = static_cast<int32_t>(ms);
        host_.RestartTimedOutputSchedule();
        const int16_t flags = host_.TimedOutputFlags();
        const bool transmitsNothing = (flags & kTimerTransmitBit) != 0 && g_.TimerString.empty();
        host_.SetTimedOutputMenu((flags & kTimedOutputEnabledBit) != 0, !transmitsNothing);
    } else {
        g_.TimerInterval = 0;
        if ((host_.TimedOutputFlags() & kTimedOutputEnabledBit) != 0) host_.ToggleTimedOutput();
        host_.SetTimedOutputMenu((host_.TimedOutputFlags() & kTimedOutputEnabledBit) != 0, false);
    }
    return true;
}

}  // namespace quorvane
