#include "delivery/DesktopKeystrokeTarget.h"

#include <algorithm>

#include "delivery/SendKeyMacro.h"

namespace quorvane {

namespace {
constexpr uint32_t kFocusPollMs = 5;
}

void DesktopKeystrokeTarget::SendKeyMacro(const std::string& macro) {
    // /K may differ between runs, never within one: read it at each record.
    typer_.SetDirectKeyEvents(IsTrue(g_.DirectKeyEvents));
    quorvane::SendKeyMacro(macro, typer_);
}

void DesktopKeystrokeTarget::MinimizeWindow(WindowId window) {
    if (window != 0) windows_.Minimize(window);
}

void DesktopKeystrokeTarget::SetForegroundWindow(WindowId window) {
    if (window == 0) return;
    windows_.Activate(window);
    // The window manager grants the focus a little later. The next record starts by asking
    // who has the focus, so returning at once would make a record that follows straight
    // away take the target for the window to go back to.
    const uint32_t start = clock_.TickCount();
    waiter_.ProcessEvents(0);
    while (windows_.ForegroundWindow() != window) {
        const uint32_t elapsed = clock_.TickCount() - start;
        if (elapsed >= kActivationLimitMs) return;
        waiter_.ProcessEvents(std::min(kActivationLimitMs - elapsed, kFocusPollMs));
    }
}

bool DesktopKeystrokeTarget::IsOwnWindowForeground() {
    return ownWindow_ != 0 && windows_.ForegroundWindow() == ownWindow_;
}

}  // namespace quorvane
