// The desktop's top-level windows on an X display. With an EWMH window manager the windows
// are its managed clients (_NET_CLIENT_LIST_STACKING), the foreground is _NET_ACTIVE_WINDOW
// and activation is asked of the manager the way a pager asks; without one, the windows are
// the root's mapped children (XQueryTree order) and activation is XRaiseWindow plus
// XSetInputFocus. Window ids are X window ids of the client windows.
//
// Every request is flushed at once; X errors (a window that went away meanwhile) are caught
// and make the answer empty or 0.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "platform/WindowSystem.h"

// Xlib's own declaration; the header stays free of Xlib's macros (Bool, Status, None).
typedef struct _XDisplay Display;

namespace quorvane {

class X11WindowSystem : public WindowSystem {
  public:
    // display is borrowed and must outlive the object.
    explicit X11WindowSystem(Display* display);

    std::vector<TopLevelWindow> TopLevelWindows() override;
    WindowId ForegroundWindow() override;
    std::string Caption(WindowId window) override;
    void Activate(WindowId window) override;
    void RestoreWithoutActivation(WindowId window) override;
    void Minimize(WindowId window) override;

    // True when an EWMH window manager runs on the display now.
    bool HasWindowManager();

  private:
    using XWindow = unsigned long;
    using XAtom = unsigned long;

    std::vector<XWindow> ManagedStacking();
    std::vector<XWindow> UnmanagedStacking();
    bool IsMinimized(XWindow window, bool managed);
    std::vector<unsigned long> Property(XWindow window, XAtom property, XAtom type);
    void SendToRoot(XWindow window, XAtom message, const long (&data)[5]);
    XAtom Intern(const char* name);

    Display* display_;
    XWindow root_;
    // Without a window manager nobody keeps minimized windows: the ones this object hid.
    std::set<XWindow> hiddenUnmanaged_;
};

}  // namespace quorvane
