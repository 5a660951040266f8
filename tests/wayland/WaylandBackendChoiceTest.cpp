// The choice of keystroke services at start, as a table of desktops.
#include <gtest/gtest.h>

#include "platform/linux/WaylandBackendChoice.h"
#include "strings/StringTable.h"

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
    EXPECT_NE(choice.reason.find("zwp_virtual_keyboard_manager_v1 + "
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

// GNOME and KDE Plasma: the portal, ahead of X11 (which reaches only XWayland windows); a
// wlroots compositor or an X11 target keep their own way.
TEST(WaylandBackendChoiceTest, TheRemoteDesktopPortalServesDesktopsWithoutTheProtocols) {
    KeystrokeDesktopFacts facts = Wlroots();
    facts.compositor = "KDE";
    facts.virtualKeyboard = false;
    facts.remoteDesktopPortal = true;
    KeystrokeBackendChoice choice = ChooseKeystrokeBackend(facts);
    EXPECT_EQ(choice.backend, KeystrokeBackend::Portal);
    EXPECT_NE(choice.reason.find("RemoteDesktop portal (KDE)"), std::string::npos) << choice.reason;
    facts.waylandConnected = false;
    facts.x11Display = false;
    EXPECT_EQ(ChooseKeystrokeBackend(facts).backend, KeystrokeBackend::Portal);
    EXPECT_EQ(ChooseKeystrokeBackend([] {
                  KeystrokeDesktopFacts wlroots = Wlroots();
                  wlroots.remoteDesktopPortal = true;
                  return wlroots;
              }()).backend,
              KeystrokeBackend::Wayland);
    facts = Wlroots();
    facts.remoteDesktopPortal = true;
    facts.targetOnX11 = true;
    EXPECT_EQ(ChooseKeystrokeBackend(facts).backend, KeystrokeBackend::X11);
}

TEST(WaylandBackendChoiceTest, SilentWaylandDisplayFallsBackToX11) {
    KeystrokeDesktopFacts facts = Wlroots();
    facts.waylandConnected = false;
    EXPECT_EQ(ChooseKeystrokeBackend(facts).backend, KeystrokeBackend::X11);
}

// The reason speaks the interface language, the compositor and protocols named as they are.
TEST(WaylandBackendChoiceTest, TheReasonSpeaksTheInterfaceLanguage) {
    SetInterfaceLanguage(Language::Japanese);
    KeystrokeDesktopFacts facts = Wlroots();
    const KeystrokeBackendChoice chosen = ChooseKeystrokeBackend(facts);
    facts.foreignToplevels = false;
    const KeystrokeBackendChoice fellBack = ChooseKeystrokeBackend(facts);
    SetInterfaceLanguage(Language::English);
    EXPECT_EQ(chosen.reason,
              "キー入力は Wayland 経由で送ります (sway): 仮想キーボード、ウィンドウは "
              "foreign-toplevel で操作します");
    EXPECT_EQ(fellBack.reason,
              "Wayland コンポジター (sway) は zwlr_foreign_toplevel_manager_v1 に対応していません。"
              "X11 経由のキー入力は X11 のプログラム (XWayland) にしか届きません");
}

}  // namespace
}  // namespace quorvane
