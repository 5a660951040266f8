#include "delivery/TargetActivation.h"

#include <algorithm>
#include <vector>

#include "config/CodePage.h"
#include "delivery/CaptionText.h"
#include "delivery/CommandWords.h"
#include "strings/StringIds.h"
#include "strings/StringTable.h"

namespace quorvane {

namespace {

bool CaptionContains(const std::string& caption, const std::string& normalizedTitle) {
    return UpperCaseText(caption).find(normalizedTitle) != std::string::npos;
}

}  // namespace

TargetSearch TargetActivation::FindTargetWindow(std::string& title) {
    TargetSearch result;
    if (title.empty()) return result;
    NormalizeTargetTitle(title);
    // A title of blanks alone would match every caption and type into any window.
    if (title.empty()) return result;

    const std::vector<TopLevelWindow> windows = windows_.TopLevelWindows();
    auto match = std::find_if(windows.begin(), windows.end(), [&](const TopLevelWindow& w) {
        return CaptionContains(w.caption, title);
    });
    if (match == windows.end()) return result;
    result.window = match->id;
    // The topmost window has the keys already, unless it is minimized: then it is brought
    // back like any other.
    if (match == windows.begin() && !match->minimized) return result;

    if (match->minimized) {
        windows_.RestoreWithoutActivation(match->id);
        result.wasMinimized = true;
    }
    windows_.Activate(match->id);
    waiter_.ProcessEvents(0);
    const WindowId target = match->id;
    WaitUntil(kActivationLimitMs, [&] { return windows_.ForegroundWindow() == target; });
    return result;
}

TargetLaunch TargetActivation::LaunchTarget(const std::string& command, std::string& title) {
    TargetLaunch result;
    const WindowId before = windows_.ForegroundWindow();

    std::vector<std::string> words = SplitCommandWords(command);
    for (std::string& word : words) word = CodePage::ToUtf8(word);
    LaunchResult started;
    if (words.empty()) {
        started.error = LoadString(kStrCommandNamesNoProgram);
    } else {
        started = launcher_.Start(words);
    }
    if (!started.started()) {
        ShowStartFailure(command, started.error);
        result.failed = true;
        return result;
    }
    lastProcessId_ = started.processId;

    const bool cameForward =
        WaitUntil(kTargetStartLimitMs, [&] { return windows_.ForegroundWindow() != before; });
    WaitUntil(kTargetSettleMs, nullptr);

    result.window = windows_.ForegroundWindow();
    // After the time limit the foreground is still whatever window had it (often the one
    // the user works in); its caption must not become the target's title.
    if (cameForward && result.window != 0) {
        const std::string caption = UpperCaseText(windows_.Caption(result.window));
        if (!caption.empty() && (title.empty() || caption.find(title) == std::string::npos)) {
            title = caption;
        }
    }
    return result;
}

bool TargetActivation::WaitUntil(uint32_t limitMs, const std::function<bool()>& done) {
    const uint32_t start = clock_.TickCount();
    for (;;) {
        if (done && done()) return true;
        const uint32_t elapsed = clock_.TickCount() - start;
        if (elapsed >= limitMs) return false;
        const uint32_t left = limitMs - elapsed;
        waiter_.ProcessEvents(done ? std::min(left, kForegroundPollMs) : left);
    }
}

void TargetActivation::ShowStartFailure(const std::string& command, const std::string& reason) {
    const std::string text =
        LoadString(kStrCannotRunProgram) + " " + CodePage::ToUtf8(command) + "\r" + reason;
    messages_.Show(text, LoadString(kStrQuorvaneError), MessageButtons::Ok,
                   MessageIcon::Exclamation);
}

}  // namespace quorvane
