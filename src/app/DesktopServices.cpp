#include "app/DesktopServices.h"

#include <X11/Xlib.h>

#include "delivery/CaptionText.h"
#include "delivery/DesktopKeystrokeTarget.h"
#include "platform/linux/PosixProcessLauncher.h"
#include "platform/linux/QtWaiter.h"
#include "platform/linux/X11KeyInjector.h"
#include "platform/linux/X11KeyboardMonitor.h"
#include "platform/linux/X11WindowSystem.h"
#include "strings/StringIds.h"
#include "strings/StringTable.h"
#ifdef QUORVANE_WAYLAND
#include "platform/linux/WaylandConnection.h"
#include "platform/linux/WaylandKeyInjector.h"
#include "platform/linux/WaylandWindowSystem.h"
#endif
#include "runtime/NullDeliveryServices.h"

#include <cstdlib>

namespace quorvane {

namespace {

// The display for typing, or null; a display without XTest cannot type and is let go.
Display* OpenTypingDisplay() {
    Display* display = XOpenDisplay(nullptr);
    if (display && !X11KeyInjector::Supported(display)) {
        XCloseDisplay(display);
        return nullptr;
    }
    return display;
}

}  // namespace

std::shared_ptr<Display> DesktopServices::HoldDisplay() {
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || *name == '\0') return nullptr;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return nullptr;
    return std::shared_ptr<Display>(display, [](Display* d) { XCloseDisplay(d); });
}

DesktopServices::DesktopServices(SetupGlobals& g, Messages& messages, Clock& clock,
                                 DdeCommandHost& host)
    : display_(OpenTypingDisplay()), waiter_(std::make_unique<QtWaiter>()) {
    ChooseBackend(g);
    launcher_ = std::make_unique<PosixProcessLauncher>();
    WindowSystem* windows = nullptr;
    KeyInjector* injector = nullptr;
#ifdef QUORVANE_WAYLAND
    if (backend_.backend == KeystrokeBackend::Wayland) {
        waylandWindows_ = std::make_unique<WaylandWindowSystem>(*wayland_);
        waylandInjector_ = std::make_unique<WaylandKeyInjector>(*wayland_);
        if (waylandInjector_->Ready()) {
            windows = waylandWindows_.get();
            injector = waylandInjector_.get();
        } else {
            waylandInjector_.reset();
            waylandWindows_.reset();
            backend_.backend = display_ ? KeystrokeBackend::X11 : KeystrokeBackend::Unavailable;
            backend_.reason = LoadString(kStrWaylandKeyboardRefused);
        }
    }
#endif
    if (!injector && backend_.backend == KeystrokeBackend::X11 && display_) {
        windows_ = std::make_unique<X11WindowSystem>(display_);
        injector_ = std::make_unique<X11KeyInjector>(display_);
        windows = windows_.get();
        injector = injector_.get();
    }
    if (injector) {
        target_ = std::make_unique<DesktopKeystrokeTarget>(*windows, *launcher_, *injector,
                                                           messages, clock, *waiter_, g);
    } else {
        // Records are still shown and counted; the activation says why nothing is typed.
        noTarget_ = std::make_unique<NullKeystrokeTarget>();
    }
    monitor_ = X11KeyboardMonitor::Open();
    hotKeys_ = std::make_unique<HotKeys>(g, host, monitor_.get(), &messages);
}

void DesktopServices::ChooseBackend(SetupGlobals& g) {
    KeystrokeDesktopFacts facts;
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    facts.waylandDisplaySet = wayland != nullptr && *wayland != '\0';
    facts.x11Display = display_ != nullptr;
#ifdef QUORVANE_WAYLAND
    if (facts.waylandDisplaySet) {
        std::string error;
        wayland_ = WaylandConnection::Connect(error);
        if (wayland_) {
            facts.waylandConnected = true;
            facts.compositor = wayland_->CompositorName();
            facts.virtualKeyboard = WaylandKeyInjector::Supported(*wayland_);
            facts.foreignToplevels = WaylandWindowSystem::Supported(*wayland_);
        }
    }
#endif
    if (facts.waylandDisplaySet && display_) {
        // The same title rule as the search: a window of the X display that carries it is
        // an X11 program under XWayland, and X11 types into it.
        std::string title = g.TargetAppTitle;
        NormalizeTargetTitle(title);
        if (!title.empty()) {
            X11WindowSystem x11(display_);
            for (const TopLevelWindow& w : x11.TopLevelWindows()) {
                if (UpperCaseText(w.caption).find(title) != std::string::npos) {
                    facts.targetOnX11 = true;
                }
            }
        }
    }
    backend_ = ChooseKeystrokeBackend(facts);
#ifdef QUORVANE_WAYLAND
    if (backend_.backend != KeystrokeBackend::Wayland) wayland_.reset();
#endif
}

DesktopServices::~DesktopServices() {
    // The hot keys go before their monitor, the typing before its display.
    hotKeys_.reset();
    monitor_.reset();
    target_.reset();
    injector_.reset();
    windows_.reset();
#ifdef QUORVANE_WAYLAND
    waylandInjector_.reset();
    waylandWindows_.reset();
    wayland_.reset();
#endif
    if (display_) XCloseDisplay(display_);
}

KeystrokeTarget& DesktopServices::Keys() {
    if (target_) return *target_;
    return *noTarget_;
}

}  // namespace quorvane
