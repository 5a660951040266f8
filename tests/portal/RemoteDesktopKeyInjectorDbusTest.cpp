// Typing through the RemoteDesktop portal, against the fake portal on a private bus: the
// handshake and its order, the keys as keysyms, the restore token kept between runs, the
// user's refusal, and a session the desktop ends.
#include <gtest/gtest.h>

#include <X11/keysym.h>

#include <QDBusConnection>
#include <QElapsedTimer>
#include <cctype>
#include <memory>

#include "delivery/KeyMacroTyper.h"
#include "delivery/SendKeyMacro.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeSettingsStore.h"
#include "fakes/FakeWaiter.h"
#include "platform/linux/RemoteDesktopKeyInjector.h"
#include "platform/linux/X11Keysyms.h"
#include "portal/FakePortalProcess.h"

namespace quorvane {
namespace {

using portaltest::FakePortalProcess;
using State = RemoteDesktopKeyInjector::State;

const std::string kTokenKey = FakeSettingsStore::Key("Quorvane", "Desktop", "RemoteDesktopRestoreToken");

// What a desktop with a US layout types for the recorded key events: a keysym names its
// character, and Shift held by the macro capitalizes letters. Fails the test when a key is
// released that was not pressed, or is left pressed at the end.
std::string TypedByKeysyms(const QStringList& calls) {
    std::string text;
    std::multiset<unsigned> held;
    for (const QString& call : calls) {
        const QStringList parts = call.split(u' ');
        if (parts.value(0) != QLatin1String("RemoteDesktop.NotifyKeyboardKeysym")) continue;
        const unsigned keysym = parts.value(1).toUInt(nullptr, 16);
        if (parts.value(2) == QLatin1String("0")) {
            const auto it = held.find(keysym);
            EXPECT_NE(it, held.end()) << "released without a press: " << call.toStdString();
            if (it != held.end()) held.erase(it);
            continue;
        }
        held.insert(keysym);
        const bool shift = held.count(XK_Shift_L) + held.count(XK_Shift_R) > 0;
        if (keysym == XK_Tab) {
            text += '\t';
        } else if (keysym == XK_Return) {
            text += '\n';
        } else if (char32_t c = CodePointForKeysym(keysym); c != 0) {
            if (shift && c < 0x80) c = static_cast<char32_t>(std::toupper(static_cast<int>(c)));
            text += QString::fromUcs4(&c, 1).toStdString();
        }
    }
    EXPECT_TRUE(held.empty()) << held.size() << " keys left pressed";
    return text;
}

class RemoteDesktopTest : public ::testing::Test {
  protected:
    std::unique_ptr<RemoteDesktopKeyInjector> MakeInjector(uint32_t version = 2) {
        return std::make_unique<RemoteDesktopKeyInjector>(
            QDBusConnection::sessionBus(), version, settings_,
            [this](const QString& why) { refusals_ << why; });
    }

    void Type(RemoteDesktopKeyInjector& keys, const std::string& macro) {
        KeyMacroTyper typer(keys, clock_, waiter_);
        SendKeyMacro(macro, typer);
    }

