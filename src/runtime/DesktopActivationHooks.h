// The keyboard hook of a desktop session, with what activation must say when there is no
// desktop: a Send Keystrokes configuration on a system without an X display types nothing
// (its records are still read, shown and counted), and that is said once, at the first such
// activation, before the hot keys are programmed (which say their own unavailability).
#pragma once

#include <string>

#include "config/SetupGlobals.h"
#include "platform/Messages.h"
#include "runtime/HotKeyHooks.h"

namespace quorvane {

struct KeystrokeMessage {
    std::string text;   // UTF-8, in the interface language
    std::string title;  // the program name
};
// The message that keystrokes cannot be typed without an X display.
KeystrokeMessage KeystrokesUnavailableMessage();

class DesktopActivationHooks : public HotKeyHooks {
  public:
    // messages outlives this object. keystrokesAvailable: keystrokes can be typed.
    DesktopActivationHooks(Messages& messages, bool keystrokesAvailable)
        : messages_(messages), keystrokesAvailable_(keystrokesAvailable) {}

    // The hot keys proper; they act through the session, so they come after it.
    void SetHotKeys(HotKeyHooks* hotKeys) { hotKeys_ = hotKeys; }

    void Program(const SetupGlobals& g) override;
    void Release() override {
        if (hotKeys_) hotKeys_->Release();
    }

    bool KeystrokesAvailable() const { return keystrokesAvailable_; }

  private:
    Messages& messages_;
    bool keystrokesAvailable_;
    bool keystrokeMessageShown_ = false;
    HotKeyHooks* hotKeys_ = nullptr;
};

}  // namespace quorvane
