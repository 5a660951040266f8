// Which keys are down on which keyboard, as XInput keeps it per device.
//
// XQueryKeymap gives the server's combined state, and our own XTest events change it: once
// we have released a modifier the user holds, it reads as up although the finger is still
// on it. Each slave keyboard keeps a state of its own, though. The user's keyboards (every
// slave keyboard of the core keyboard but its XTest one) therefore tell what the user really
// holds, whatever we sent; the XTest keyboard tells which fake presses still stand.
//
// Measured on Xvfb and Xorg: a release we send through XTest of a key held on another
// keyboard makes the combined state up and leaves that keyboard's own state down until the
// user lets go. A key we press through XTest stays down on the XTest keyboard after the user
// releases the same key on a real one (the combined state goes up), and the XTest keyboard
// then drops our next press of it, since modifiers do not repeat. XkbGetState reports the
// combined state as XQueryKeymap does; raw key events would have to be watched for the whole
// macro and still cannot tell another XTest client's release from ours, so the per-device
// state, asked when needed, is what is used.
#pragma once

#include <array>
#include <cstdint>

// Xlib's own declaration; the header stays free of Xlib's macros (Bool, Status, None).
typedef struct _XDisplay Display;

namespace quorvane {

// Bit k % 8 of byte k / 8 is set when keycode k is down, as in XQueryKeymap.
using X11KeyBits = std::array<char, 32>;

inline bool KeyIsDown(const X11KeyBits& keys, uint8_t keycode) {
    return (keys[keycode / 8] & (1 << (keycode % 8))) != 0;
}

class X11KeyboardDevices {
  public:
    // display is borrowed and must outlive this object.
    explicit X11KeyboardDevices(Display* display) : display_(display) {}

    // False when the display has no XInput 2: then every query below answers all keys up.
    bool Available();
    // The keys down on any of the user's keyboards (not the XTest one).
    X11KeyBits UserHolds();
    // The keys down on the core keyboard's XTest keyboard.
    X11KeyBits XTestHolds();
    // The combined state (XQueryKeymap).
    X11KeyBits CombinedHolds();

  private:
    X11KeyBits Query(bool xtest);

    Display* display_;
    int available_ = -1;  // -1 until asked
};

}  // namespace quorvane
