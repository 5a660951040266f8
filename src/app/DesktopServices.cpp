#include "app/DesktopServices.h"

#include <X11/Xlib.h>

#include "delivery/DesktopKeystrokeTarget.h"
#include "platform/linux/PosixProcessLauncher.h"
#include "platform/linux/QtWaiter.h"
#include "platform/linux/X11KeyInjector.h"
#include "platform/linux/X11KeyboardMonitor.h"
#include "platform/linux/X11WindowSystem.h"
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
    if (display_) {
        windows_ = std::make_unique<X11WindowSystem>(display_);
        launcher_ = std::make_unique<PosixProcessLauncher>();
        injector_ = std::make_unique<X11KeyInjector>(display_);
        target_ = std::make_unique<DesktopKeystrokeTarget>(*windows_, *launcher_, *injector_,
                                                           messages, clock, *waiter_, g);
    } else {
        // Records are still shown and counted; the activation says why nothing is typed.
        noTarget_ = std::make_unique<NullKeystrokeTarget>();
    }
    monitor_ = X11KeyboardMonitor::Open();
    hotKeys_ = std::make_unique<HotKeys>(g, host, monitor_.get(), &messages);
}

DesktopServices::~DesktopServices() {
    // The hot keys go before their monitor, the typing before its display.
    hotKeys_.reset();
    monitor_.reset();
    target_.reset();
    injector_.reset();
    windows_.reset();
    if (display_) XCloseDisplay(display_);
}

KeystrokeTarget& DesktopServices::Keys() {
    if (target_) return *target_;
    return *noTarget_;
}

}  // namespace quorvane
