// The desktop side of a session: the keystroke target that types records into the target
// application, and the hot keys. The keystrokes go through X11 (the X display of $DISPLAY,
// with XTest) or, on a Wayland desktop whose compositor offers the virtual-keyboard and
// foreign-toplevel protocols, through Wayland; see WaylandBackendChoice.h for the rule. With
// neither nothing can be typed, and the first activation that needs it says so. Hot keys are
// X11 only for now.
#pragma once

#include <memory>

#include "config/SetupGlobals.h"
#include "delivery/KeystrokeTarget.h"
#include "platform/Clock.h"
#include "platform/Messages.h"
#include "platform/linux/WaylandBackendChoice.h"
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
class WaylandConnection;
class WaylandKeyInjector;
class WaylandWindowSystem;

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
    // The keystroke services chosen at start (X11, Wayland or none) and why, for the headless
    // runner to print and About to show.
    const KeystrokeBackendChoice& Backend() const { return backend_; }
    bool HotKeysAvailable() const { return monitor_ != nullptr; }

  private:
    void ChooseBackend(SetupGlobals& g);

    Display* display_ = nullptr;
    KeystrokeBackendChoice backend_;
#ifdef QUORVANE_WAYLAND
    std::unique_ptr<WaylandConnection> wayland_;
    std::unique_ptr<WaylandWindowSystem> waylandWindows_;
    std::unique_ptr<WaylandKeyInjector> waylandInjector_;
#endif
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
