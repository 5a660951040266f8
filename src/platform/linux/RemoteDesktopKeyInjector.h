// Key injection on desktops that have no client protocol for synthetic keys (GNOME, KDE
// Plasma), through the RemoteDesktop portal (org.freedesktop.portal.RemoteDesktop) over the
// session bus: a session is created, the keyboard selected and the session started, at which
// point the desktop asks the user once. Keys then go as keysyms (NotifyKeyboardKeysym) to
// whatever window has the focus; the desktop finds the key and level for each keysym in the
// user's layout itself.
//
// Where the portal version offers it (2 and later) the session is kept "until revoked", and
// the restore token the desktop hands back is kept in the per-user settings, so the next
// start does not ask again. The handshake begins with Prepare (at activation) and the first
// key waits for it; a refusal is reported once through the callback, and nothing is typed.
// A session the desktop ends is started again at the next key.
#pragma once

#include <QDBusConnection>
#include <QDBusPendingCall>
#include <QObject>
#include <QString>
#include <QVariantMap>
#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <vector>

#include "platform/KeyInjector.h"
#include "platform/SettingsStore.h"

namespace quorvane {

class RemoteDesktopKeyInjector : public QObject, public KeyInjector {
    Q_OBJECT

  public:
    static constexpr uint32_t kKeyboardDevice = 1;
    // How long the first key waits for the desktop's consent dialog.
    static constexpr int kConsentWaitMs = 120000;

    enum class State { Idle, Starting, Started, Refused };

    // The portal's RemoteDesktop version when it answers within timeoutMs and offers a
    // keyboard; nothing otherwise.
    static std::optional<uint32_t> KeyboardPortalVersion(const QDBusConnection& bus,
                                                         int timeoutMs);

    // bus, settings are borrowed. refused is called once when the desktop or the user
    // refuses the keyboard, with what the portal said.
    RemoteDesktopKeyInjector(QDBusConnection bus, uint32_t portalVersion, SettingsStore& settings,
                             std::function<void(const QString&)> refused);
    ~RemoteDesktopKeyInjector() override;

    // Begins the handshake unless it is running or done.
    void Prepare();
    State state() const { return state_; }

    bool CharacterNeedsShift(unsigned char byte) override;
    void KeyDown(int virtualKey) override;
    void KeyUp(int virtualKey) override;
    void TypeCharacter(unsigned char byte) override;
    KeyboardSnapshot SaveKeyboardState() override;
    KeyboardSnapshot KeysStillHeld(const KeyboardSnapshot& saved) override;
    void RestoreKeyboardState(const KeyboardSnapshot& snapshot) override;
    bool IsLockOn(LockKey lock) override;
    void ToggleLock(LockKey lock) override;
    // Waits until the desktop has taken every key sent.
    void Flush() override;

  private slots:
    void OnSessionClosed(const QVariantMap& details);

  private:
    void Step(const QString& method, QVariantList args, std::function<void(const QVariantMap&)> next);
    void Fail(const QString& why, bool refusal);
    bool WaitUntilStarted();
    void Notify(uint32_t keysym, bool down);
    void CloseSession();

    QDBusConnection bus_;
    uint32_t version_;
    SettingsStore& settings_;
    std::function<void(const QString&)> refused_;
    State state_ = State::Idle;
    bool refusalReported_ = false;
    QString session_;
    std::vector<QDBusPendingCall> pending_;
    std::multiset<uint32_t> held_;  // our keysyms pressed and not yet released
    bool capsLock_ = false, numLock_ = false, scrollLock_ = false;
};

}  // namespace quorvane
