#include "delivery/DesktopKeystrokeTarget.h"

namespace quorvane {

void DesktopKeystrokeTarget::MinimizeWindow(WindowId window) {
    if (window != 0) windows_.Minimize(window);
}

void DesktopKeystrokeTarget::SetForegroundWindow(WindowId window) {
    if (window == 0) return;
    windows_.Activate(window);
    // Let the request go out before the tick goes on; the focus follows when the window
    // manager grants it.
    waiter_.ProcessEvents(0);
}

bool DesktopKeystrokeTarget::IsOwnWindowForeground() {
    return ownWindow_ != 0 && windows_.ForegroundWindow() == ownWindow_;
}

}  // namespace quorvane
