// The hot keys of an active configuration: the combinations to watch, taken from HotKeyCode,
// the key event rule that matches transitions against the table, and the fourteen actions,
// which drive the port and the runtime through the same host as the DDE commands.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "config/SetupGlobals.h"
#include "platform/KeyboardMonitor.h"
#include "platform/Messages.h"
#include "runtime/DdeCommandHost.h"
#include "runtime/HotKeyHooks.h"

namespace quorvane {

enum HotKeyActions : int16_t {
    kHotKeyNone = 0,
    kHotKeyTransmitString = 1,
    kHotKeyBreak = 2,
    kHotKeyToggleDtr = 3,
    kHotKeyEnableTimer = 4,
    kHotKeyDisableTimer = 5,
    kHotKeyRaiseDtr = 6,
    kHotKeyLowerDtr = 7,
    kHotKeyRaiseRts = 8,
    kHotKeyLowerRts = 9,
    kHotKeyReset = 10,
    kHotKeySuspend = 11,
    kHotKeyEnable = 12,
    kHotKeyEnableOneRecord = 13,
};

enum class HotKeyStatus {
    NoHotKeys,    // the table is empty: nothing to watch
    Active,       // every combination is watched
    Partial,      // some combinations were refused (held by another program)
    Unavailable,  // no keyboard monitor (no X display): hot keys do nothing
};

// The combinations to watch for a table: each used slot's key with its modifiers, and the
// same key with the opposite Shift state (the match takes Shift from the live keyboard, so
// both must be seen). Duplicates appear once, in slot order.
std::vector<KeyCombination> HotKeyCombinations(const SetupGlobals& g);

// The action a slot performs in the current run mode: line actions are none in Virtual
// Instrument mode, which has no port.
int16_t EffectiveHotKeyAction(int16_t action, bool virtualInstrument);

// The runtime session's keyboard hook: Program (activation) registers the configuration's
// combinations with the monitor, Release (unload) lets them go.
class HotKeys : public HotKeyHooks {
  public:
    // Every reference and pointer outlives this object; host is only used once a key acts,
    // so it may be built after the hot keys. monitor is null when no keyboard monitor could
    // be made (no X display); messages may be null for no message.
    HotKeys(SetupGlobals& g, DdeCommandHost& host, KeyboardMonitor* monitor, Messages* messages);
    ~HotKeys() override;
    HotKeys(const HotKeys&) = delete;
    HotKeys& operator=(const HotKeys&) = delete;

    // What the activation says once when hot keys are configured but there is no monitor;
    // by default that no X display can be reached.
    void SetUnavailableText(std::string text) { unavailableText_ = std::move(text); }

    // HotKeyHooks: Activate and Deactivate.
    void Program(const SetupGlobals&) override { status_ = Activate(); }
    void Release() override { Deactivate(); }
    HotKeyStatus status() const { return status_; }

    // Registers the current table (after releasing a previous registration). When hot keys
    // are configured but there is no monitor, the user is told once in this object's life.
    HotKeyStatus Activate();
    // Releases every watched combination.
    void Deactivate();

    // The key event rule. shiftHeld is the live Shift state; transition.modifiers supplies
    // Ctrl, Alt and the logo key. Returns true when the keystroke must be swallowed; runs the
    // actions of every matching slot for a first press only.
    bool OnKeyEvent(const KeyTransition& transition, bool shiftHeld);

    // Performs one action of slot (its HotKeyString for Transmit String).
    void PerformAction(int16_t action, int slot);

  private:
    SetupGlobals& g_;
    DdeCommandHost& host_;
    KeyboardMonitor* const keyboard_;
    Messages* const messages_;
    KeyboardMonitor* monitor_ = nullptr;  // the keyboard while combinations are registered
    HotKeyStatus status_ = HotKeyStatus::NoHotKeys;
    bool unavailableShown_ = false;
    std::string unavailableText_;
};

}  // namespace quorvane
