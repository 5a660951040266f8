// Typing into xterm running `cat > FILE` on a private Xvfb, through the real injector.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XInput.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <utility>

#include "X11TestSession.h"
#include "config/CodePage.h"
#include "config/KeyNames.h"
#include "delivery/KeyMacroTyper.h"
#include "delivery/SendKeyMacro.h"
#include "platform/linux/SteadyClock.h"
#include "platform/linux/X11KeyInjector.h"
#include "platform/linux/X11Keysyms.h"

namespace quorvane {
namespace {

using testing::ReadFile;
using testing::SleepWaiter;
using testing::X11TestSession;

bool KeymapHas(Display* display, KeySym keysym) {
    int minKeycode = 0, maxKeycode = 0, per = 0;
    XDisplayKeycodes(display, &minKeycode, &maxKeycode);
    KeySym* map = XGetKeyboardMapping(display, static_cast<KeyCode>(minKeycode),
                                      maxKeycode - minKeycode + 1, &per);
    bool found = false;
    for (int i = 0; i < (maxKeycode - minKeycode + 1) * per; ++i) found = found || map[i] == keysym;
    XFree(map);
    return found;
}

// Runs onWait (once) at the first wait, then waits.
class HookWaiter : public SleepWaiter {
  public:
    void ProcessEvents(uint32_t maxMs) override {
        if (onWait) std::exchange(onWait, nullptr)();
        SleepWaiter::ProcessEvents(maxMs);
    }
    std::function<void()> onWait;
};

bool KeyDown(Display* display, KeyCode keycode) {
    char keys[32] = {};
    XQueryKeymap(display, keys);
    return (keys[keycode / 8] & (1 << (keycode % 8))) != 0;
}

// The user at a real keyboard: key events sent from a connection of its own through XTest
// to the display's keyboard device (not the XTest keyboard, which the injector uses), so the
// server keeps their state apart from ours as it does for a person's keyboard.
class UserKeyboard {
  public:
    explicit UserKeyboard(const std::string& displayName)
        : display_(XOpenDisplay(displayName.c_str())) {
        if (!display_) return;
        int count = 0;
        XIDeviceInfo* devices = XIQueryDevice(display_, XIAllDevices, &count);
        for (int i = 0; i < count && !device_; ++i) {
            if (devices[i].use == XISlaveKeyboard && !std::strstr(devices[i].name, "XTEST")) {
                device_ = XOpenDevice(display_, static_cast<XID>(devices[i].deviceid));
            }
        }
        if (devices) XIFreeDeviceInfo(devices);
    }
    ~UserKeyboard() {
        if (device_) XCloseDevice(display_, device_);
        if (display_) XCloseDisplay(display_);
    }
    bool Ready() const { return device_ != nullptr; }
    void Key(KeyCode keycode, bool down) {
        XTestFakeDeviceKeyEvent(display_, device_, keycode, down ? True : False, nullptr, 0,
                                CurrentTime);
        XSync(display_, False);
    }

  private:
    Display* display_;
    XDevice* device_ = nullptr;
};

class KeyTypingX11Test : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (!X11TestSession::OnPath("Xvfb")) return;
        session_ = std::make_unique<X11TestSession>();
        std::string error;
        startError_.clear();
        if (!session_->Start(error)) startError_ = error;
    }
    static void TearDownTestSuite() { session_.reset(); }

    void SetUp() override {
        ASSERT_TRUE(X11TestSession::OnPath("Xvfb")) << "Xvfb is not installed";
        ASSERT_TRUE(startError_.empty()) << startError_;
        display_ = XOpenDisplay(session_->name().c_str());
        ASSERT_NE(display_, nullptr);
        ASSERT_TRUE(X11KeyInjector::Supported(display_));
        keys_ = std::make_unique<X11KeyInjector>(display_);
        typer_ = std::make_unique<KeyMacroTyper>(*keys_, clock_, waiter_);
        dir_ = std::filesystem::temp_directory_path() /
               ("quorvane-keys-" + std::to_string(getpid()) + "-" + std::to_string(++serial_));
        std::filesystem::create_directories(dir_);
    }

