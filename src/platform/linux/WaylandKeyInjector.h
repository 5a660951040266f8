// Key injection on a wlroots compositor through the virtual-keyboard protocol
// (zwp_virtual_keyboard_manager_v1). The keyboard types with a keymap of our own
// (WaylandKeymap), uploaded when it is created and again whenever a character is added, so
// every character types whatever layout the user has chosen. The compositor passes a new
// keymap to the focused client in order with the keys, so no key is read with a stale one.
//
// The virtual keyboard is a keyboard of its own: its modifier and lock state is what this
// object has pressed or locked, and the target reads our keys with that state. The user's
// own keys cannot be seen by a Wayland client, so SaveKeyboardState has none to release and
// the Caps Lock the typer switches off is only ever our own.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "platform/KeyInjector.h"
#include "platform/linux/WaylandKeymap.h"

struct zwp_virtual_keyboard_manager_v1;
struct zwp_virtual_keyboard_v1;

namespace quorvane {

class WaylandConnection;

class WaylandKeyInjector : public KeyInjector {
  public:
    // True when the compositor offers the virtual-keyboard protocol and a seat.
    static bool Supported(const WaylandConnection& connection);

    // connection is borrowed and must outlive the injector. Creates the keyboard and uploads
    // the keymap.
    explicit WaylandKeyInjector(WaylandConnection& connection);
    // Releases every key still held, then destroys the keyboard.
    ~WaylandKeyInjector() override;
    WaylandKeyInjector(const WaylandKeyInjector&) = delete;
    WaylandKeyInjector& operator=(const WaylandKeyInjector&) = delete;

    // False when the keyboard could not be created (the compositor refused it).
    bool Ready() const { return keyboard_ != nullptr; }
    // True once the seat announces a keyboard: with no keyboard of its own the compositor
    // adds the capability only when ours exists, and clients take keys only after that.
    bool KeyboardAnnounced() const;

    bool CharacterNeedsShift(unsigned char byte) override;
    void KeyDown(int virtualKey) override;
    void KeyUp(int virtualKey) override;
    void TypeCharacter(unsigned char byte) override;
    KeyboardSnapshot SaveKeyboardState() override;
    KeyboardSnapshot KeysStillHeld(const KeyboardSnapshot& saved) override;
    void RestoreKeyboardState(const KeyboardSnapshot& snapshot) override;
    bool IsLockOn(LockKey lock) override;
    void ToggleLock(LockKey lock) override;
    // Sends every buffered request and waits until the compositor has handled them.
    void Flush() override;

    // How many times the keymap was uploaded (for tests).
    int Uploads() const { return uploads_; }

  private:
    void UploadIfChanged();
    void SendKey(uint32_t keycode, bool down);
    void SendModifiers();
    uint32_t Now() const;

    WaylandConnection& connection_;
    zwp_virtual_keyboard_manager_v1* manager_ = nullptr;
    zwp_virtual_keyboard_v1* keyboard_ = nullptr;
    WaylandKeymap keymap_;
    std::map<uint32_t, int> pressed_;  // keycode -> presses not yet released
    uint32_t depressed_ = 0;
    uint32_t locked_ = 0;
    int unflushed_ = 0;
    std::chrono::steady_clock::time_point nextBurst_;  // the earliest start of the next burst
    int uploads_ = 0;
};

}  // namespace quorvane
