// A keyboard monitor driven by the test: it records what is registered and released, plays
// key transitions into the handler and answers ShiftHeld from a flag the test sets.
#pragma once

#include <algorithm>
#include <vector>

#include "platform/KeyboardMonitor.h"

namespace quorvane {

class FakeKeyboardMonitor : public KeyboardMonitor {
  public:
    void SetHandler(Handler h) override { handler = std::move(h); }
    KeyRegistration Register(const KeyCombination& c) override {
        registered.push_back(c);
        const bool refuse = std::find(refuse_.begin(), refuse_.end(), c) != refuse_.end();
        if (refuse) return KeyRegistration::Refused;
        watched_.push_back(c);
        return KeyRegistration::Watched;
    }
    void ReleaseAll() override {
        registered.clear();
        watched_.clear();
        ++releases;
    }
    bool ShiftHeld() override { return shiftHeld; }

    // Makes Register refuse c, as when another program holds it.
    void Refuse(const KeyCombination& c) { refuse_.push_back(c); }

    // One transition as the system would report it; returns the handler's swallow answer
    // (false without a handler). Only watched combinations reach the handler: like a real
    // monitor, a combination whose registration was refused is never delivered.
    bool Transition(int virtualKey, int modifiers, uint32_t flags) {
        const KeyCombination c{virtualKey, modifiers};
        if (!handler || std::find(watched_.begin(), watched_.end(), c) == watched_.end()) {
            return false;
        }
        return handler(KeyTransition{virtualKey, flags, modifiers});
    }
    bool Press(int virtualKey, int modifiers) { return Transition(virtualKey, modifiers, 0); }
    bool Repeat(int virtualKey, int modifiers) {
        return Transition(virtualKey, modifiers, kKeyFlagWasDown);
    }
    bool Release(int virtualKey, int modifiers) {
        return Transition(virtualKey, modifiers, kKeyFlagWasDown | kKeyFlagReleasing);
    }

    Handler handler;
    std::vector<KeyCombination> registered;  // every registration asked for, refused or not
    int releases = 0;
    bool shiftHeld = false;

  private:
    std::vector<KeyCombination> refuse_;
    std::vector<KeyCombination> watched_;
};

}  // namespace quorvane