    void TearDown() override {
        if (user_) {
            // Leave no key down for the next test, whatever this one did.
            user_->Key(shift_, false);
            XTestFakeKeyEvent(display_, shift_, False, CurrentTime);
            XSync(display_, False);
            user_.reset();
        }
        typer_.reset();
        keys_.reset();
        if (display_) XCloseDisplay(display_);
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }

    // Starts xterm running `cat > out` and gives it the focus.
    void StartCatTerminal() {
        out_ = dir_ / "out";
        ASSERT_NE(session_->StartCatTerminal("quorvane-cat-" + std::to_string(serial_), out_), 0u);
    }

    // The user holds Shift down on the keyboard.
    void UserHoldsShift() {
        user_ = std::make_unique<UserKeyboard>(session_->name());
        ASSERT_TRUE(user_->Ready());
        shift_ = XKeysymToKeycode(display_, XK_Shift_L);
        user_->Key(shift_, true);
        ASSERT_TRUE(KeyDown(display_, shift_));
    }

    // The file once it holds expected's length (or after a generous timeout).
    std::string TypedText(const std::string& expected) {
        X11TestSession::WaitFor([&] { return ReadFile(out_).size() >= expected.size(); }, 15000);
        return ReadFile(out_);
    }

    static inline std::unique_ptr<X11TestSession> session_;
    static inline std::string startError_;
    static inline int serial_ = 0;
    Display* display_ = nullptr;
    SteadyClock clock_;
    HookWaiter waiter_;
    std::unique_ptr<UserKeyboard> user_;
    KeyCode shift_ = 0;
    std::unique_ptr<X11KeyInjector> keys_;
    std::unique_ptr<KeyMacroTyper> typer_;
    std::filesystem::path dir_, out_;
};

TEST_F(KeyTypingX11Test, DefaultMethodTypesTextTabEnterShiftedAndMissingCharacters) {
    StartCatTerminal();
    // Windows-1252 bytes: E9 e-acute, 80 euro sign, DF sharp s.
    SendKeyMacro(
        "Quorvane 12.5 g{TAB}+(ab)AB!@#${%}{^}&*{(}{)}_{+}|:<>?{~}\"~"
        "caf\xE9{ }\x80{ }stra\xDF"
        "e, \x80\x80 \xE9t\xE9{ENTER}",
        *typer_);
    const std::string expected =
        "Quorvane 12.5 g\tABAB!@#$%^&*()_+|:<>?~\"\n"
        "caf\xC3\xA9 \xE2\x82\xAC stra\xC3\x9F"
        "e, \xE2\x82\xAC\xE2\x82\xAC \xC3\xA9t\xC3\xA9\n";
    EXPECT_EQ(TypedText(expected), expected);

    // The three characters a US layout lacks took a spare keycode each; all are given back.
    EXPECT_EQ(keys_->BoundSpareCount(), 3);
    EXPECT_TRUE(KeymapHas(display_, XK_eacute));
    keys_->RestoreSpareKeycodes(true);
    EXPECT_EQ(keys_->BoundSpareCount(), 0);
    EXPECT_FALSE(KeymapHas(display_, XK_eacute));
    EXPECT_FALSE(KeymapHas(display_, XK_EuroSign));
    EXPECT_FALSE(KeymapHas(display_, XK_ssharp));
}

