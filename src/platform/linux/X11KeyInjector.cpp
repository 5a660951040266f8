// Qt first: Xlib defines macros (Bool, Status) that Qt's headers refuse.
#include <QCoreApplication>
#include <QTimer>

#include "platform/linux/X11KeyInjector.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <thread>

#include "config/CodePage.h"

namespace quorvane {

namespace {

constexpr auto kHold = std::chrono::milliseconds(X11KeyInjector::kSpareHoldMs);

int LockVirtualKey(LockKey lock) {
    switch (lock) {
        case LockKey::CapsLock:
            return 20;
        case LockKey::NumLock:
            return 144;
        case LockKey::ScrollLock:
            return 145;
    }
    return 0;
}

}  // namespace

X11KeyInjector::X11KeyInjector(Display* display) : display_(display), devices_(display) {}

X11KeyInjector::~X11KeyInjector() {
    restoreTimer_.reset();
    SyncAndStamp();
    RestoreSpareKeycodes(true);
    XSync(display_, False);
    DrainEvents();
}

bool X11KeyInjector::Supported(Display* display) {
    int event = 0, error = 0, major = 0, minor = 0;
    return display && XTestQueryExtension(display, &event, &error, &major, &minor);
}

void X11KeyInjector::EnsureLayout() {
    if (layoutStale_) LoadLayout();
}

void X11KeyInjector::LoadLayout() {
    layoutStale_ = false;
    int minKeycode = 8, maxKeycode = 255, perKeycode = 0;
    XDisplayKeycodes(display_, &minKeycode, &maxKeycode);
    KeySym* map = XGetKeyboardMapping(display_, static_cast<KeyCode>(minKeycode),
                                      maxKeycode - minKeycode + 1, &perKeycode);
    characters_.clear();
    keysyms_.clear();
    if (!map) return;
    int group = 0;
    XkbStateRec state;
    if (XkbGetState(display_, XkbUseCoreKbd, &state) == Success) group = state.group;
    // The core mapping holds two levels of groups 1 and 2 first; other groups fall back to 1.
    int column = group * 2;
    if (column + 1 >= perKeycode) column = 0;

    for (int keycode = minKeycode; keycode <= maxKeycode; ++keycode) {
        const KeySym* syms = map + static_cast<size_t>(keycode - minKeycode) * perKeycode;
        bool empty = true;
        for (int c = 0; c < perKeycode; ++c) empty = empty && syms[c] == NoSymbol;
        const auto code = static_cast<KeyCode>(keycode);
        if (Spare* spare = SpareOf(code)) {
            // A free spare that someone else has since mapped is no longer ours to use.
            if (spare->bound == 0 && !empty) {
                spares_.erase(spares_.begin() + (spare - spares_.data()));
            } else {
                continue;
            }
        }
        if (empty) {
            if (!sparesFound_) spares_.push_back(Spare{code});
            continue;
        }
        for (int c = 0; c < perKeycode; ++c) {
            if (syms[c] != NoSymbol) keysyms_.emplace(syms[c], code);
        }
        KeySym levels[2] = {syms[column], column + 1 < perKeycode ? syms[column + 1] : NoSymbol};
        if (levels[1] == NoSymbol && levels[0] != NoSymbol) {
            // A lone letter keysym stands for both cases.
            KeySym lower = 0, upper = 0;
            XConvertCase(levels[0], &lower, &upper);
            if (upper != lower) levels[1] = upper;
        }
        for (int level = 0; level < 2; ++level) {
            const char32_t cp = CodePointForKeysym(levels[level]);
            if (cp == 0) continue;
            auto [it, added] = characters_.emplace(cp, KeyPlace{code, level == 1});
            if (!added && it->second.shift && level == 0) it->second = KeyPlace{code, false};
        }
    }
    sparesFound_ = true;
    XFree(map);
}

X11KeyInjector::Spare* X11KeyInjector::SpareOf(KeyCode keycode) {
    for (Spare& spare : spares_) {
        if (spare.keycode == keycode) return &spare;
    }
    return nullptr;
}

bool X11KeyInjector::CharacterNeedsShift(unsigned char byte) {
    EnsureLayout();
    auto it = characters_.find(CodePage::ToUnicode(byte));
    return it != characters_.end() && it->second.shift;
}

KeyCode X11KeyInjector::KeycodeForKeysym(X11Keysym keysym) {
    if (keysym == 0) return 0;
    EnsureLayout();
    auto it = keysyms_.find(keysym);
    if (it != keysyms_.end()) return it->second;
    Spare* spare = BindSpare(keysym);
    return spare ? spare->keycode : 0;
}

void X11KeyInjector::KeyDown(int virtualKey) {
    if (KeyCode keycode = KeycodeForKeysym(KeysymForVirtualKey(virtualKey))) {
        SendKey(keycode, true);
    }
}

void X11KeyInjector::KeyUp(int virtualKey) {
    if (KeyCode keycode = KeycodeForKeysym(KeysymForVirtualKey(virtualKey))) {
        SendKey(keycode, false);
    }
}

void X11KeyInjector::TypeCharacter(unsigned char byte) {
    EnsureLayout();
    const char32_t cp = CodePage::ToUnicode(byte);
    KeyCode keycode = 0;
    if (auto it = characters_.find(cp); it != characters_.end()) {
        keycode = it->second.keycode;
    } else if (Spare* spare = BindSpare(KeysymForCodePoint(cp))) {
        keycode = spare->keycode;
    }
    if (keycode == 0) return;  // no spare keycode on this display
    SendKey(keycode, true);
    SendKey(keycode, false);
}

X11KeyInjector::Spare* X11KeyInjector::BindSpare(X11Keysym keysym) {
    if (keysym == 0) return nullptr;
    Spare* pick = nullptr;
    for (Spare& spare : spares_) {
        if (spare.bound == keysym) return &spare;
        if (!pick && spare.bound == 0) pick = &spare;
    }
    if (!pick) {
        // Every spare is bound: take the one used longest ago, once its hold has passed.
        for (Spare& spare : spares_) {
            if (spare.pressed > 0) continue;
            if (!pick || (pick->usedSinceSync && !spare.usedSinceSync) ||
                (pick->usedSinceSync == spare.usedSinceSync && spare.lastUse < pick->lastUse)) {
                pick = &spare;
            }
        }
        if (!pick) return nullptr;
        if (pick->usedSinceSync) SyncAndStamp();
        std::this_thread::sleep_until(pick->lastUse + kHold);
    }
    KeySym syms[2] = {keysym, keysym};  // the same at both levels, so Shift cannot change it
    XChangeKeyboardMapping(display_, pick->keycode, 2, syms, 1);
    pick->bound = keysym;
    pick->lastUse = SteadyClock::now();
    return pick;
}

void X11KeyInjector::Unbind(Spare& spare) {
    KeySym none = NoSymbol;
    XChangeKeyboardMapping(display_, spare.keycode, 1, &none, 1);
    spare.bound = 0;
}

void X11KeyInjector::SendKey(KeyCode keycode, bool down) {
    if (Spare* spare = SpareOf(keycode)) {
        spare->usedSinceSync = true;
        spare->pressed = down ? spare->pressed + 1 : (spare->pressed > 0 ? spare->pressed - 1 : 0);
    }
    XTestFakeKeyEvent(display_, keycode, down ? True : False, CurrentTime);
}

void X11KeyInjector::SyncAndStamp() {
    XSync(display_, False);
    const auto now = SteadyClock::now();
    for (Spare& spare : spares_) {
        if (spare.usedSinceSync) {
            spare.lastUse = now;
            spare.usedSinceSync = false;
        }
    }
}

void X11KeyInjector::DrainEvents() {
    // Nothing is selected, but MappingNotify always comes; keep the queue from growing.
    while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        if (event.type == MappingNotify) XRefreshKeyboardMapping(&event.xmapping);
    }
}