    FakeSettingsStore settings_;
    FakeClock clock_;
    FakeWaiter waiter_{clock_};
    QStringList refusals_;
};

TEST_F(RemoteDesktopTest, HandshakeInOrderThenEveryCharacterAsItsKeysym) {
    FakePortalProcess portal({QStringLiteral("--start-delay-ms"), QStringLiteral("200")});
    ASSERT_TRUE(portal.Ready());
    auto keys = MakeInjector();
    keys->Prepare();
    EXPECT_EQ(keys->state(), State::Starting);
    // The first key waits for the consent the desktop asks for.
    Type(*keys,
         "Quorvane 12.5 g{TAB}+(ab)AB!@#{%}"
         "caf\xE9{ }\x80{ }stra\xDF"
         "e{ENTER}");
    EXPECT_EQ(keys->state(), State::Started);
    EXPECT_EQ(portal.Handshake(),
              (QStringList{QStringLiteral("RemoteDesktop.CreateSession"),
                           QStringLiteral("RemoteDesktop.SelectDevices types=1 persist_mode=2 restore_token=-"),
                           QStringLiteral("RemoteDesktop.Start")}));
    EXPECT_EQ(TypedByKeysyms(portal.Calls()),
              "Quorvane 12.5 g\tABAB!@#%caf\xC3\xA9 \xE2\x82\xAC stra\xC3\x9F"
              "e\n");
    EXPECT_EQ(settings_.values[kTokenKey], "token-1");
    EXPECT_TRUE(refusals_.isEmpty());
}

TEST_F(RemoteDesktopTest, TheRestoreTokenSparesTheNextStartItsQuestion) {
    FakePortalProcess portal;
    ASSERT_TRUE(portal.Ready());
    // One that goes while the handshake runs hears nothing of it afterwards.
    MakeInjector()->Prepare();
    {
        auto keys = MakeInjector();
        Type(*keys, "a");
    }
    const std::string first = settings_.values[kTokenKey];
    ASSERT_FALSE(first.empty());
    {
        auto keys = MakeInjector();
        Type(*keys, "b");
    }
    const QStringList selects = portal.CallsStartingWith(QStringLiteral("RemoteDesktop.SelectDevices"));
    ASSERT_EQ(selects.size(), 2);
    EXPECT_TRUE(selects[1].endsWith(QStringLiteral("restore_token=") + QString::fromStdString(first)));
    EXPECT_EQ(portal.CallsStartingWith(QStringLiteral("RemoteDesktop.Start")).last(),
              QStringLiteral("RemoteDesktop.Start restored"));
    // Each token is good once: the newest is kept.
    EXPECT_NE(settings_.values[kTokenKey], first);
    EXPECT_EQ(TypedByKeysyms(portal.Calls()), "ab");
    // Each injector that started closed its session when it went.
    EXPECT_EQ(portal.CallsStartingWith(QStringLiteral("Session.Close")).size(), 2);
}

TEST_F(RemoteDesktopTest, VersionOneKeepsNoToken) {
    FakePortalProcess portal({QStringLiteral("--remote-desktop-version"), QStringLiteral("1")});
    ASSERT_TRUE(portal.Ready());
    settings_.values[kTokenKey] = "token-from-elsewhere";
    auto keys = MakeInjector(1);
    Type(*keys, "x");
    EXPECT_EQ(portal.CallsStartingWith(QStringLiteral("RemoteDesktop.SelectDevices")),
              QStringList{QStringLiteral("RemoteDesktop.SelectDevices types=1 persist_mode=0 restore_token=-")});
    EXPECT_EQ(TypedByKeysyms(portal.Calls()), "x");
}

TEST_F(RemoteDesktopTest, RefusalIsReportedOnceAndNothingIsTypedOrAskedAgain) {
    for (const char* code : {"1", "2"}) {
        SCOPED_TRACE(code);
        FakePortalProcess portal({QStringLiteral("--start-response"), QString::fromLatin1(code)});
        ASSERT_TRUE(portal.Ready());
        refusals_.clear();
        settings_.values[kTokenKey] = "stale";
        auto keys = MakeInjector();
        Type(*keys, "first record{ENTER}");
        Type(*keys, "second record{ENTER}");
        keys->Flush();
        EXPECT_EQ(keys->state(), State::Refused);
        ASSERT_EQ(refusals_.size(), 1);
        EXPECT_TRUE(refusals_[0].startsWith(QStringLiteral("Start: "))) << refusals_[0].toStdString();
        EXPECT_TRUE(portal.CallsStartingWith(QStringLiteral("RemoteDesktop.NotifyKeyboard")).isEmpty());
        EXPECT_EQ(portal.CallsStartingWith(QStringLiteral("RemoteDesktop.Start")).size(), 1);
        // The refused session is closed, and a token the desktop refused is not offered again.
        EXPECT_EQ(portal.CallsStartingWith(QStringLiteral("Session.Close")).size(), 1);
        EXPECT_EQ(settings_.values[kTokenKey], "");
    }
}

TEST_F(RemoteDesktopTest, ASessionTheDesktopEndsIsStartedAgainAtTheNextKey) {
    FakePortalProcess portal;
    ASSERT_TRUE(portal.Ready());
    auto keys = MakeInjector();
    Type(*keys, "one");
    keys->Flush();
    ASSERT_EQ(portal.Test(QStringLiteral("CloseSession")).type(), QDBusMessage::ReplyMessage);
    ASSERT_TRUE(dbustest::SpinUntil([&] { return keys->state() == State::Idle; }));
    Type(*keys, "two");
    keys->Flush();
    EXPECT_EQ(portal.CallsStartingWith(QStringLiteral("RemoteDesktop.CreateSession")).size(), 2);
    EXPECT_EQ(portal.CallsStartingWith(QStringLiteral("RemoteDesktop.Start")).last(),
              QStringLiteral("RemoteDesktop.Start restored"));
    EXPECT_EQ(TypedByKeysyms(portal.Calls()), "onetwo");
    EXPECT_TRUE(refusals_.isEmpty());
}

TEST_F(RemoteDesktopTest, TheProbeWantsAPortalWithAKeyboard) {
    dbustest::EnsurePrivateBus();
    {
        QElapsedTimer clock;
        clock.start();
        EXPECT_FALSE(RemoteDesktopKeyInjector::KeyboardPortalVersion(QDBusConnection::sessionBus(), 3000));
        EXPECT_LT(clock.elapsed(), 2000) << "no portal on the bus must answer at once";
    }
    {
        FakePortalProcess portal({QStringLiteral("--remote-desktop-version"), QStringLiteral("0")});
        ASSERT_TRUE(portal.Ready());
        EXPECT_FALSE(RemoteDesktopKeyInjector::KeyboardPortalVersion(QDBusConnection::sessionBus(), 3000));
    }
    {
        FakePortalProcess portal({QStringLiteral("--device-types"), QStringLiteral("2")});
        ASSERT_TRUE(portal.Ready());
        EXPECT_FALSE(RemoteDesktopKeyInjector::KeyboardPortalVersion(QDBusConnection::sessionBus(), 3000));
    }
    {
        FakePortalProcess portal;
        ASSERT_TRUE(portal.Ready());
        EXPECT_EQ(RemoteDesktopKeyInjector::KeyboardPortalVersion(QDBusConnection::sessionBus(), 3000), 2u);
    }
}

}  // namespace
}  // namespace quorvane
