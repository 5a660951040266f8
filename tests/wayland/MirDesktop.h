// A private Mir desktop (miral-shell) for the wayland tests (see HeadlessDesktop.h), for what
// sway cannot show: Mir keeps a minimized state and reports it through the foreign-toplevel
// protocol. Mir has no headless output; it draws into a window of an Xvfb of its own (Mesa's
// llvmpipe, no GPU), started as the desktop's user on a display number Xvfb picks itself, so
// that two desktops at once never meet. Mir offers the foreign-toplevel manager at version 2
// (the parent event of version 3 is not needed) and the virtual keyboard only when asked.
#pragma once

#include "HeadlessDesktop.h"

namespace quorvane::testing {

class MirDesktop : public HeadlessDesktop {
  public:
    MirDesktop() : HeadlessDesktop("mir") {}

    static std::vector<std::string> Programs() { return {"Xvfb", "miral-shell", "foot"}; }

    // Starts Xvfb, then miral-shell on it, and waits for Mir's socket; false with a reason.
    bool Start(std::string& error) {
        if (!Prepare(error)) return false;
        const std::string displayFile = runtime() + "/xvfb.display";
        const pid_t xvfb = Spawn({"Xvfb", "-displayfd", "1", "-screen", "0", "1280x800x24",
                                  "-nolisten", "tcp", "-noreset"},
                                 {}, displayFile);
        if (xvfb <= 0) return Fail(error, "cannot start Xvfb");
        // Xvfb writes its display number and a newline once it takes connections.
        std::string display;
        WaitFor(
            [&] {
                const std::string text = ReadWholeFile(displayFile);
                if (text.empty() || text.back() != '\n') return false;
                display = text.substr(0, text.size() - 1);
                return true;
            },
            20000);
        if (display.empty()) return Fail(error, "Xvfb gave no display:\n" + LogTail("Xvfb"));
        const pid_t mir = Spawn({"miral-shell", "--add-wayland-extensions",
                                 "zwlr_foreign_toplevel_manager_v1:zwp_virtual_keyboard_manager_v1",
                                 "--x11-output", "1280x800"},
                                {"DISPLAY=:" + display});
        if (mir <= 0) return Fail(error, "cannot start miral-shell");
        return WaitForSocket(mir, "miral-shell", error);
    }
};

}  // namespace quorvane::testing
