// Typing into foot running `cat > FILE` on a private desktop, through the real virtual
// keyboard, and finding, restoring and focusing windows through the foreign-toplevel
// protocol. WaylandTypingTest runs on headless sway; MirTypingTest runs on Mir, which, unlike
// sway, minimizes windows.
#include <gtest/gtest.h>

#include <wayland-client.h>

#include <filesystem>
#include <memory>
#include <string>

#include "MirDesktop.h"
#include "SwayDesktop.h"
#include "delivery/KeyMacroTyper.h"
#include "delivery/SendKeyMacro.h"
#include "delivery/TargetActivation.h"
#include "fakes/FakeMessages.h"
#include "fakes/FakeProcessLauncher.h"
#include "platform/Waiter.h"
#include "platform/linux/SteadyClock.h"
#include "platform/linux/WaylandConnection.h"
#include "platform/linux/WaylandKeyInjector.h"
#include "platform/linux/WaylandWindowSystem.h"

namespace quorvane {
namespace {

using testing::HeadlessDesktop;
using testing::MirDesktop;
using testing::ReadWholeFile;
using testing::SwayDesktop;

// Waits by reading the compositor's events: the tests run no Qt event loop.
class WaylandWaiter : public Waiter {
  public:
    explicit WaylandWaiter(WaylandConnection& connection) : connection_(connection) {}
    void ProcessEvents(uint32_t maxMs) override {
        connection_.Roundtrip();
        if (maxMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(std::min(maxMs, 5u)));
    }

  private:
    WaylandConnection& connection_;
};

// One desktop of type Desktop for the whole suite; each test gets a connection of its own.
template <class Desktop>
class DesktopTypingTest : public ::testing::Test {
  protected:
    static std::string MissingPrograms() {
        std::string missing;
        for (const std::string& program : Desktop::Programs()) {
            if (!HeadlessDesktop::OnPath(program)) missing += " " + program;
        }
        return missing;
    }

    static void SetUpTestSuite() {
        if (!MissingPrograms().empty()) return;
        desktop_ = std::make_unique<Desktop>();
        std::string error;
        startError_.clear();
        if (!desktop_->Start(error)) startError_ = error;
    }
    static void TearDownTestSuite() { desktop_.reset(); }

    void SetUp() override {
        ASSERT_EQ(MissingPrograms(), "") << "not installed";
        ASSERT_TRUE(startError_.empty()) << startError_;
        std::string error;
        connection_ = WaylandConnection::Connect(error, desktop_->Socket().c_str());
        ASSERT_TRUE(connection_) << error;
        ASSERT_TRUE(WaylandKeyInjector::Supported(*connection_));
        ASSERT_TRUE(WaylandWindowSystem::Supported(*connection_));
        windows_ = std::make_unique<WaylandWindowSystem>(*connection_);
        waiter_ = std::make_unique<WaylandWaiter>(*connection_);
        ASSERT_TRUE(NewKeyboard());
        ++serial_;
    }

    // Makes the test's virtual keyboard (again) and waits until the seat has a keyboard: a
    // seat without one of its own gives clients one only once ours is announced.
    bool NewKeyboard() {
        typer_.reset();
        keys_.reset();
        keys_ = std::make_unique<WaylandKeyInjector>(*connection_);
        if (!keys_->Ready()) return false;
        typer_ = std::make_unique<KeyMacroTyper>(*keys_, clock_, *waiter_);
        return HeadlessDesktop::WaitFor(
            [&] {
                connection_->Roundtrip();
                return keys_->KeyboardAnnounced();
            },
            15000);
    }

    void TearDown() override {
        typer_.reset();
        windows_.reset();
        keys_.reset();
        connection_.reset();
    }

