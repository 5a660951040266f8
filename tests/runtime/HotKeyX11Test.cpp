// Hot keys on a private Xvfb: keys pressed through XTest while xterm running `cat > FILE`
// has the focus. The xterm's windows are watched from the test's own connection, so a hot
// key press or release that reached it would be seen even where it types no character.
#include <QCoreApplication>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

#include "fakes/FakeMessages.h"
#include "platform/linux/X11KeyboardMonitor.h"
#include "runtime/HotKeyTestHost.h"
#include "runtime/HotKeys.h"
#include "strings/StringIds.h"
#include "strings/StringTable.h"

// Xlib last: its macros (None, Bool) clash with names in the headers above.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include "delivery/X11TestSession.h"

namespace quorvane {
namespace {

using testing::ReadFile;
using testing::X11TestSession;

constexpr int kF2 = 113;
constexpr int kF5 = 116;

// Counts the transitions the real monitor reports, per virtual key and kind.
class CountingMonitor : public KeyboardMonitor {
  public:
    explicit CountingMonitor(KeyboardMonitor& inner) : inner_(inner) {}
    void SetHandler(Handler handler) override {
        if (!handler) return inner_.SetHandler(nullptr);
        inner_.SetHandler([this, handler](const KeyTransition& t) {
            const char* kind = (t.flags & kKeyFlagReleasing) ? "release"
                               : (t.flags & kKeyFlagWasDown) ? "repeat"
                                                             : "press";
            ++counts[{t.virtualKey, kind}];
            return handler(t);
        });
    }
    KeyRegistration Register(const KeyCombination& c) override { return inner_.Register(c); }
    void ReleaseAll() override { inner_.ReleaseAll(); }
    bool ShiftHeld() override { return inner_.ShiftHeld(); }

    int Count(int virtualKey, const std::string& kind) { return counts[{virtualKey, kind}]; }

    std::map<std::pair<int, std::string>, int> counts;

  private:
    KeyboardMonitor& inner_;
};

class HotKeyX11Test : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char name[] = "quorvane_x11_tests";
            static char* argv[] = {name, nullptr};
            // Kept to the end of the process: destroying it among the static destructors
            // crashes inside Qt.
            new QCoreApplication(argc, argv);
        }
        if (!X11TestSession::OnPath("Xvfb")) return;
        session_ = std::make_unique<X11TestSession>();
        std::string error;
        if (!session_->Start(error)) startError_ = error;
    }
    static void TearDownTestSuite() { session_.reset(); }

    void SetUp() override {
        ASSERT_TRUE(X11TestSession::OnPath("Xvfb")) << "Xvfb is not installed";
        ASSERT_TRUE(startError_.empty()) << startError_;
        display_ = session_->display();
        dir_ = std::filesystem::temp_directory_path() /
               ("quorvane-hotkeys-" + std::to_string(getpid()) + "-" + std::to_string(++serial_));
        std::filesystem::create_directories(dir_);
        x11_ = X11KeyboardMonitor::Open(session_->name().c_str());
        ASSERT_NE(x11_, nullptr);
        monitor_ = std::make_unique<CountingMonitor>(*x11_);
        hotKeys_ = std::make_unique<HotKeys>(g_, host_, monitor_.get(), &messages_);
        g_.RunMode = kRunNormal;
        g_.HotKeyCode[0] = 2 * 256 + kF2;  // Ctrl+F2
        g_.HotKeyAction[0] = kHotKeyTransmitString;
        g_.HotKeyString[0] = "A";
        g_.HotKeyCode[1] = 1 * 256 + kF5;  // Shift+F5
        g_.HotKeyAction[1] = kHotKeyRaiseDtr;
        StartCatTerminal();
    }

    void TearDown() override {
        // A failed check may have left keys held; the next test needs them up.
        if (display_) {
            for (KeySym k : {XK_F2, XK_F5, XK_Shift_L, XK_Alt_L, XK_Control_L}) Key(k, false);
        }
        hotKeys_.reset();
        monitor_.reset();
        x11_.reset();
        if (terminal_) XSelectInput(display_, terminal_, NoEventMask);
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }

    // xterm running `cat > out` with the focus; its windows report key events to the test.
    void StartCatTerminal() {
        out_ = dir_ / "out";
        terminal_ = session_->StartCatTerminal("quorvane-hotkeys-" + std::to_string(serial_), out_);
        ASSERT_NE(terminal_, 0u);
        WatchKeys(terminal_);
        XSync(display_, False);
        SeenKeys();  // forget what came before
    }

    void WatchKeys(Window window) {
        XSelectInput(display_, window, KeyPressMask | KeyReleaseMask);
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display_, window, &root, &parent, &children, &count)) return;
        for (unsigned i = 0; i < count; ++i) WatchKeys(children[i]);
        if (children) XFree(children);
    }

    // Key events the xterm's windows received since the last call, by keycode.
    std::map<unsigned, int> SeenKeys() {
        XSync(display_, False);
        std::map<unsigned, int> seen;
        while (XPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
            if (event.type == KeyPress || event.type == KeyRelease) ++seen[event.xkey.keycode];
        }
        return seen;
    }

    unsigned Keycode(KeySym keysym) { return XKeysymToKeycode(display_, keysym); }
    void Key(KeySym keysym, bool down) {
        XTestFakeKeyEvent(display_, Keycode(keysym), down ? True : False, CurrentTime);
        XFlush(display_);
    }
    void Tap(KeySym keysym) {
        Key(keysym, true);
        Key(keysym, false);
    }

    // Runs the Qt event loop, which reads the monitor's connection, until condition holds.
    static bool Await(const std::function<bool()>& condition) {
        return X11TestSession::WaitFor(
            [&] {
                QCoreApplication::processEvents();
                return condition();
            },
            10000);
    }

    std::string TypedText(size_t size) {
        Await([&] { return ReadFile(out_).size() >= size; });
        return ReadFile(out_);
    }

    static inline std::unique_ptr<X11TestSession> session_;
    static inline std::string startError_;
    static inline int serial_ = 0;
    Display* display_ = nullptr;
    Window terminal_ = 0;
    std::filesystem::path dir_, out_;
    SetupGlobals g_;
    HotKeyTestHost host_;
    FakeMessages messages_;
    std::unique_ptr<X11KeyboardMonitor> x11_;
    std::unique_ptr<CountingMonitor> monitor_;
    std::unique_ptr<HotKeys> hotKeys_;
};

