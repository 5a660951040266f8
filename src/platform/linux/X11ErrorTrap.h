// Catches the X errors of the requests made while it lives: a window may be destroyed, or a
// keyboard unplugged, at any moment, and Xlib's default handler would end the program.
#pragma once

#include <X11/Xlib.h>

namespace quorvane {

class X11ErrorTrap {
  public:
    explicit X11ErrorTrap(Display* display) : display_(display) {
        XSync(display_, False);
        Caught() = false;
        previous_ = XSetErrorHandler(&Handler);
    }
    ~X11ErrorTrap() {
        XSync(display_, False);
        XSetErrorHandler(previous_);
    }
    X11ErrorTrap(const X11ErrorTrap&) = delete;
    X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;

    // True when a request made so far under the trap failed.
    bool Failed() {
        XSync(display_, False);
        return Caught();
    }

  private:
    static bool& Caught() {
        thread_local bool caught = false;
        return caught;
    }
    static int Handler(Display*, XErrorEvent*) {
        Caught() = true;
        return 0;
    }

    Display* display_;
    XErrorHandler previous_ = nullptr;
};

}  // namespace quorvane