    // Starts foot titled title running `cat > out` and waits until it takes our keys: a
    // probe line typed until it arrives whole. Bytes after it are the test's.
    //
    // miral-shell gives every keyboard it registers its own layout, and it may do so after
    // our keymap has come: the keys then come out in its layout and no probe ever arrives.
    // After a few probes lost, a new keyboard is another try; on sway the first one works.
    void StartCatTerminal(const std::string& title, std::filesystem::path& out) {
        out = desktop_->runtime() + "/out-" + std::to_string(serial_) + "-" + title;
        ASSERT_TRUE(desktop_->StartCatTerminal(title, out));
        ASSERT_TRUE(HeadlessDesktop::WaitFor([&] { return WindowTitled(title) != 0; }, 15000));
        const std::string probe = "ready\n";
        int probes = 0;
        ASSERT_TRUE(HeadlessDesktop::WaitFor(
            [&] {
                if (++probes % 5 == 0 && !NewKeyboard()) return false;
                SendKeyMacro("ready{ENTER}", *typer_);
                return HeadlessDesktop::WaitFor(
                    [&] {
                        const std::string text = ReadWholeFile(out);
                        return text.size() >= probe.size() &&
                               text.compare(text.size() - probe.size(), probe.size(), probe) == 0;
                    },
                    200);
            },
            15000));
        offsets_[out] = ReadWholeFile(out).size();
    }

    // What arrived after the probe once it holds expected's length (or after a timeout).
    std::string TypedText(const std::filesystem::path& out, const std::string& expected) {
        const size_t offset = offsets_[out];
        HeadlessDesktop::WaitFor(
            [&] { return ReadWholeFile(out).size() >= offset + expected.size(); }, 15000);
        return ReadWholeFile(out).substr(offset);
    }

    WindowId WindowTitled(const std::string& title) {
        for (const TopLevelWindow& w : windows_->TopLevelWindows()) {
            if (w.caption == title) return w.id;
        }
        return 0;
    }

    bool IsMinimized(WindowId id) {
        for (const TopLevelWindow& w : windows_->TopLevelWindows()) {
            if (w.id == id) return w.minimized;
        }
        return false;
    }

    // The target is found by a lower-case piece of its title with blanks around it and
    // brought forward; the keys go to it, and then back to the window that had the focus.
    void FindsTargetByAPieceOfItsTitleAndGivesTheFocusBack() {
        std::filesystem::path first, second;
        StartCatTerminal("Quorvane Target Sheet", first);
        StartCatTerminal("Quorvane Other Window", second);
        const WindowId other = WindowTitled("Quorvane Other Window");
        const WindowId target = WindowTitled("Quorvane Target Sheet");
        ASSERT_TRUE(
            HeadlessDesktop::WaitFor([&] { return windows_->ForegroundWindow() == other; }, 5000));

        FakeProcessLauncher launcher;
        FakeMessages messages;
        TargetActivation activation(*windows_, launcher, messages, clock_, *waiter_);
        std::string title = "  target sheet ";
        const TargetSearch found = activation.FindTargetWindow(title);
        EXPECT_EQ(found.window, target);
        EXPECT_EQ(windows_->ForegroundWindow(), target);
        SendKeyMacro("to the sheet{ENTER}", *typer_);
        EXPECT_EQ(TypedText(first, "to the sheet\n"), "to the sheet\n");

        // The focus goes back to the window that had it, and the keys with it.
        windows_->Activate(other);
        ASSERT_TRUE(
            HeadlessDesktop::WaitFor([&] { return windows_->ForegroundWindow() == other; }, 5000));
        SendKeyMacro("back{ENTER}", *typer_);
        EXPECT_EQ(TypedText(second, "back\n"), "back\n");
        EXPECT_EQ(ReadWholeFile(first).substr(offsets_[first]), "to the sheet\n");
    }

