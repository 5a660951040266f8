// Which keystroke services a session uses, chosen once at start from what the desktop offers:
// on a Wayland desktop the Wayland services, unless the target is an X11 program (under
// XWayland); where the compositor lacks the protocols (GNOME, KDE Plasma), the RemoteDesktop
// portal, which types into the focused window only; otherwise X11 as ever. The reason is
// kept for the headless runner to print and About to show.
#pragma once

#include <string>

namespace quorvane {

enum class KeystrokeBackend { Unavailable, X11, Wayland, Portal };

struct KeystrokeDesktopFacts {
    bool waylandDisplaySet = false;  // $WAYLAND_DISPLAY is set
    bool waylandConnected = false;   // and its compositor answered
    std::string compositor;          // its name for messages
    bool virtualKeyboard = false;    // zwp_virtual_keyboard_manager_v1 offered
    bool foreignToplevels = false;   // zwlr_foreign_toplevel_manager_v1 offered
    bool remoteDesktopPortal = false;  // the RemoteDesktop portal offers a keyboard
    bool x11Display = false;         // an X display with XTest answers ($DISPLAY)
    bool targetOnX11 = false;        // a window of the X display carries the target's title
};

struct KeystrokeBackendChoice {
    KeystrokeBackend backend = KeystrokeBackend::Unavailable;
    std::string reason;  // one line, in the interface language
};

KeystrokeBackendChoice ChooseKeystrokeBackend(const KeystrokeDesktopFacts& facts);

}  // namespace quorvane
