// A private headless sway for the wayland tests (see HeadlessDesktop.h): one 1280x800 output,
// the pixman renderer, no input devices of its own. sway 1.7 keeps no minimized state.
#pragma once

#include "HeadlessDesktop.h"

namespace quorvane::testing {

class SwayDesktop : public HeadlessDesktop {
  public:
    SwayDesktop() : HeadlessDesktop("sway") {}

    // What must be installed for the desktop and its terminal.
    static std::vector<std::string> Programs() { return {"sway", "foot"}; }

    // Starts sway and waits for its socket; false with a reason on failure.
    bool Start(std::string& error) {
        if (!Prepare(error)) return false;
        const std::string config =
            WriteOwnedFile("sway.conf", "output HEADLESS-1 resolution 1280x800\n");
        if (config.empty()) return Fail(error, "cannot write sway.conf");
        const pid_t sway =
            Spawn({"sway", "-c", config},
                  {"WLR_BACKENDS=headless", "WLR_LIBINPUT_NO_DEVICES=1", "WLR_RENDERER=pixman"});
        if (sway <= 0) return Fail(error, "cannot start sway");
        return WaitForSocket(sway, "sway", error);
    }
};

}  // namespace quorvane::testing
