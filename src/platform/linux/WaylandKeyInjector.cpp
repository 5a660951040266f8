#include "platform/linux/WaylandKeyInjector.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <X11/keysym.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <cstring>

#include "config/CodePage.h"
#include "platform/linux/WaylandConnection.h"
#include "virtual-keyboard-unstable-v1-client-protocol.h"

namespace quorvane {

namespace {

constexpr uint32_t kEvdevOffset = 8;  // XKB keycodes are evdev codes + 8
// Key events in one burst, and the least time from one burst to the next. The compositor
// passes each key on to the focused client at once, and drops a client whose buffer (4 KiB,
// some 170 key events) it cannot empty: a target that is not scheduled for a moment on a
// busy machine must not be flooded meanwhile. 32 events every 4 ms is some 4000 characters a
// second, far beyond a technician's records, and leaves the target 20 ms of slack.
constexpr int kBurstEvents = 32;
constexpr auto kBurstInterval = std::chrono::milliseconds(4);

}  // namespace

bool WaylandKeyInjector::Supported(const WaylandConnection& connection) {
    return connection.seat() != nullptr &&
           connection.Has(zwp_virtual_keyboard_manager_v1_interface.name);
}

WaylandKeyInjector::WaylandKeyInjector(WaylandConnection& connection) : connection_(connection) {
    if (!Supported(connection)) return;
    manager_ = static_cast<zwp_virtual_keyboard_manager_v1*>(
        connection.Bind(&zwp_virtual_keyboard_manager_v1_interface, 1));
    if (!manager_) return;
    keyboard_ =
        zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(manager_, connection.seat());
    UploadIfChanged();
    // A compositor that refuses the keyboard ends the connection with a protocol error.
    if (!connection_.Roundtrip() || connection_.Broken()) {
        zwp_virtual_keyboard_v1_destroy(keyboard_);
        keyboard_ = nullptr;
    }
}

WaylandKeyInjector::~WaylandKeyInjector() {
    if (keyboard_) {
        for (auto& [keycode, count] : pressed_) {
            if (count > 0) zwp_virtual_keyboard_v1_key(keyboard_, Now(), keycode - kEvdevOffset, 0);
        }
        zwp_virtual_keyboard_v1_destroy(keyboard_);
    }
    if (manager_) zwp_virtual_keyboard_manager_v1_destroy(manager_);
    connection_.FlushOut();
}

bool WaylandKeyInjector::KeyboardAnnounced() const {
    return (connection_.seatCapabilities() & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
}

uint32_t WaylandKeyInjector::Now() const {
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void WaylandKeyInjector::UploadIfChanged() {
    if (!keyboard_ || !keymap_.Changed()) return;
    const std::string text = keymap_.Text();
    const int fd = memfd_create("quorvane-keymap", MFD_CLOEXEC);
    if (fd < 0) return;
    const size_t size = text.size() + 1;  // the compositor expects the terminating NUL
    if (ftruncate(fd, static_cast<off_t>(size)) == 0) {
        void* map = mmap(nullptr, size, PROT_WRITE, MAP_SHARED, fd, 0);
        if (map != MAP_FAILED) {
            std::memcpy(map, text.c_str(), size);
            munmap(map, size);
            zwp_virtual_keyboard_v1_keymap(keyboard_, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd,
                                           static_cast<uint32_t>(size));
            keymap_.TakeChanged();
            ++uploads_;
            // The modifiers are read against the new keymap.
            SendModifiers();
        }
    }
    close(fd);  // libwayland sends a duplicate
}

void WaylandKeyInjector::SendModifiers() {
    zwp_virtual_keyboard_v1_modifiers(keyboard_, depressed_, 0, locked_, 0);
}

void WaylandKeyInjector::SendKey(uint32_t keycode, bool down) {
    if (!keyboard_ || keycode < WaylandKeymap::kFirstKeycode) return;
    UploadIfChanged();
    int& count = pressed_[keycode];
    if (!down && count == 0) return;  // never pressed by us
    count += down ? 1 : -1;
    zwp_virtual_keyboard_v1_key(
        keyboard_, Now(), keycode - kEvdevOffset,
        down ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED);
    if (const uint32_t mask = keymap_.ModifierOf(keycode)) {
        if (keymap_.IsLockKey(keycode)) {
            if (down) locked_ ^= mask;
        } else if (down) {
            depressed_ |= mask;
        } else {
            // Another key of the same modifier (the right Shift) may still hold it.
            bool held = false;
            for (auto& [other, n] : pressed_) {
                held = held || (n > 0 && keymap_.ModifierOf(other) == mask);
            }
            if (!held) depressed_ &= ~mask;
        }
        SendModifiers();
    }
    if (++unflushed_ >= kBurstEvents) {
        // A roundtrip, not just a flush: our own requests never pile up either.
        unflushed_ = 0;
        connection_.Roundtrip();
        const auto now = std::chrono::steady_clock::now();
        if (now < nextBurst_) std::this_thread::sleep_until(nextBurst_);
        nextBurst_ = std::max(now, nextBurst_) + kBurstInterval;
    }
}

bool WaylandKeyInjector::CharacterNeedsShift(unsigned char byte) {
    return keymap_.Find(KeysymForCodePoint(CodePage::ToUnicode(byte))).shift;
}

void WaylandKeyInjector::KeyDown(int virtualKey) {
    SendKey(keymap_.KeyForKeysym(KeysymForVirtualKey(virtualKey)), true);
}

void WaylandKeyInjector::KeyUp(int virtualKey) {
    SendKey(keymap_.KeyForKeysym(KeysymForVirtualKey(virtualKey)), false);
}

void WaylandKeyInjector::TypeCharacter(unsigned char byte) {
    const KeymapKey key = keymap_.KeyForCharacter(CodePage::ToUnicode(byte));
    if (key.keycode == 0) return;
    SendKey(key.keycode, true);
    SendKey(key.keycode, false);
}

KeyboardSnapshot WaylandKeyInjector::SaveKeyboardState() {
    // Only our own keys can be held; a macro that ended holding one (an unmatched "+(")
    // lets go of it here, as the user's would be on X11.
    KeyboardSnapshot snapshot;
    for (auto& [keycode, count] : pressed_) {
        if (count > 0 && keymap_.ModifierOf(keycode) != 0 && !keymap_.IsLockKey(keycode)) {
            snapshot.heldKeys.push_back(keycode);
        }
    }
    for (uint32_t keycode : snapshot.heldKeys) {
        while (pressed_[keycode] > 0) SendKey(keycode, false);
    }
    return snapshot;
}

KeyboardSnapshot WaylandKeyInjector::KeysStillHeld(const KeyboardSnapshot&) {
    // Nobody but this object holds the virtual keyboard's keys: none is held after a macro.
    return {};
}

void WaylandKeyInjector::RestoreKeyboardState(const KeyboardSnapshot& snapshot) {
    for (uint32_t keycode : snapshot.heldKeys) SendKey(keycode, true);
}

bool WaylandKeyInjector::IsLockOn(LockKey lock) {
    const uint32_t keycode = keymap_.Find(KeysymForLock(lock)).keycode;
    const uint32_t mask = keymap_.ModifierOf(keycode);
    return mask != 0 && (locked_ & mask) != 0;
}

void WaylandKeyInjector::ToggleLock(LockKey lock) {
    const uint32_t keycode = keymap_.KeyForKeysym(KeysymForLock(lock));
    SendKey(keycode, true);
    SendKey(keycode, false);
}

void WaylandKeyInjector::Flush() {
    unflushed_ = 0;
    connection_.Roundtrip();
}

}  // namespace quorvane
