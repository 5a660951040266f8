#include "platform/linux/RemoteDesktopKeyInjector.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingReply>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <X11/keysym.h>

#include "config/CodePage.h"
#include "platform/linux/PortalRequest.h"
#include "platform/linux/X11Keysyms.h"
#include "strings/StringIds.h"
#include "strings/StringTable.h"

namespace quorvane {

namespace {

constexpr char kInterface[] = "org.freedesktop.portal.RemoteDesktop";
constexpr char kSessionInterface[] = "org.freedesktop.portal.Session";
constexpr char kSettingsApplication[] = "Quorvane";
constexpr char kSettingsSection[] = "Desktop";
constexpr char kRestoreTokenKey[] = "RemoteDesktopRestoreToken";
constexpr uint32_t kPersistUntilRevoked = 2;
// Requests of the handshake other than Start answer without asking anybody.
constexpr int kRequestWaitMs = 10000;
// Key events in flight before the oldest answers are collected.
constexpr size_t kPendingLimit = 256;

}  // namespace

std::optional<uint32_t> RemoteDesktopKeyInjector::KeyboardPortalVersion(const QDBusConnection& bus,
                                                                        int timeoutMs) {
    const auto version = PortalInterfaceVersion(bus, QLatin1String(kInterface), timeoutMs);
    if (!version || *version == 0) return {};
    const auto devices = PortalUnsignedProperty(bus, QLatin1String(kInterface),
                                                QStringLiteral("AvailableDeviceTypes"), timeoutMs);
    if (!devices || (*devices & kKeyboardDevice) == 0) return {};
    return version;
}

RemoteDesktopKeyInjector::RemoteDesktopKeyInjector(QDBusConnection bus, uint32_t portalVersion,
                                                   SettingsStore& settings,
                                                   std::function<void(const QString&)> refused)
    : bus_(std::move(bus)), version_(portalVersion), settings_(settings), refused_(std::move(refused)) {}

RemoteDesktopKeyInjector::~RemoteDesktopKeyInjector() {
    if (state_ == State::Started) {
        while (!held_.empty()) {
            Notify(*held_.begin(), false);
        }
        Flush();
    }
    CloseSession();
}

void RemoteDesktopKeyInjector::Prepare() {
    if (state_ != State::Idle) return;
    state_ = State::Starting;
    const QString sessionToken = NewPortalToken();
    Step(QStringLiteral("CreateSession"),
         {QVariantMap{{QStringLiteral("session_handle_token"), sessionToken}}},
         [this](const QVariantMap& created) {
             session_ = created.value(QStringLiteral("session_handle")).toString();
             if (session_.isEmpty()) {
                 Fail(QStringLiteral("CreateSession gave no session"), false);
                 return;
             }
             bus_.connect(QString(), session_, QLatin1String(kSessionInterface),
                          QStringLiteral("Closed"), this, SLOT(OnSessionClosed(QVariantMap)));
             QVariantMap devices{{QStringLiteral("types"), kKeyboardDevice}};
             if (version_ >= 2) {
                 devices.insert(QStringLiteral("persist_mode"), kPersistUntilRevoked);
                 const std::string token =
                     settings_.GetSetting(kSettingsApplication, kSettingsSection, kRestoreTokenKey, {});
                 if (!token.empty())
                     devices.insert(QStringLiteral("restore_token"), QString::fromStdString(token));
             }
             Step(QStringLiteral("SelectDevices"),
                  {QVariant::fromValue(QDBusObjectPath(session_)), devices},
                  [this](const QVariantMap&) {
                      Step(QStringLiteral("Start"),
                           {QVariant::fromValue(QDBusObjectPath(session_)), QString(), QVariantMap()},
                           [this](const QVariantMap& started) {
                               const uint devices = started.value(QStringLiteral("devices")).toUInt();
                               if ((devices & kKeyboardDevice) == 0) {
                                   Fail(QString::fromStdString(LoadString(kStrPortalKeyboardNotGranted)), true);
                                   return;
                               }
                               const QString token =
                                   started.value(QStringLiteral("restore_token")).toString();
                               // A token is good for one restore: keep the newest.
                               if (!token.isEmpty()) {
                                   settings_.SaveSetting(kSettingsApplication, kSettingsSection,
                                                         kRestoreTokenKey, token.toStdString());
                               }
                               state_ = State::Started;
                           });
                  });
         });
}

void RemoteDesktopKeyInjector::Step(const QString& method, QVariantList args,
                                    std::function<void(const QVariantMap&)> next) {
    const bool asksUser = method == QLatin1String("Start");
    // An injector that goes while the desktop still asks must not hear the answer.
    QPointer<RemoteDesktopKeyInjector> self(this);
    PortalRequest::Call(bus_, QLatin1String(kInterface), method, std::move(args),
                        asksUser ? kConsentWaitMs : kRequestWaitMs,
                        [this, self, method, next = std::move(next)](const PortalResponse& response) {
                            if (!self || state_ != State::Starting) return;
                            if (response.Granted()) {
                                next(response.results);
                            } else {
                                // Only the desktop's own no is a refusal of the token too.
                                Fail(PortalFailure(method, response), response.error.isEmpty());
                            }
                        });
}

void RemoteDesktopKeyInjector::Fail(const QString& why, bool refusal) {
    CloseSession();
    state_ = State::Refused;
    // A restore token the desktop no longer honours is of no use next time either.
    if (refusal) settings_.SaveSetting(kSettingsApplication, kSettingsSection, kRestoreTokenKey, {});
    if (!refusalReported_ && refused_) {
        refusalReported_ = true;
        refused_(why);
    }
}

void RemoteDesktopKeyInjector::CloseSession() {
    if (session_.isEmpty()) return;
    bus_.disconnect(QString(), session_, QLatin1String(kSessionInterface), QStringLiteral("Closed"),
                    this, SLOT(OnSessionClosed(QVariantMap)));
    QDBusMessage close = QDBusMessage::createMethodCall(QLatin1String(kPortalService), session_,
                                                        QLatin1String(kSessionInterface),
                                                        QStringLiteral("Close"));
    bus_.call(close, QDBus::NoBlock);
    session_.clear();
}

void RemoteDesktopKeyInjector::OnSessionClosed(const QVariantMap&) {
    // The desktop ended it (the user revoked it, or the desktop restarted): keys held by it
    // are gone with it, and the next key starts a new session.
    bus_.disconnect(QString(), session_, QLatin1String(kSessionInterface), QStringLiteral("Closed"),
                    this, SLOT(OnSessionClosed(QVariantMap)));
    session_.clear();
    held_.clear();
    pending_.clear();
    if (state_ == State::Started) state_ = State::Idle;
}

bool RemoteDesktopKeyInjector::WaitUntilStarted() {
    Prepare();
    if (state_ == State::Starting) {
        QEventLoop loop;
        QTimer check;
        QObject::connect(&check, &QTimer::timeout, &loop, [&] {
            if (state_ != State::Starting) loop.quit();
        });
        check.start(5);
        loop.exec();
    }
    return state_ == State::Started;
}

void RemoteDesktopKeyInjector::Notify(uint32_t keysym, bool down) {
    if (keysym == 0) return;
    if (!WaitUntilStarted()) {
        held_.clear();  // nothing of ours is down on the desktop
        return;
    }
    if (down) {
        held_.insert(keysym);
    } else {
        const auto it = held_.find(keysym);
        if (it != held_.end()) held_.erase(it);
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QLatin1String(kPortalService), QLatin1String(kPortalPath), QLatin1String(kInterface),
        QStringLiteral("NotifyKeyboardKeysym"));
    call << QVariant::fromValue(QDBusObjectPath(session_)) << QVariantMap()
         << static_cast<int>(keysym) << static_cast<uint>(down ? 1 : 0);
    pending_.push_back(bus_.asyncCall(call));
    if (pending_.size() >= kPendingLimit) Flush();
}

bool RemoteDesktopKeyInjector::CharacterNeedsShift(unsigned char) {
    // A keysym names the character itself; the desktop holds Shift for it where its layout
    // needs it.
    return false;
}

void RemoteDesktopKeyInjector::KeyDown(int virtualKey) {
    Notify(static_cast<uint32_t>(KeysymForVirtualKey(virtualKey)), true);
}

void RemoteDesktopKeyInjector::KeyUp(int virtualKey) {
    Notify(static_cast<uint32_t>(KeysymForVirtualKey(virtualKey)), false);
}

void RemoteDesktopKeyInjector::TypeCharacter(unsigned char byte) {
    const auto keysym = static_cast<uint32_t>(KeysymForCodePoint(CodePage::ToUnicode(byte)));
    Notify(keysym, true);
    Notify(keysym, false);
}

KeyboardSnapshot RemoteDesktopKeyInjector::SaveKeyboardState() {
    // The user's own keys cannot be seen from here; only ours can be held, and a macro that
    // ended holding one (an unmatched "+(") lets go of it here.
    while (!held_.empty()) Notify(*held_.begin(), false);
    return {};
}

KeyboardSnapshot RemoteDesktopKeyInjector::KeysStillHeld(const KeyboardSnapshot&) {
    return {};
}

void RemoteDesktopKeyInjector::RestoreKeyboardState(const KeyboardSnapshot&) {}

bool RemoteDesktopKeyInjector::IsLockOn(LockKey lock) {
    // The desktop does not tell its lock state: what we switched is all we know.
    switch (lock) {
        case LockKey::CapsLock:
            return capsLock_;
        case LockKey::NumLock:
            return numLock_;
        case LockKey::ScrollLock:
            return scrollLock_;
    }
    return false;
}

void RemoteDesktopKeyInjector::ToggleLock(LockKey lock) {
    const auto keysym = static_cast<uint32_t>(KeysymForLock(lock));
    Notify(keysym, true);
    Notify(keysym, false);
    if (state_ != State::Started) return;
    bool& on = lock == LockKey::CapsLock ? capsLock_ : lock == LockKey::NumLock ? numLock_ : scrollLock_;
    on = !on;
}

void RemoteDesktopKeyInjector::Flush() {
    std::vector<QDBusPendingCall> pending;
    pending.swap(pending_);
    for (QDBusPendingCall& call : pending) {
        call.waitForFinished();
        if (call.isError() && state_ == State::Started) {
            // The session is no longer usable; the next key starts a new one.
            CloseSession();
            held_.clear();
            state_ = State::Idle;
        }
    }
}

}  // namespace quorvane
