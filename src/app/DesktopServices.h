// The desktop side of a session: the keystroke target that types records into the target
// application, and the hot keys. The keystrokes go through X11 (the X display of $DISPLAY,
// with XTest); on a Wayland desktop whose compositor offers the virtual-keyboard and
// foreign-toplevel protocols, through Wayland; on other Wayland desktops (GNOME, KDE Plasma)
// through the RemoteDesktop portal, into the focused window; see WaylandBackendChoice.h for
// the rule. With none of them nothing can be typed, and the first activation that needs it
// says so.
#pragma once

#include <memory>

#include "config/SetupGlobals.h"
#include "delivery/KeystrokeTarget.h"
#include "platform/Clock.h"
#include "platform/Messages.h"
#include "platform/SettingsStore.h"
#include "platform/linux/WaylandBackendChoice.h"
#include "runtime/DdeCommandHost.h"
#include "runtime/HotKeys.h"

typedef struct _XDisplay Display;

namespace quorvane {

class DesktopKeystrokeTarget;
class FocusedWindowKeystrokeTarget;
class GlobalShortcutsMonitor;
class RemoteDesktopKeyInjector;
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
    // g, messages, clock, settings and host outlive this object; host is used only once a
    // hot key acts, so it may be built after these services. settings keeps what the desktop
    // granted (the portal's restore token). Needs a Qt application for its waits.
    DesktopServices(SetupGlobals& g, Messages& messages, Clock& clock, SettingsStore& settings,
                    DdeCommandHost& host);
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

    // The keystroke services chosen at start (X11, Wayland or none) and why, for the headless
    // runner to print and About to show.
    const KeystrokeBackendChoice& Backend() const { return backend_; }
    // Where keystrokes and hot keys go, one line each, as chosen by the services built last
    // in this program (empty before any): About shows it.
    static std::string LastChoice();

  private:
    void ChooseBackend(SetupGlobals& g);
    void OpenHotKeys(SetupGlobals& g, Messages& messages, DdeCommandHost& host);
    void UseRemoteDesktopPortal(SetupGlobals& g, Messages& messages, Clock& clock,
                                SettingsStore& settings);

    Display* display_ = nullptr;
    KeystrokeBackendChoice backend_;
    std::string desktopName_;         // for messages: the compositor or $XDG_CURRENT_DESKTOP
    uint32_t remoteDesktopVersion_ = 0;  // of the portal, when it offers a keyboard
    bool waylandDisplaySet_ = false;
    KeystrokeDesktopFacts facts_;
    bool keyboardRefused_ = false;
    int hotKeysText_ = 0;  // the string that says where hot keys go
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
    std::unique_ptr<RemoteDesktopKeyInjector> portalInjector_;
    std::unique_ptr<FocusedWindowKeystrokeTarget> focusedTarget_;
    KeystrokeTarget* keys_ = nullptr;  // whichever of the targets types; null when none can
    std::unique_ptr<NullKeystrokeTarget> noTarget_;
    std::unique_ptr<X11KeyboardMonitor> monitor_;
    std::unique_ptr<GlobalShortcutsMonitor> portalMonitor_;
    std::unique_ptr<HotKeys> hotKeys_;
};

}  // namespace quorvane
