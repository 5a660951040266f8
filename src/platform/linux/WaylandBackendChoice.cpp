#include "platform/linux/WaylandBackendChoice.h"

namespace quorvane {

namespace {

KeystrokeBackendChoice FallBack(const KeystrokeDesktopFacts& facts, const std::string& why) {
    if (facts.x11Display) {
        return {KeystrokeBackend::X11,
                why + "; keystrokes through X11 reach only X11 programs (XWayland)"};
    }
    return {KeystrokeBackend::Unavailable,
            why + ", and no X display answers: nothing can be typed"};
}

}  // namespace

KeystrokeBackendChoice ChooseKeystrokeBackend(const KeystrokeDesktopFacts& facts) {
    if (!facts.waylandDisplaySet) {
        if (facts.x11Display) return {KeystrokeBackend::X11, "Keystrokes through X11"};
        return {KeystrokeBackend::Unavailable,
                "No X display and no Wayland display: nothing can be typed"};
    }
    if (facts.targetOnX11 && facts.x11Display) {
        return {KeystrokeBackend::X11,
                "Keystrokes through X11: the target window is an X11 program (XWayland)"};
    }
    if (!facts.waylandConnected) return FallBack(facts, "The Wayland display does not answer");
    std::string missing;
    if (!facts.virtualKeyboard) missing = "zwp_virtual_keyboard_manager_v1";
    if (!facts.foreignToplevels) {
        missing +=
            (missing.empty() ? "" : " and ") + std::string("zwlr_foreign_toplevel_manager_v1");
    }
    if (!missing.empty()) {
        return FallBack(facts,
                        "The Wayland compositor (" + facts.compositor + ") offers no " + missing);
    }
    return {KeystrokeBackend::Wayland, "Keystrokes through Wayland (" + facts.compositor +
                                           "): virtual keyboard, windows by foreign-toplevel"};
}

}  // namespace quorvane
