// Types keystroke macro text through the key injector, by one of two methods that accept
// the same notation:
//  - the direct method (DirectKeyEvents, "/K"): the keyboard state is saved and every held
//    key released, Caps Lock is switched off for the typing and on again after it, and every
//    Alt release is followed by a 2-second pause that keeps the interface alive;
//  - the default method: the same parser, but "{ }" is the space bar and there is no Alt
//    pause; Caps Lock is still switched off around the typing, so letters keep their case.
// Either way a text that does not parse types nothing and returns its error code.
#pragma once

#include <cstdint>
#include <string_view>

#include "delivery/KeyEventList.h"
#include "platform/Clock.h"
#include "platform/KeyInjector.h"
#include "platform/Waiter.h"

namespace quorvane {

inline constexpr uint32_t kAltPauseMs = 2000;

class KeyMacroTyper {
  public:
    // All three are borrowed and must outlive the typer.
    KeyMacroTyper(KeyInjector& keys, Clock& clock, Waiter& waiter)
        : keys_(keys), clock_(clock), waiter_(waiter) {}

    void SetDirectKeyEvents(bool direct) { direct_ = direct; }
    bool DirectKeyEvents() const { return direct_; }

    // Types text with the configured method; 0 = typed, 1..5 = a KeyMacroError, nothing typed.
    int Type(std::string_view text) { return direct_ ? TypeKeys(text) : TypeDefault(text); }
    // The direct method.
    int TypeKeys(std::string_view text);
    // The default method.
    int TypeDefault(std::string_view text);

    // Waits ms milliseconds on the clock while the waiter keeps the interface alive.
    void Pause(long long ms);

  private:
    void Play(const KeyEventList& list, bool altPause);

    KeyInjector& keys_;
    Clock& clock_;
    Waiter& waiter_;
    bool direct_ = false;
};

}  // namespace quorvane
