#include "platform/linux/X11KeyboardMonitor.h"

// Qt before Xlib: Xlib's macros (Bool, Status, KeyPress) break Qt's headers.
#include <QCoreApplication>
#include <QMetaObject>
#include <QSocketNotifier>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <algorithm>

#include "platform/linux/X11Keysyms.h"

namespace quorvane {

namespace {

// Grab errors (BadAccess: another client holds the combination) are caught for the moment
// of the grab instead of ending the program through Xlib's default handler.
int grabErrors = 0;
int CountError(Display*, XErrorEvent*) {
    ++grabErrors;
    return 0;
}

unsigned MaskOf(Display* display, KeySym keysym, unsigned fallback) {
    const unsigned mask = XkbKeysymToModifiers(display, keysym);
    return mask ? mask : fallback;
}

// Whether the server acts on the key itself with these modifiers (Ctrl+Alt+F1..F12 switch
// the virtual terminal, Ctrl+Alt+Backspace may end the server): no client ever sees it.
bool ServerTakesKey(Display* display, KeyCode keycode, unsigned modifiers) {
    XkbDescPtr xkb =
        XkbGetMap(display, XkbKeyTypesMask | XkbKeySymsMask | XkbKeyActionsMask, XkbUseCoreKbd);
    if (!xkb) return false;
    bool taken = false;
    if (XkbKeyNumGroups(xkb, keycode) > 0 && XkbKeyHasActions(xkb, keycode)) {
        const XkbKeyTypePtr type = XkbKeyKeyType(xkb, keycode, 0);
        int level = 0;
        for (int i = 0; i < type->map_count; ++i) {
            const XkbKTMapEntryRec& entry = type->map[i];
            if (entry.active && (modifiers & type->mods.mask) == entry.mods.mask) {
                level = entry.level;
            }
        }
        const XkbAction* action = XkbKeyActionEntry(xkb, keycode, level, 0);
        taken = action && (action->type == XkbSA_SwitchScreen || action->type == XkbSA_Terminate);
    }
    XkbFreeKeyboard(xkb, 0, True);
    return taken;
}

}  // namespace

std::unique_ptr<X11KeyboardMonitor> X11KeyboardMonitor::Open(const char* displayName) {
    int major = XkbMajorVersion, minor = XkbMinorVersion;
    if (!XkbLibraryVersion(&major, &minor)) return nullptr;
    int event = 0, error = 0, reason = 0;
    Display* display =
        XkbOpenDisplay(const_cast<char*>(displayName), &event, &error, &major, &minor, &reason);
    if (!display) return nullptr;
    return std::unique_ptr<X11KeyboardMonitor>(new X11KeyboardMonitor(display));
}

X11KeyboardMonitor::X11KeyboardMonitor(Display* display) : display_(display) {
    Bool supported = False;
    XkbSetDetectableAutoRepeat(display_, True, &supported);
    detectableRepeat_ = supported;
    altMask_ = MaskOf(display_, XK_Alt_L, Mod1Mask);
    numLockMask_ = MaskOf(display_, XK_Num_Lock, Mod2Mask);
    superMask_ = XkbKeysymToModifiers(display_, XK_Super_L);
    if (QCoreApplication::instance()) {
        notifier_ =
            std::make_unique<QSocketNotifier>(ConnectionNumber(display_), QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                         [this] { ProcessPendingEvents(); });
    }
}

X11KeyboardMonitor::~X11KeyboardMonitor() {
    notifier_.reset();
    ReleaseAll();
    XCloseDisplay(display_);
}

void X11KeyboardMonitor::SetHandler(Handler handler) {
    handler_ = std::move(handler);
}

KeyRegistration X11KeyboardMonitor::Register(const KeyCombination& combination) {
    const X11Keysym keysym = KeysymForVirtualKey(combination.virtualKey);
    const KeyCode keycode = keysym ? XKeysymToKeycode(display_, keysym) : 0;
    if (keycode == 0) return KeyRegistration::Refused;

    unsigned modifiers = 0;
    if (combination.modifiers & kKeyModShift) modifiers |= ShiftMask;
    if (combination.modifiers & kKeyModCtrl) modifiers |= ControlMask;
    if (combination.modifiers & kKeyModAlt) modifiers |= altMask_;
    if (combination.modifiers & kKeyModWin) {
        if (!superMask_) return KeyRegistration::Refused;
        modifiers |= superMask_;
    }
    if (ServerTakesKey(display_, keycode, modifiers)) return KeyRegistration::Refused;
    const Window root = DefaultRootWindow(display_);
    const unsigned locks[] = {0, LockMask, numLockMask_, LockMask | numLockMask_};

    XSync(display_, False);
    grabErrors = 0;
    XErrorHandler previous = XSetErrorHandler(CountError);
    for (unsigned lock : locks) {
        // The keyboard freezes at each grabbed press until HandleKey has answered.
        XGrabKey(display_, keycode, modifiers | lock, root, False, GrabModeAsync, GrabModeSync);
    }
    XSync(display_, False);
    XSetErrorHandler(previous);
    const bool refused = grabErrors != 0;
    for (unsigned lock : locks) {
        if (refused) {
            XUngrabKey(display_, keycode, modifiers | lock, root);
        } else {
            grabs_.push_back({keycode, modifiers | lock});
        }
    }
    if (!refused) {
        auto& keys = virtualKeys_[keycode];
        if (std::find(keys.begin(), keys.end(), combination.virtualKey) == keys.end()) {
            keys.push_back(combination.virtualKey);
        }
    }
    XFlush(display_);
    DrainLater();
    return refused ? KeyRegistration::Refused : KeyRegistration::Watched;
}

void X11KeyboardMonitor::ReleaseAll() {
    const Window root = DefaultRootWindow(display_);
    for (const Grab& grab : grabs_) XUngrabKey(display_, grab.keycode, grab.modifiers, root);
    grabs_.clear();
    virtualKeys_.clear();
    down_.clear();
    XSync(display_, False);
    DrainLater();
}

bool X11KeyboardMonitor::ShiftHeld() {
    XkbStateRec state{};
    if (XkbGetState(display_, XkbUseCoreKbd, &state) != Success) return false;
    return (state.mods & ShiftMask) != 0;
}

void X11KeyboardMonitor::ProcessPendingEvents() {
    if (processing_) return;  // a handler's nested event loop; the outer loop goes on
    processing_ = true;
    while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        if (event.type == KeyPress || event.type == KeyRelease) HandleKey(event);
    }
    processing_ = false;
}