KeyboardSnapshot X11KeyInjector::SaveKeyboardState() {
    KeyboardSnapshot snapshot;
    const X11KeyBits keys = devices_.CombinedHolds();
    // A key pressed again at an earlier restore and let go of since on the user's keyboard
    // is up, but still down on the XTest keyboard, which would drop our next press of it.
    const X11KeyBits xtest = devices_.XTestHolds();
    for (int keycode = 8; keycode < 256; ++keycode) {
        const auto code = static_cast<KeyCode>(keycode);
        if (KeyIsDown(xtest, code) && !KeyIsDown(keys, code)) SendKey(code, false);
    }
    XModifierKeymap* modifiers = XGetModifierMapping(display_);
    if (!modifiers) return snapshot;
    const int count = 8 * modifiers->max_keypermod;
    for (int i = 0; i < count; ++i) {
        const KeyCode keycode = modifiers->modifiermap[i];
        if (keycode == 0 || !KeyIsDown(keys, keycode)) continue;
        bool seen = false;
        for (uint32_t held : snapshot.heldKeys) seen = seen || held == keycode;
        if (seen) continue;
        snapshot.heldKeys.push_back(keycode);
        SendKey(keycode, false);
    }
    XFreeModifiermap(modifiers);
    return snapshot;
}

KeyboardSnapshot X11KeyInjector::KeysStillHeld(const KeyboardSnapshot& saved) {
    // Without XInput nothing tells; pressing nothing again can leave no key stuck down.
    KeyboardSnapshot still;
    if (saved.heldKeys.empty() || !devices_.Available()) return still;
    const X11KeyBits user = devices_.UserHolds();
    for (uint32_t keycode : saved.heldKeys) {
        if (keycode < 256 && KeyIsDown(user, static_cast<uint8_t>(keycode))) {
            still.heldKeys.push_back(keycode);
        }
    }
    return still;
}

