#include "runtime/HotKeys.h"

#include <algorithm>

#include "strings/StringIds.h"
#include "strings/StringTable.h"

namespace quorvane {

namespace {

constexpr int kShiftBit = 0x100;  // Shift in a HotKeyCode

int VirtualKeyOf(int16_t code) {
    return static_cast<uint16_t>(code) & 0xFF;
}
int ModifiersOf(int16_t code) {
    return (static_cast<uint16_t>(code) >> 8) & 0xFF;
}

bool IsFirstPress(uint32_t flags) {
    return (flags & (kKeyFlagWasDown | kKeyFlagReleasing)) == 0;
}

}  // namespace

std::vector<KeyCombination> HotKeyCombinations(const SetupGlobals& g) {
    std::vector<KeyCombination> combinations;
    auto add = [&](int code) {
        const KeyCombination c{VirtualKeyOf(static_cast<int16_t>(code)),
                               ModifiersOf(static_cast<int16_t>(code))};
        if (std::find(combinations.begin(), combinations.end(), c) == combinations.end()) {
            combinations.push_back(c);
        }
    };
    for (int s = 0; s < kHotKeySlots; ++s) {
        const int16_t code = g.HotKeyCode[s];
        if (VirtualKeyOf(code) == 0) continue;
        add(static_cast<uint16_t>(code));
        add(static_cast<uint16_t>(code) ^ kShiftBit);
    }
    return combinations;
}

int16_t EffectiveHotKeyAction(int16_t action, bool virtualInstrument) {
    if (!virtualInstrument) return action;
    switch (action) {
        case kHotKeyBreak:
        case kHotKeyToggleDtr:
        case kHotKeyRaiseDtr:
        case kHotKeyLowerDtr:
        case kHotKeyRaiseRts:
        case kHotKeyLowerRts:
            return kHotKeyNone;
        default:
            return action;
    }
}

HotKeys::HotKeys(SetupGlobals& g, DdeCommandHost& host, KeyboardMonitor* monitor,
                 Messages* messages)
    : g_(g), host_(host), keyboard_(monitor), messages_(messages) {}

HotKeys::~HotKeys() {
    Deactivate();
}

HotKeyStatus HotKeys::Activate() {
    Deactivate();
    const std::vector<KeyCombination> combinations = HotKeyCombinations(g_);
    if (combinations.empty()) return HotKeyStatus::NoHotKeys;
    if (!keyboard_) {
        if (messages_ && !unavailableShown_) {
            messages_->Show(unavailableText_.empty() ? LoadString(kStrHotKeysUnavailable)
                                                     : unavailableText_,
                            LoadString(kStrQuorvaneTitle),
                            MessageButtons::Ok, MessageIcon::Information);
        }
        unavailableShown_ = true;
        return HotKeyStatus::Unavailable;
    }
    monitor_ = keyboard_;
    monitor_->SetHandler([this](const KeyTransition& transition) {
        return OnKeyEvent(transition, monitor_->ShiftHeld());
    });
    bool refused = false;
    for (const KeyCombination& c : combinations) {
        refused = monitor_->Register(c) == KeyRegistration::Refused || refused;
    }
    return refused ? HotKeyStatus::Partial : HotKeyStatus::Active;
}

void HotKeys::Deactivate() {
    if (!monitor_) return;
    monitor_->ReleaseAll();
    monitor_->SetHandler(nullptr);
    monitor_ = nullptr;
}

bool HotKeys::OnKeyEvent(const KeyTransition& transition, bool shiftHeld) {
    // Shift comes from the live keyboard; Ctrl, Alt and the logo key from the event.
    const int modifiers = (shiftHeld ? kKeyModShift : 0) | (transition.modifiers & 14);
    const auto code = static_cast<int16_t>(
        static_cast<uint16_t>(modifiers * 256 + (transition.virtualKey & 0xFF)));
    if (VirtualKeyOf(code) == 0) return false;

    std::vector<int> matching;
    for (int s = 0; s < kHotKeySlots; ++s) {
        if (g_.HotKeyCode[s] == code) matching.push_back(s);
    }
    if (matching.empty()) return false;
    // Repeats and releases of a hot key are swallowed too, but only a first press acts.
    if (IsFirstPress(transition.flags)) {
        for (int s : matching) PerformAction(g_.HotKeyAction[s], s);
    }
    return true;
}

void HotKeys::PerformAction(int16_t action, int slot) {
    switch (EffectiveHotKeyAction(action, host_.IsVirtualInstrument())) {
        case kHotKeyTransmitString:
            if (slot < 0 || slot >= kHotKeySlots) break;
            if (g_.HotKeyString[slot].size() > host_.SendRoom()) {
                host_.SendDropped();  // the queue for the lost device is full
                break;
            }
            g_.OutputQueue += g_.HotKeyString[slot];
            break;
        case kHotKeyBreak:
            host_.StartBreak();
            break;
        case kHotKeyToggleDtr:
            host_.PulseDtr();
            break;
        case kHotKeyEnableTimer:
            if ((host_.TimedOutputFlags() & 1) == 0) host_.ToggleTimedOutput();
            break;
        case kHotKeyDisableTimer:
            if ((host_.TimedOutputFlags() & 1) != 0) host_.ToggleTimedOutput();
            break;
        case kHotKeyRaiseDtr:
            host_.SetDtr(true);
            break;
        case kHotKeyLowerDtr:
            host_.SetDtr(false);
            break;
        case kHotKeyRaiseRts:
            host_.SetRts(true);
            break;
        case kHotKeyLowerRts:
            host_.SetRts(false);
            break;
        case kHotKeyReset:
            host_.Reset();
            break;
        case kHotKeySuspend:
            if (!host_.IsSuspended()) host_.Suspend();
            break;
        case kHotKeyEnable:
            if (host_.IsSuspended()) host_.Resume();
            break;
        case kHotKeyEnableOneRecord:
            if (host_.IsSuspended()) host_.ResumeForOneRecord();
            break;
        default:
            break;
    }
}

}  // namespace quorvane
