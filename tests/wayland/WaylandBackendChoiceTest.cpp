// The choice of keystroke services at start, as a table of desktops.
#include <gtest/gtest.h>

#include "platform/linux/WaylandBackendChoice.h"

namespace quorvane {
namespace {

KeystrokeDesktopFacts Wlroots() {
    KeystrokeDesktopFacts facts;
    facts.waylandDisplaySet = true;
    facts.waylandConnected = true;
    facts.compositor = "sway";
    facts.virtualKeyboard = true;
    facts.foreignToplevels = true;
    facts.x11Display = true;
    return facts;
}

TEST(WaylandBackendChoiceTest, X11DesktopStaysX11) {
    KeystrokeDesktopFacts facts;
    facts.x11Display = true;
    EXPECT_EQ(ChooseKeystrokeBackend(facts).backend, KeystrokeBackend::X11);
    facts.x11Display = false;
    EXPECT_EQ(ChooseKeystrokeBackend(facts).backend, KeystrokeBackend::Unavailable);
}

TEST(WaylandBackendChoiceTest, WlrootsCompositorTypesThroughWayland) {
    const KeystrokeBackendChoice choice = ChooseKeystrokeBackend(Wlroots());
    EXPECT_EQ(choice.backend, KeystrokeBackend::Wayland);
    EXPECT_NE(choice.reason.find("sway"), std::string::npos) << choice.reason;
}

TEST(WaylandBackendChoiceTest, TargetUnderXWaylandTypesThroughX11) {
    KeystrokeDesktopFacts facts = Wlroots();
    facts.targetOnX11 = true;
    const KeystrokeBackendChoice choice = ChooseKeystrokeBackend(facts);
    EXPECT_EQ(choice.backend, KeystrokeBackend::X11);
    EXPECT_NE(choice.reason.find("XWayland"), std::string::npos) << choice.reason;
}

TEST(WaylandBackendChoiceTest, CompositorWithoutTheProtocolsIsNamedWithWhatItLacks) {
    KeystrokeDesktopFacts facts = Wlroots();
    facts.compositor = "GNOME";
    facts.virtualKeyboard = false;
    facts.foreignToplevels = false;
    KeystrokeBackendChoice choice = ChooseKeystrokeBackend(facts);
    EXPECT_EQ(choice.backend, KeystrokeBackend::X11);
    EXPECT_NE(choice.reason.find("GNOME"), std::string::npos) << choice.reason;
    EXPECT_NE(choice.reason.find("zwp_virtual_keyboard_manager_v1 and "
                                 "zwlr_foreign_toplevel_manager_v1"),
              std::string::npos)
        << choice.reason;
    facts.x11Display = false;
    facts.virtualKeyboard = true;
    choice = ChooseKeystrokeBackend(facts);
    EXPECT_EQ(choice.backend, KeystrokeBackend::Unavailable);
    EXPECT_EQ(choice.reason.find("zwp_virtual"), std::string::npos) << choice.reason;
    EXPECT_NE(choice.reason.find("zwlr_foreign_toplevel_manager_v1"), std::string::npos);
}

TEST(WaylandBackendChoiceTest, SilentWaylandDisplayFallsBackToX11) {
    KeystrokeDesktopFacts facts = Wlroots();
    facts.waylandConnected = false;
    EXPECT_EQ(ChooseKeystrokeBackend(facts).backend, KeystrokeBackend::X11);
}

}  // namespace
}  // namespace quorvane