void X11KeyInjector::RestoreKeyboardState(const KeyboardSnapshot& snapshot) {
    for (uint32_t keycode : snapshot.heldKeys) SendKey(static_cast<KeyCode>(keycode), true);
}

unsigned X11KeyInjector::ModifierMaskOf(X11Keysym keysym) {
    const KeyCode keycode = XKeysymToKeycode(display_, keysym);
    XModifierKeymap* modifiers = XGetModifierMapping(display_);
    unsigned mask = 0;
    if (modifiers && keycode != 0) {
        for (int i = 0; i < 8 * modifiers->max_keypermod; ++i) {
            if (modifiers->modifiermap[i] == keycode) mask |= 1u << (i / modifiers->max_keypermod);
        }
    }
    if (modifiers) XFreeModifiermap(modifiers);
    return mask;
}

bool X11KeyInjector::IsLockOn(LockKey lock) {
    if (lock == LockKey::ScrollLock) {
        Bool on = False;
        Atom name = XInternAtom(display_, "Scroll Lock", False);
        XkbGetNamedIndicator(display_, name, nullptr, &on, nullptr, nullptr);
        return on;
    }
    XkbStateRec state;
    if (XkbGetState(display_, XkbUseCoreKbd, &state) != Success) return false;
    const unsigned mask = lock == LockKey::CapsLock ? LockMask : ModifierMaskOf(XK_Num_Lock);
    return mask != 0 && (state.locked_mods & mask) != 0;
}

void X11KeyInjector::ToggleLock(LockKey lock) {
    KeyDown(LockVirtualKey(lock));
    KeyUp(LockVirtualKey(lock));
}

void X11KeyInjector::Flush() {
    SyncAndStamp();
    DrainEvents();
    layoutStale_ = true;
    RestoreSpareKeycodes(false);
    ScheduleRestore();
}

void X11KeyInjector::RestoreSpareKeycodes(bool waitForAll) {
    bool changed = false;
    for (Spare& spare : spares_) {
        if (spare.bound == 0 || spare.pressed > 0 || spare.usedSinceSync) continue;
        if (waitForAll) std::this_thread::sleep_until(spare.lastUse + kHold);
        if (SteadyClock::now() < spare.lastUse + kHold) continue;
        Unbind(spare);
        changed = true;
    }
    if (changed) {
        XFlush(display_);
        layoutStale_ = true;
    }
}

int X11KeyInjector::BoundSpareCount() const {
    int n = 0;
    for (const Spare& spare : spares_) n += spare.bound != 0 ? 1 : 0;
    return n;
}

void X11KeyInjector::ScheduleRestore() {
    if (BoundSpareCount() == 0 || !QCoreApplication::instance()) return;
    if (!restoreTimer_) {
        restoreTimer_ = std::make_unique<QTimer>();
        restoreTimer_->setSingleShot(true);
        QObject::connect(restoreTimer_.get(), &QTimer::timeout, [this] {
            RestoreSpareKeycodes(false);
            ScheduleRestore();
        });
    }
    restoreTimer_->start(kSpareHoldMs + 10);
}

}  // namespace quorvane