    static inline std::unique_ptr<Desktop> desktop_;
    static inline std::string startError_;
    static inline int serial_ = 0;
    std::unique_ptr<WaylandConnection> connection_;
    std::unique_ptr<WaylandKeyInjector> keys_;
    std::unique_ptr<WaylandWindowSystem> windows_;
    std::unique_ptr<WaylandWaiter> waiter_;
    SteadyClock clock_;
    std::unique_ptr<KeyMacroTyper> typer_;
    std::map<std::filesystem::path, size_t> offsets_;
};

using WaylandTypingTest = DesktopTypingTest<SwayDesktop>;
using MirTypingTest = DesktopTypingTest<MirDesktop>;

TEST_F(WaylandTypingTest, TypesTabEnterShiftedAndNonAsciiCharactersExactly) {
    std::filesystem::path out;
    StartCatTerminal("Quorvane Cat One", out);
    const int uploadsBefore = keys_->Uploads();
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
    EXPECT_EQ(TypedText(out, expected), expected);
    // The three characters outside ASCII were added to the keymap, each upload once.
    EXPECT_EQ(keys_->Uploads() - uploadsBefore, 3);
}

TEST_F(WaylandTypingTest, CapsLockOfTheVirtualKeyboardIsSwitchedOffWhileTyping) {
    std::filesystem::path out;
    StartCatTerminal("Quorvane Cat Caps", out);
    keys_->ToggleLock(LockKey::CapsLock);
    ASSERT_TRUE(keys_->IsLockOn(LockKey::CapsLock));
    SendKeyMacro("abc+(d){ENTER}", *typer_);
    EXPECT_EQ(TypedText(out, "abcD\n"), "abcD\n");
    // The typer gives the lock back as it found it.
    EXPECT_TRUE(keys_->IsLockOn(LockKey::CapsLock));
    keys_->ToggleLock(LockKey::CapsLock);
    EXPECT_FALSE(keys_->IsLockOn(LockKey::CapsLock));
}

TEST_F(WaylandTypingTest, FindsFootByALowerCasePieceOfItsTitleAndGivesTheFocusBack) {
    FindsTargetByAPieceOfItsTitleAndGivesTheFocusBack();
}

TEST_F(MirTypingTest, FindsFootByALowerCasePieceOfItsTitleAndGivesTheFocusBack) {
    FindsTargetByAPieceOfItsTitleAndGivesTheFocusBack();
}

// sway keeps no minimized state, so this runs on Mir only.
TEST_F(MirTypingTest, MinimizedTargetIsRestoredAndMinimizedAgain) {
    std::filesystem::path target_out, other_out;
    StartCatTerminal("Quorvane Minimized Target", target_out);
    StartCatTerminal("Quorvane Beside The Target", other_out);
    const WindowId target = WindowTitled("Quorvane Minimized Target");
    const WindowId other = WindowTitled("Quorvane Beside The Target");
    ASSERT_TRUE(
        HeadlessDesktop::WaitFor([&] { return windows_->ForegroundWindow() == other; }, 5000));
    windows_->Minimize(target);
    ASSERT_TRUE(HeadlessDesktop::WaitFor([&] { return IsMinimized(target); }, 5000))
        << "the compositor did not report the window minimized";

    FakeProcessLauncher launcher;
    FakeMessages messages;
    TargetActivation activation(*windows_, launcher, messages, clock_, *waiter_);
    std::string title = "minimized target";
    const TargetSearch found = activation.FindTargetWindow(title);
    EXPECT_EQ(found.window, target);
    EXPECT_TRUE(found.wasMinimized);
    EXPECT_FALSE(IsMinimized(target));
    EXPECT_EQ(windows_->ForegroundWindow(), target);
    SendKeyMacro("restored{ENTER}", *typer_);
    EXPECT_EQ(TypedText(target_out, "restored\n"), "restored\n");

    // After the record the target goes back to where it was.
    windows_->Minimize(found.window);
    EXPECT_TRUE(HeadlessDesktop::WaitFor([&] { return IsMinimized(target); }, 5000));
    EXPECT_NE(windows_->ForegroundWindow(), target);
    EXPECT_EQ(ReadWholeFile(other_out).substr(offsets_[other_out]), "");
}

}  // namespace
}  // namespace quorvane
