// What activation says when keystrokes or hot keys cannot work: each message once in the
// program's life, the keystroke one only for Send Keystrokes configurations, the hot keys
// programmed behind it at every activation.
#include <gtest/gtest.h>

#include "fakes/CallLog.h"
#include "fakes/FakeMessages.h"
#include "fakes/FakeRuntimeHooks.h"
#include "runtime/DesktopActivationHooks.h"
#include "strings/StringTable.h"

namespace quorvane {
namespace {

class DesktopActivation : public ::testing::Test {
  protected:
    DesktopActivation() { ResetToDefaults(g, "/tmp"); }
    SetupGlobals g;
    FakeMessages messages;
    CallLog log;
    FakeHotKeyHooks hotKeys{&log};
};

TEST_F(DesktopActivation, NoDisplaySaysOnceThatKeystrokesAreNotTypedThenProgramsHotKeys) {
    DesktopActivationHooks hooks(messages, false);
    hooks.SetHotKeys(&hotKeys);
    g.Mode = kModeKeystrokes;
    hooks.Program(g);
    hooks.Program(g);  // a reload activates again
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, KeystrokesUnavailableMessage().text);
    EXPECT_NE(messages.shown[0].text.find("X11 display"), std::string::npos);
    EXPECT_EQ(messages.shown[0].title, LoadString(4004));
    EXPECT_EQ(log.Count("hotkeys.Program"), 2);
    hooks.Release();
    EXPECT_EQ(log.Count("hotkeys.Release"), 1);
}

TEST_F(DesktopActivation, OtherModesAndAReachableDisplaySayNothing) {
    DesktopActivationHooks noDisplay(messages, false);
    for (int16_t mode : {kModeDde, kModeLog}) {
        g.Mode = mode;
        noDisplay.Program(g);
    }
    DesktopActivationHooks display(messages, true);
    g.Mode = kModeKeystrokes;
    display.Program(g);
    EXPECT_TRUE(messages.shown.empty());
    // A reload into Send Keystrokes mode still says it, once.
    noDisplay.Program(g);
    noDisplay.Program(g);
    EXPECT_EQ(messages.shown.size(), 1u);
}

TEST_F(DesktopActivation, TheMessageFollowsTheInterfaceLanguage) {
    SetInterfaceLanguage(Language::Japanese);
    const KeystrokeMessage japanese = KeystrokesUnavailableMessage();
    SetInterfaceLanguage(Language::English);
    const KeystrokeMessage english = KeystrokesUnavailableMessage();
    EXPECT_NE(japanese.text, english.text);
    EXPECT_NE(japanese.text.find("X11"), std::string::npos);
}

}  // namespace
}  // namespace quorvane