TEST_F(KeyTypingX11Test, DirectMethodKeepsCaseWithCapsLockOnAndLeavesItOn) {
    StartCatTerminal();
    keys_->ToggleLock(LockKey::CapsLock);
    keys_->Flush();
    ASSERT_TRUE(keys_->IsLockOn(LockKey::CapsLock));
    typer_->SetDirectKeyEvents(true);
    SendKeyMacro("Ab c{TAB 2}+x{DELAY 10}Zz~", *typer_);
    const std::string expected = "Ab c\t\tXZz\n";
    EXPECT_EQ(TypedText(expected), expected);
    EXPECT_TRUE(keys_->IsLockOn(LockKey::CapsLock));
    keys_->ToggleLock(LockKey::CapsLock);
    keys_->Flush();
    EXPECT_FALSE(keys_->IsLockOn(LockKey::CapsLock));
}

TEST_F(KeyTypingX11Test, ShiftLetGoOfDuringADelayIsNotLeftToSwallowTheNextShift) {
    StartCatTerminal();
    UserHoldsShift();
    typer_->SetDirectKeyEvents(true);
    bool pressedAgain = false;
    waiter_.onWait = [&] {
        pressedAgain = KeyDown(display_, shift_);  // the user still held it at the restore
        user_->Key(shift_, false);
    };
    SendKeyMacro("a{DELAY 50}B~", *typer_);
    EXPECT_TRUE(pressedAgain);
    const std::string expected = "aB\n";
    EXPECT_EQ(TypedText(expected), expected);
    EXPECT_FALSE(KeyDown(display_, shift_));
}

TEST_F(KeyTypingX11Test, ShiftLetGoOfDuringTheAltPauseIsNotPressedAgain) {
    StartCatTerminal();
    UserHoldsShift();
    typer_->SetDirectKeyEvents(true);
    waiter_.onWait = [&] { user_->Key(shift_, false); };
    SendKeyMacro("%(q)", *typer_);
    EXPECT_FALSE(KeyDown(display_, shift_));
}

TEST(X11Keysyms, EveryNamedKeyHasAKeysym) {
    for (int code : KeyNames().DisplayOrder) {
        if (code == 0) continue;
        EXPECT_NE(KeysymForVirtualKey(code), 0u) << KeyName(code);
    }
    for (int code : {12, 19, 44, 47, 16, 17, 18}) EXPECT_NE(KeysymForVirtualKey(code), 0u) << code;
    EXPECT_EQ(KeysymForVirtualKey(112), static_cast<X11Keysym>(XK_F1));
    EXPECT_EQ(KeysymForVirtualKey(127), static_cast<X11Keysym>(XK_F16));
    EXPECT_EQ(KeysymForVirtualKey(96), static_cast<X11Keysym>(XK_KP_0));
    EXPECT_EQ(KeysymForVirtualKey(111), static_cast<X11Keysym>(XK_KP_Divide));
    EXPECT_EQ(KeysymForVirtualKey(186), static_cast<X11Keysym>(XK_semicolon));
    EXPECT_EQ(KeysymForVirtualKey(222), static_cast<X11Keysym>(XK_apostrophe));
    EXPECT_EQ(KeysymForVirtualKey(0), 0u);
    EXPECT_EQ(KeysymForVirtualKey(255), 0u);
}

TEST(X11Keysyms, EveryPrintableCodePageCharacterRoundTrips) {
    for (int byte = 0x20; byte <= 0xFF; ++byte) {
        const char32_t cp = CodePage::ToUnicode(static_cast<unsigned char>(byte));
        if (cp == 0x7F || (cp >= 0x80 && cp <= 0x9F)) continue;
        const X11Keysym keysym = KeysymForCodePoint(cp);
        ASSERT_NE(keysym, 0u) << byte;
        EXPECT_EQ(CodePointForKeysym(keysym), cp) << byte;
    }
    EXPECT_EQ(KeysymForCodePoint(0x20AC), static_cast<X11Keysym>(XK_EuroSign));
    EXPECT_EQ(KeysymForCodePoint(0x3042), 0x1003042u);  // no legacy keysym: the Unicode one
    EXPECT_EQ(CodePointForKeysym(XK_Return), 0u);
}

}  // namespace
}  // namespace quorvane
