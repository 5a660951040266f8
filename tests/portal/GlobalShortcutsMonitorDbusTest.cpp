// Hot keys through the GlobalShortcuts portal, against the fake portal on a private bus: the
// set bound in one call of one session, the shortcuts' ids and triggers, Activated and
// Deactivated as press and release, a new set in a new session, the user's refusal, and the
// version probe.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QElapsedTimer>
#include <memory>
#include <vector>

#include "platform/linux/GlobalShortcutsMonitor.h"
#include "portal/FakePortalProcess.h"

namespace quorvane {
namespace {

using portaltest::FakePortalProcess;
using State = GlobalShortcutsMonitor::State;

constexpr int kF5 = 116, kF6 = 117, kF7 = 118, kA = 'A', kNumpadAdd = 107;

struct Seen {
    KeyTransition transition;
    bool shiftHeld;  // what ShiftHeld answered inside the handler, as HotKeys asks it
};

class GlobalShortcutsTest : public ::testing::Test {
  protected:
    std::unique_ptr<GlobalShortcutsMonitor> MakeMonitor() {
        auto monitor = std::make_unique<GlobalShortcutsMonitor>(
            QDBusConnection::sessionBus(), [this](const QString& why) { refusals_ << why; });
        GlobalShortcutsMonitor* raw = monitor.get();
        monitor->SetHandler([this, raw](const KeyTransition& t) {
            seen_.push_back({t, raw->ShiftHeld()});
            return true;
        });
        return monitor;
    }

    static QString Press(FakePortalProcess& portal, const char* method, const char* id) {
        return portal.Test(QLatin1String(method), {QString::fromLatin1(id)}).errorMessage();
    }

