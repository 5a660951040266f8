// The X11 side of a desktop session: the keystroke target that types records into the target
// application, and the hot keys. Built from the X display of $DISPLAY when one can be
// reached; without one (or without XTest) nothing can be typed and hot keys are unavailable,
// and the first activation that needs them says so.
#pragma once

#include <memory>

#include "config/SetupGlobals.h"
#include "delivery/KeystrokeTarget.h"
#include "platform/Clock.h"
#include "platform/Messages.h"
#include "runtime/DdeCommandHost.h"
#include "runtime/HotKeys.h"

typedef struct _XDisplay Display;

namespace quorvane {

class DesktopKeystrokeTarget;
class NullKeystrokeTarget;
class PosixProcessLauncher;
class QtWaiter;
class X11KeyInjector;
class X11KeyboardMonitor;
class X11WindowSystem;

class DesktopServices {
  public:
    // g, messages, clock and host outlive this object; host is used only once a hot key
    // acts, so it may be built after these services. Needs a Qt application for its waits.
    DesktopServices(SetupGlobals& g, Messages& messages, Clock& clock, DdeCommandHost& host);
    ~DesktopServices();
    DesktopServices(const DesktopServices&) = delete;
    DesktopServices& operator=(const DesktopServices&) = delete;

    // For the session's services.
    KeystrokeTarget& Keys();
    HotKeyHooks& Hooks() { return *hotKeys_; }

    // A connection to the X display named by $DISPLAY, or null when it does not answer (Qt
    // aborts when asked for a GUI application without one). Hold it until the application
    // has its own connection: an X server whose last client leaves resets itself and refuses
    // connections for a moment.
    static std::shared_ptr<Display> HoldDisplay();

    bool KeystrokesAvailable() const { return target_ != nullptr; }
    bool HotKeysAvailable() const { return monitor_ != nullptr; }

  private:
    Display* display_ = nullptr;
    std::unique_ptr<X11WindowSystem> windows_;
    std::unique_ptr<PosixProcessLauncher> launcher_;
    std::unique_ptr<X11KeyInjector> injector_;
    std::unique_ptr<QtWaiter> waiter_;
    std::unique_ptr<DesktopKeystrokeTarget> target_;
    std::unique_ptr<NullKeystrokeTarget> noTarget_;
    std::unique_ptr<X11KeyboardMonitor> monitor_;
    std::unique_ptr<HotKeys> hotKeys_;
};

}  // namespace quorvane
