#include "app/DesktopServices.h"

// Qt before Xlib, whose macros (Bool, Status) break Qt's headers.
#include <QDBusConnection>

#include "platform/linux/GlobalShortcutsMonitor.h"
#include "platform/linux/RemoteDesktopKeyInjector.h"

#include <X11/Xlib.h>

#include "delivery/CaptionText.h"
#include "delivery/DesktopKeystrokeTarget.h"
#include "delivery/FocusedWindowKeystrokeTarget.h"
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

// How long the portal may take to say whether it is there: it may be started by the question.
constexpr int kPortalProbeMs = 5000;

// The desktop as messages name it: the compositor, else what the session says it is.
std::string DesktopName(const std::string& compositor) {
    if (!compositor.empty()) return compositor;
    const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
    return desktop && *desktop ? std::string(desktop) : std::string("Wayland");
}

// The display for typing, or null; a display without XTest cannot type and is let go.
Display* OpenTypingDisplay() {
    Display* display = XOpenDisplay(nullptr);
    if (display && !X11KeyInjector::Supported(display)) {
        XCloseDisplay(display);
        return nullptr;
    }
    return display;
}

// What the services built last chose, kept as facts and string ids so that About says it in
// the language of the moment.
struct ChoiceRecord {
    bool made = false;
    KeystrokeDesktopFacts facts;
    bool keyboardRefused = false;  // the compositor refused the virtual keyboard after all
    int hotKeysText = 0;
    std::string desktopName;
};

ChoiceRecord& LastRecord() {
    static ChoiceRecord record;
    return record;
}

}  // namespace

std::string DesktopServices::LastChoice() {
    const ChoiceRecord& record = LastRecord();
    if (!record.made) return {};
    const std::string keys = record.keyboardRefused ? LoadString(kStrWaylandKeyboardRefused)
                                                    : ChooseKeystrokeBackend(record.facts).reason;
    return keys + "\n" + LoadString(record.hotKeysText, {record.desktopName});
}

std::shared_ptr<Display> DesktopServices::HoldDisplay() {
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || *name == '\0') return nullptr;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return nullptr;
    return std::shared_ptr<Display>(display, [](Display* d) { XCloseDisplay(d); });
}

DesktopServices::DesktopServices(SetupGlobals& g, Messages& messages, Clock& clock,
                                 SettingsStore& settings, DdeCommandHost& host)
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
            keyboardRefused_ = true;
        }
    }
#endif
    if (!injector && backend_.backend == KeystrokeBackend::X11 && display_) {
        windows_ = std::make_unique<X11WindowSystem>(display_);
        injector_ = std::make_unique<X11KeyInjector>(display_);
        windows = windows_.get();
        injector = injector_.get();
    }
    if (backend_.backend == KeystrokeBackend::Portal) {
        UseRemoteDesktopPortal(g, messages, clock, settings);
    } else if (injector) {
        target_ = std::make_unique<DesktopKeystrokeTarget>(*windows, *launcher_, *injector,
                                                           messages, clock, *waiter_, g);
        // X11 typing on a Wayland desktop that offers nothing better reaches X11 programs
        // only: the first activation says so.
        if (waylandDisplaySet_ && backend_.backend == KeystrokeBackend::X11 && !facts_.targetOnX11)
            target_->SetTypingNotice(backend_.reason);
        keys_ = target_.get();
    } else {
        // Records are still shown and counted; the activation says why nothing is typed.
        noTarget_ = std::make_unique<NullKeystrokeTarget>();
    }
    OpenHotKeys(g, messages, host);
    ChoiceRecord& record = LastRecord();
    record.made = true;
    record.facts = facts_;
    record.keyboardRefused = keyboardRefused_;
    record.hotKeysText = hotKeysText_;
    record.desktopName = desktopName_;
}

