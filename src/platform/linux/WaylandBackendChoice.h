// Which keystroke services a session uses, chosen once at start from what the desktop offers:
// on a Wayland desktop the Wayland services, unless the target is an X11 program (under
// XWayland) or the compositor lacks the protocols; otherwise X11 as ever. The reason is kept
// for the headless runner to print and About to show.
#pragma once

#include <string>

namespace quorvane {

enum class KeystrokeBackend { Unavailable, X11, Wayland };

struct KeystrokeDesktopFacts {
    bool waylandDisplaySet = false;  // $WAYLAND_DISPLAY is set
    bool waylandConnected = false;   // and its compositor answered
    std::string compositor;          // its name for messages
    bool virtualKeyboard = false;    // zwp_virtual_keyboard_manager_v1 offered
    bool foreignToplevels = false;   // zwlr_foreign_toplevel_manager_v1 offered
    bool x11Display = false;         // an X display with XTest answers ($DISPLAY)
    bool targetOnX11 = false;        // a window of the X display carries the target's title
};

struct KeystrokeBackendChoice {
    KeystrokeBackend backend = KeystrokeBackend::Unavailable;
    std::string reason;  // English for now, one line
};

KeystrokeBackendChoice ChooseKeystrokeBackend(const KeystrokeDesktopFacts& facts);

}  // namespace quorvane
