// Hot keys on X11: every registered combination is grabbed on the root window on a private
// display connection, with and without Caps Lock and Num Lock, so that it reaches this
// program and not the focused window. Grabs freeze the keyboard until the handler has
// answered; a keystroke the handler does not swallow is replayed to the focused window.
//
// Events are read when the connection's socket becomes readable (a QSocketNotifier in the
// thread's Qt event loop); ProcessPendingEvents does the same work for callers without one.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/KeyboardMonitor.h"

class QSocketNotifier;
typedef struct _XDisplay Display;
union _XEvent;

namespace quorvane {

class X11KeyboardMonitor : public KeyboardMonitor {
  public:
    // Connects to displayName (null: $DISPLAY); null when no X display can be reached or it
    // lacks the keyboard extension.
    static std::unique_ptr<X11KeyboardMonitor> Open(const char* displayName = nullptr);
    ~X11KeyboardMonitor() override;
    X11KeyboardMonitor(const X11KeyboardMonitor&) = delete;
    X11KeyboardMonitor& operator=(const X11KeyboardMonitor&) = delete;

    void SetHandler(Handler handler) override;
    KeyRegistration Register(const KeyCombination& combination) override;
    void ReleaseAll() override;
    bool ShiftHeld() override;

    // Reads every event waiting on the connection and reports the key transitions.
    void ProcessPendingEvents();
    // Whether the server tells repeats from first presses itself; without it a release
    // followed at once by a press of the same key is taken for a repeat.
    bool DetectableAutoRepeat() const { return detectableRepeat_; }

  private:
    struct Grab {
        unsigned keycode;
        unsigned modifiers;
    };
    explicit X11KeyboardMonitor(Display* display);

    void HandleKey(_XEvent& event);
    bool NextIsRepeatOf(const _XEvent& release);
    int VirtualKeyFor(unsigned keycode, unsigned state) const;
    int ModifierBits(unsigned state) const;
    void DrainLater();

    Display* display_;
    Handler handler_;
    std::unique_ptr<QSocketNotifier> notifier_;
    bool detectableRepeat_ = false;
    bool processing_ = false;
    unsigned altMask_ = 0, numLockMask_ = 0, superMask_ = 0;
    std::vector<Grab> grabs_;
    std::map<unsigned, std::vector<int>> virtualKeys_;  // keycode -> registered virtual keys
    std::set<unsigned> down_;                           // grabbed keycodes seen pressed
};

}  // namespace quorvane
