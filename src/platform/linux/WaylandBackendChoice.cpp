#include "platform/linux/WaylandBackendChoice.h"

#include "strings/StringIds.h"
#include "strings/StringTable.h"

namespace quorvane {

namespace {

KeystrokeBackendChoice FallBack(const KeystrokeDesktopFacts& facts, const std::string& why) {
    if (facts.x11Display) return {KeystrokeBackend::X11, LoadString(kStrFallBackToX11, {why})};
    return {KeystrokeBackend::Unavailable, LoadString(kStrFallBackToNothing, {why})};
}

}  // namespace

KeystrokeBackendChoice ChooseKeystrokeBackend(const KeystrokeDesktopFacts& facts) {
    if (!facts.waylandDisplaySet) {
        if (facts.x11Display) return {KeystrokeBackend::X11, LoadString(kStrKeystrokesX11)};
        return {KeystrokeBackend::Unavailable, LoadString(kStrKeystrokesNowhere)};
    }
    if (facts.targetOnX11 && facts.x11Display)
        return {KeystrokeBackend::X11, LoadString(kStrKeystrokesX11Target)};
    // Protocol names are the same in every language.
    std::string missing;
    if (!facts.virtualKeyboard) missing = "zwp_virtual_keyboard_manager_v1";
    if (!facts.foreignToplevels) {
        missing += (missing.empty() ? "" : " + ") + std::string("zwlr_foreign_toplevel_manager_v1");
    }
    if (facts.waylandConnected && missing.empty())
        return {KeystrokeBackend::Wayland, LoadString(kStrKeystrokesWayland, {facts.compositor})};
    // The portal reaches Wayland and XWayland windows alike, X11 only the latter.
    if (facts.remoteDesktopPortal)
        return {KeystrokeBackend::Portal, LoadString(kStrKeystrokesPortal, {facts.compositor})};
    if (!facts.waylandConnected) return FallBack(facts, LoadString(kStrWaylandNoAnswer));
    return FallBack(facts, LoadString(kStrWaylandLacksProtocols, {facts.compositor, missing}));
}

}  // namespace quorvane
