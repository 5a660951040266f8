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
        return refuse ? KeyRegistration::Refused : KeyRegistration::Watched;
    }
    void ReleaseAll() override {
        registered.clear();
        ++releases;
    }
    bool ShiftHeld() override { return shiftHeld; }

    // Makes Register refuse c, as when another program holds it.
    void Refuse(const KeyCombination& c) { refuse_.push_back(c); }

    // One transition as the system would report it; returns the handler's swallow answer
    // (false without a handler). Only registered combinations reach the handler, as with a
    // real monitor.
    bool Transition(int virtualKey, int modifiers, uint32_t flags) {
        const KeyCombination c{virtualKey, modifiers};
        if (!handler || std::find(registered.begin(), registered.end(), c) == registered.end()) {
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
    std::vector<KeyCombination> registered;
    int releases = 0;
    bool shiftHeld = false;

  private:
    std::vector<KeyCombination> refuse_;
};

}  // namespace quorvane
