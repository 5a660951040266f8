// Key injection on an X display through XTest. The injector is the context object of the
// connection: it borrows the Display and keeps its own copy of the keyboard mapping, read
// again at the first key of each macro (the user may switch layouts between records).
//
// A character is typed through the key that produces it in the active group, at level 1 or
// 2 (Shift is the caller's). A character the layout lacks is typed through a spare keycode
// (one without any keysym) bound to it for the moment, a separate one per character. Clients
// fetch a changed mapping only when they handle their next key event, which may be well
// after it was sent, so a spare keycode is given back only kSpareHoldMs after the display
// processed its last use.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/KeyInjector.h"
#include "platform/linux/X11KeyboardDevices.h"
#include "platform/linux/X11Keysyms.h"

class QTimer;
// Xlib's own declaration; the header stays free of Xlib's macros (Bool, Status, None).
typedef struct _XDisplay Display;

namespace quorvane {

class X11KeyInjector : public KeyInjector {
  public:
    static constexpr int kSpareHoldMs = 200;

    // display is borrowed and must outlive the injector.
    explicit X11KeyInjector(Display* display);
    // Gives back the spare keycodes still bound, waiting out their hold time.
    ~X11KeyInjector() override;
    X11KeyInjector(const X11KeyInjector&) = delete;
    X11KeyInjector& operator=(const X11KeyInjector&) = delete;

    // True when the display has the XTest extension.
    static bool Supported(Display* display);

    bool CharacterNeedsShift(unsigned char byte) override;
    void KeyDown(int virtualKey) override;
    void KeyUp(int virtualKey) override;
    void TypeCharacter(unsigned char byte) override;
    // Releases the modifiers and lock keys held now, after giving back the keys that still
    // stand pressed on the XTest keyboard only (see X11KeyboardDevices.h).
    KeyboardSnapshot SaveKeyboardState() override;
    // The saved keys down on one of the user's own keyboards. A key that only an XTest client
    // held (a remote desktop) cannot be told from our own release of it and counts as let go.
    KeyboardSnapshot KeysStillHeld(const KeyboardSnapshot& saved) override;
    void RestoreKeyboardState(const KeyboardSnapshot& snapshot) override;
    bool IsLockOn(LockKey lock) override;
    void ToggleLock(LockKey lock) override;
    // XSync, then gives back the spare keycodes whose hold time has passed; the others are
    // given back by a timer when a Qt event loop runs, else by a later call.
    void Flush() override;

    // Gives back every spare keycode whose hold time has passed (all of them, after waiting,
    // when waitForAll is set).
    void RestoreSpareKeycodes(bool waitForAll = false);
    // The spare keycodes bound to a character now.
    int BoundSpareCount() const;

  private:
    using SteadyClock = std::chrono::steady_clock;

    struct KeyPlace {
        uint8_t keycode = 0;  // an X keycode
        bool shift = false;
    };
    struct Spare {
        uint8_t keycode = 0;
        X11Keysym bound = 0;  // 0 while free
        SteadyClock::time_point lastUse{};
        bool usedSinceSync = false;  // used in events the display may not have seen yet
        int pressed = 0;
    };

    void EnsureLayout();
    void LoadLayout();
    uint8_t KeycodeForKeysym(X11Keysym keysym);
    Spare* BindSpare(X11Keysym keysym);
    void Unbind(Spare& spare);
    Spare* SpareOf(uint8_t keycode);
    void SendKey(uint8_t keycode, bool down);
    void SyncAndStamp();
    void DrainEvents();
    void ScheduleRestore();
    unsigned ModifierMaskOf(X11Keysym keysym);

    Display* display_;
    X11KeyboardDevices devices_;
    bool layoutStale_ = true;
    bool sparesFound_ = false;
    std::unordered_map<char32_t, KeyPlace> characters_;
    std::unordered_map<X11Keysym, uint8_t> keysyms_;
    std::vector<Spare> spares_;
    std::unique_ptr<QTimer> restoreTimer_;
};

}  // namespace quorvane