void DesktopServices::OpenHotKeys(SetupGlobals& g, Messages& messages, DdeCommandHost& host) {
    KeyboardMonitor* monitor = nullptr;
    // A compositor lets no client grab keys: where the desktop offers global shortcuts, the
    // hot keys are those.
    if (waylandDisplaySet_ &&
        GlobalShortcutsMonitor::PortalVersion(QDBusConnection::sessionBus(), kPortalProbeMs)) {
        portalMonitor_ = std::make_unique<GlobalShortcutsMonitor>(
            QDBusConnection::sessionBus(), [&messages](const QString& why) {
                messages.Show(LoadString(kStrHotKeysPortalRefused, {why.toStdString()}),
                              LoadString(kStrQuorvaneTitle), MessageButtons::Ok,
                              MessageIcon::Exclamation);
            });
        monitor = portalMonitor_.get();
    }
    // On a Wayland desktop X11 sees keys only while an X11 window has the focus: that is
    // enough where the target is such a window, and nowhere else.
    if (!monitor && (!waylandDisplaySet_ || backend_.backend == KeystrokeBackend::X11)) {
        monitor_ = X11KeyboardMonitor::Open();
        monitor = monitor_.get();
    }
    hotKeys_ = std::make_unique<HotKeys>(g, host, monitor, &messages);
    if (portalMonitor_) {
        hotKeysText_ = kStrHotKeysPortal;
    } else if (monitor) {
        hotKeysText_ = kStrHotKeysX11;
    } else if (waylandDisplaySet_) {
        hotKeysText_ = kStrHotKeysUnavailableWayland;
        hotKeys_->SetUnavailableText(LoadString(kStrHotKeysUnavailableWayland, {desktopName_}));
    } else {
        hotKeysText_ = kStrHotKeysNone;
    }
}

void DesktopServices::ChooseBackend(SetupGlobals& g) {
    KeystrokeDesktopFacts facts;
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    facts.waylandDisplaySet = wayland != nullptr && *wayland != '\0';
    waylandDisplaySet_ = facts.waylandDisplaySet;
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
    // The portal is asked only where the compositor's own protocols cannot serve.
    const bool waylandServes = facts.waylandConnected && facts.virtualKeyboard && facts.foreignToplevels;
    if (facts.waylandDisplaySet && !facts.targetOnX11 && !waylandServes) {
        if (const auto version = RemoteDesktopKeyInjector::KeyboardPortalVersion(
                QDBusConnection::sessionBus(), kPortalProbeMs)) {
            facts.remoteDesktopPortal = true;
            remoteDesktopVersion_ = *version;
        }
    }
    desktopName_ = DesktopName(facts.compositor);
    if (facts.compositor.empty()) facts.compositor = desktopName_;
    backend_ = ChooseKeystrokeBackend(facts);
    facts_ = facts;
#ifdef QUORVANE_WAYLAND
    if (backend_.backend != KeystrokeBackend::Wayland) wayland_.reset();
#endif
}

DesktopServices::~DesktopServices() {
    // The hot keys go before their monitor, the typing before its display.
    hotKeys_.reset();
    monitor_.reset();
    portalMonitor_.reset();
    keys_ = nullptr;
    target_.reset();
    focusedTarget_.reset();
    portalInjector_.reset();
    injector_.reset();
    windows_.reset();
#ifdef QUORVANE_WAYLAND
    waylandInjector_.reset();
    waylandWindows_.reset();
    wayland_.reset();
#endif
    if (display_) XCloseDisplay(display_);
}

void DesktopServices::UseRemoteDesktopPortal(SetupGlobals& g, Messages& messages, Clock& clock,
                                             SettingsStore& settings) {
    portalInjector_ = std::make_unique<RemoteDesktopKeyInjector>(
        QDBusConnection::sessionBus(), remoteDesktopVersion_, settings,
        [&messages](const QString& why) {
            messages.Show(LoadString(kStrPortalKeyboardRefused, {why.toStdString()}),
                          LoadString(kStrQuorvaneTitle), MessageButtons::Ok,
                          MessageIcon::Exclamation);
        });
    focusedTarget_ = std::make_unique<FocusedWindowKeystrokeTarget>(
        *portalInjector_, clock, *waiter_, g,
        LoadString(kStrPortalWindowsNotActivated, {desktopName_}),
        [this] { portalInjector_->Prepare(); });
    keys_ = focusedTarget_.get();
}

KeystrokeTarget& DesktopServices::Keys() {
    if (keys_) return *keys_;
    return *noTarget_;
}

}  // namespace quorvane