    std::vector<Seen> seen_;
    QStringList refusals_;
};

TEST_F(GlobalShortcutsTest, EveryCombinationIsBoundOnceInOneCallAfterTheSession) {
    FakePortalProcess portal;
    ASSERT_TRUE(portal.Ready());
    auto monitor = MakeMonitor();
    for (const KeyCombination& c : {KeyCombination{kF5, kKeyModCtrl | kKeyModShift}, KeyCombination{kF5, kKeyModCtrl},
                                    KeyCombination{kF5, kKeyModCtrl | kKeyModShift}, KeyCombination{kA, kKeyModWin},
                                    KeyCombination{kNumpadAdd, kKeyModAlt}}) {
        EXPECT_EQ(monitor->Register(c), KeyRegistration::Watched);
    }
    EXPECT_EQ(monitor->Register({7, 0}), KeyRegistration::Refused) << "a key without a keysym";
    EXPECT_EQ(monitor->state(), State::Idle) << "nothing is asked before the caller is back in the event loop";
    ASSERT_TRUE(dbustest::SpinUntil([&] { return monitor->state() == State::Bound; }));
    EXPECT_EQ(portal.Calls(),
              (QStringList{QStringLiteral("GlobalShortcuts.CreateSession"),
                           QStringLiteral("GlobalShortcuts.BindShortcuts hotkey-F5-ctrl-shift=CTRL+SHIFT+F5 "
                                          "hotkey-F5-ctrl=CTRL+F5 hotkey-a-logo=LOGO+a hotkey-KP_Add-alt=ALT+KP_Add")}));
    EXPECT_EQ(GlobalShortcutsMonitor::Description({kF5, kKeyModCtrl | kKeyModShift}),
              QStringLiteral("Quorvane hot key Ctrl+Shift+F5"));
    EXPECT_TRUE(refusals_.isEmpty());
}

TEST_F(GlobalShortcutsTest, ActivatedAndDeactivatedArePressAndReleaseWithTheirModifiers) {
    FakePortalProcess portal;
    ASSERT_TRUE(portal.Ready());
    auto monitor = MakeMonitor();
    monitor->Register({kF5, kKeyModCtrl | kKeyModShift});
    monitor->Register({kF5, kKeyModCtrl});
    ASSERT_TRUE(dbustest::SpinUntil([&] { return monitor->state() == State::Bound; }));

    // An id we never bound is not a key; the signals come in order, so the next one shows it.
    ASSERT_EQ(Press(portal, "Activate", "hotkey-F6"), QString());
    ASSERT_EQ(Press(portal, "Activate", "hotkey-F5-ctrl-shift"), QString());
    ASSERT_TRUE(dbustest::SpinUntil([&] { return seen_.size() == 1; }));
    EXPECT_EQ(seen_[0].transition.virtualKey, kF5);
    EXPECT_EQ(seen_[0].transition.flags, 0u);
    EXPECT_EQ(seen_[0].transition.modifiers, kKeyModCtrl | kKeyModShift);
    EXPECT_TRUE(seen_[0].shiftHeld);
    EXPECT_TRUE(monitor->ShiftHeld());

    ASSERT_EQ(Press(portal, "Deactivate", "hotkey-F5-ctrl-shift"), QString());
    ASSERT_TRUE(dbustest::SpinUntil([&] { return seen_.size() == 2; }));
    EXPECT_EQ(seen_[1].transition.virtualKey, kF5);
    EXPECT_EQ(seen_[1].transition.flags, kKeyFlagWasDown | kKeyFlagReleasing);
    EXPECT_EQ(seen_[1].transition.modifiers, kKeyModCtrl | kKeyModShift);
    EXPECT_TRUE(seen_[1].shiftHeld) << "the release must match the press";
    EXPECT_FALSE(monitor->ShiftHeld());

    ASSERT_EQ(Press(portal, "Activate", "hotkey-F5-ctrl"), QString());
    ASSERT_TRUE(dbustest::SpinUntil([&] { return seen_.size() == 3; }));
    EXPECT_EQ(seen_[2].transition.modifiers, kKeyModCtrl);
    EXPECT_FALSE(seen_[2].shiftHeld);
}

TEST_F(GlobalShortcutsTest, ANewSetIsBoundInANewSessionAndTheOldOneIsClosed) {
    FakePortalProcess portal;
    ASSERT_TRUE(portal.Ready());
    auto monitor = MakeMonitor();
    // Released before the event loop ran: never asked for.
    monitor->Register({kF7, 0});
    monitor->ReleaseAll();
    monitor->Register({kF5, 0});
    ASSERT_TRUE(dbustest::SpinUntil([&] { return monitor->state() == State::Bound; }));
    monitor->ReleaseAll();
    EXPECT_EQ(monitor->state(), State::Idle);
    monitor->Register({kF6, kKeyModAlt});
    ASSERT_TRUE(dbustest::SpinUntil([&] { return monitor->state() == State::Bound; }));
    // One more without a release changes the set too.
    monitor->Register({kF7, 0});
    ASSERT_TRUE(dbustest::SpinUntil([&] {
        return monitor->state() == State::Bound && portal.CallsStartingWith(QStringLiteral("Global")).size() == 6;
    }));
    EXPECT_EQ(portal.Calls(),
              (QStringList{QStringLiteral("GlobalShortcuts.CreateSession"),
                           QStringLiteral("GlobalShortcuts.BindShortcuts hotkey-F5=F5"), QStringLiteral("Session.Close"),
                           QStringLiteral("GlobalShortcuts.CreateSession"),
                           QStringLiteral("GlobalShortcuts.BindShortcuts hotkey-F6-alt=ALT+F6"),
                           QStringLiteral("Session.Close"), QStringLiteral("GlobalShortcuts.CreateSession"),
                           QStringLiteral("GlobalShortcuts.BindShortcuts hotkey-F6-alt=ALT+F6 hotkey-F7=F7")}));
    // A second session on the same connection hears the first one's signals too: each
    // monitor takes only its own.
    GlobalShortcutsMonitor other(QDBusConnection::sessionBus(), nullptr);
    int otherSeen = 0;
    other.SetHandler([&](const KeyTransition&) {
        ++otherSeen;
        return true;
    });
    other.Register({kF7, 0});
    ASSERT_TRUE(dbustest::SpinUntil([&] { return other.state() == State::Bound; }));
    ASSERT_EQ(Press(portal, "Activate", "hotkey-F5"), QString());
    ASSERT_EQ(Press(portal, "Activate", "hotkey-F7"), QString());
    ASSERT_TRUE(dbustest::SpinUntil([&] { return !seen_.empty() && otherSeen > 0; }));
    QCoreApplication::processEvents();
    ASSERT_EQ(seen_.size(), 1u);
    EXPECT_EQ(seen_[0].transition.virtualKey, kF7);
    EXPECT_EQ(otherSeen, 1);
}

TEST_F(GlobalShortcutsTest, ARefusalIsReportedOnceAndNothingIsWatchedAfterIt) {
    for (const char* code : {"1", "2"}) {
        SCOPED_TRACE(code);
        FakePortalProcess portal({QStringLiteral("--bind-response"), QString::fromLatin1(code)});
        ASSERT_TRUE(portal.Ready());
        refusals_.clear();
        seen_.clear();
        auto monitor = MakeMonitor();
        monitor->Register({kF5, 0});
        ASSERT_TRUE(dbustest::SpinUntil([&] { return !refusals_.isEmpty(); }));
        EXPECT_TRUE(refusals_[0].startsWith(QStringLiteral("BindShortcuts: "))) << refusals_[0].toStdString();
        EXPECT_EQ(monitor->state(), State::Refused);
        ASSERT_EQ(Press(portal, "Activate", "hotkey-F5"), QString());
        monitor->ReleaseAll();
        EXPECT_EQ(monitor->Register({kF6, 0}), KeyRegistration::Refused);
        QCoreApplication::processEvents();
        EXPECT_EQ(portal.Calls(), (QStringList{QStringLiteral("GlobalShortcuts.CreateSession"),
                                               QStringLiteral("GlobalShortcuts.BindShortcuts hotkey-F5=F5"),
                                               QStringLiteral("Session.Close")}));
        EXPECT_EQ(refusals_.size(), 1);
        EXPECT_TRUE(seen_.empty());
    }
}

TEST_F(GlobalShortcutsTest, TheVersionProbeWantsThePortalWithTheInterface) {
    dbustest::EnsurePrivateBus();
    {
        QElapsedTimer clock;
        clock.start();
        EXPECT_FALSE(GlobalShortcutsMonitor::PortalVersion(QDBusConnection::sessionBus(), 3000));
        EXPECT_LT(clock.elapsed(), 2000) << "no portal on the bus must answer at once";
    }
    {
        FakePortalProcess portal({QStringLiteral("--global-shortcuts-version"), QStringLiteral("0")});
        ASSERT_TRUE(portal.Ready());
        EXPECT_FALSE(GlobalShortcutsMonitor::PortalVersion(QDBusConnection::sessionBus(), 3000));
    }
    {
        FakePortalProcess portal;
        ASSERT_TRUE(portal.Ready());
        EXPECT_EQ(GlobalShortcutsMonitor::PortalVersion(QDBusConnection::sessionBus(), 3000), 1u);
    }
}

}  // namespace
}  // namespace quorvane