TEST_F(HotKeyX11Test, HeldHotKeyActsOnceAndNeverReachesTheFocusedWindow) {
    ASSERT_EQ(hotKeys_->Activate(), HotKeyStatus::Active);
    ASSERT_TRUE(x11_->DetectableAutoRepeat());
    // A short repeat delay, so that holding the key produces repeats within the test.
    XAutoRepeatOn(display_);
    ASSERT_TRUE(XkbSetAutoRepeatRate(display_, XkbUseCoreKbd, 100, 20));

    Key(XK_Control_L, true);
    Key(XK_F2, true);
    ASSERT_TRUE(Await([&] { return monitor_->Count(kF2, "repeat") >= 3; }))
        << "the held key produced no repeats";
    Key(XK_F2, false);
    Key(XK_Control_L, false);
    ASSERT_TRUE(Await([&] { return monitor_->Count(kF2, "release") == 1; }));
    EXPECT_EQ(monitor_->Count(kF2, "press"), 1);
    EXPECT_EQ(g_.OutputQueue, "A") << "one string for one held key";

    // Shift is read from the live keyboard when the press is handled: it stays down until
    // then, as a hand holding Shift+F5 does, however busy the machine is.
    Key(XK_Shift_L, true);
    Tap(XK_F5);
    ASSERT_TRUE(Await([&] { return monitor_->Count(kF5, "release") == 1; }));
    Key(XK_Shift_L, false);
    EXPECT_EQ(host_.log.calls, std::vector<std::string>{"SetDtr(on)"});

    Tap(XK_x);
    Tap(XK_Return);
    EXPECT_EQ(TypedText(2), "x\n");
    std::map<unsigned, int> seen = SeenKeys();
    EXPECT_EQ(seen[Keycode(XK_F2)], 0) << "the xterm saw the hot key";
    EXPECT_EQ(seen[Keycode(XK_F5)], 0) << "the xterm saw the hot key";
    EXPECT_GE(seen[Keycode(XK_x)], 2) << "the watch on the xterm sees ordinary keys";
    EXPECT_EQ(g_.OutputQueue, "A");
}

TEST_F(HotKeyX11Test, OtherShiftStateIsPassedOnAndUnloadReleasesTheGrabs) {
    ASSERT_EQ(hotKeys_->Activate(), HotKeyStatus::Active);
    // F5 without Shift is grabbed (the opposite Shift state of Shift+F5) but is no hot key:
    // the xterm gets it.
    Tap(XK_F5);
    ASSERT_TRUE(Await([&] { return monitor_->Count(kF5, "press") == 1; }));
    Tap(XK_Return);
    EXPECT_EQ(TypedText(6), "\x1b[15~\n");
    EXPECT_TRUE(host_.log.calls.empty());

    hotKeys_->Deactivate();
    Key(XK_Shift_L, true);
    Tap(XK_F5);
    Key(XK_Shift_L, false);
    Tap(XK_Return);
    EXPECT_EQ(TypedText(14), "\x1b[15~\n\x1b[15;2~\n");
    EXPECT_TRUE(host_.log.calls.empty());
    EXPECT_EQ(monitor_->Count(kF5, "press"), 1);
}

TEST_F(HotKeyX11Test, CombinationsTheServerActsOnAreRefused) {
    // Ctrl+Alt+F2 switches the virtual terminal inside the server; no client could see it.
    EXPECT_EQ(x11_->Register({kF2, kKeyModCtrl | kKeyModAlt}), KeyRegistration::Refused);
    EXPECT_EQ(x11_->Register({kF2, kKeyModCtrl}), KeyRegistration::Watched);
    EXPECT_EQ(x11_->Register({0xFF, 0}), KeyRegistration::Refused) << "a code with no key";
}

TEST_F(HotKeyX11Test, WithoutADisplayHotKeysAreUnavailableAndSaidSoOnce) {
    EXPECT_EQ(X11KeyboardMonitor::Open("unix:65431"), nullptr);
    HotKeys keys(g_, host_, nullptr, &messages_);
    EXPECT_EQ(keys.Activate(), HotKeyStatus::Unavailable);
    EXPECT_EQ(keys.Activate(), HotKeyStatus::Unavailable);
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].text, LoadString(kStrHotKeysUnavailable));
}

}  // namespace
}  // namespace quorvane