void X11KeyboardMonitor::HandleKey(XEvent& event) {
    const unsigned keycode = event.xkey.keycode;
    uint32_t flags = 0;
    if (event.type == KeyPress) {
        if (!down_.insert(keycode).second) flags = kKeyFlagWasDown;
    } else {
        // Without detectable repeats the server sends release-press pairs for a held key.
        if (!detectableRepeat_ && NextIsRepeatOf(event)) return;
        down_.erase(keycode);
        flags = kKeyFlagWasDown | kKeyFlagReleasing;
    }
    const KeyTransition transition{VirtualKeyFor(keycode, event.xkey.state), flags,
                                   ModifierBits(event.xkey.state)};
    const bool swallow = handler_ && transition.virtualKey != 0 && handler_(transition);
    if (!swallow && event.type == KeyPress) {
        // The focused window gets the press and, with no grab left, the rest of the keystroke.
        down_.erase(keycode);
    }
    // Only the press that froze the keyboard can be replayed; for the others it is a no-op.
    XAllowEvents(display_, swallow ? AsyncKeyboard : ReplayKeyboard, CurrentTime);
    XFlush(display_);
}

bool X11KeyboardMonitor::NextIsRepeatOf(const XEvent& release) {
    if (XEventsQueued(display_, QueuedAfterReading) == 0) return false;
    XEvent next;
    XPeekEvent(display_, &next);
    return next.type == KeyPress && next.xkey.keycode == release.xkey.keycode &&
           next.xkey.time == release.xkey.time;
}

int X11KeyboardMonitor::VirtualKeyFor(unsigned keycode, unsigned state) const {
    const auto found = virtualKeys_.find(keycode);
    if (found == virtualKeys_.end() || found->second.empty()) return 0;
    if (found->second.size() == 1) return found->second.front();
    // Several keys share the keycode (a keypad key with and without Num Lock): the keysym
    // the key types now picks one.
    KeySym keysym = NoSymbol;
    unsigned consumed = 0;
    XkbLookupKeySym(display_, static_cast<KeyCode>(keycode), state, &consumed, &keysym);
    for (int virtualKey : found->second) {
        if (KeysymForVirtualKey(virtualKey) == keysym) return virtualKey;
    }
    return found->second.front();
}

int X11KeyboardMonitor::ModifierBits(unsigned state) const {
    int bits = 0;
    if (state & ShiftMask) bits |= kKeyModShift;
    if (state & ControlMask) bits |= kKeyModCtrl;
    if (state & altMask_) bits |= kKeyModAlt;
    if (superMask_ && (state & superMask_)) bits |= kKeyModWin;
    return bits;
}

void X11KeyboardMonitor::DrainLater() {
    // Round trips may have read events into Xlib's queue, which the socket no longer shows.
    if (!notifier_ || XEventsQueued(display_, QueuedAlready) == 0) return;
    QMetaObject::invokeMethod(
        notifier_.get(), [this] { ProcessPendingEvents(); }, Qt::QueuedConnection);
}

}  // namespace quorvane
