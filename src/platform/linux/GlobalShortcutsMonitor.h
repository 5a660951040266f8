// Hot keys on Wayland desktops through the GlobalShortcuts portal
// (org.freedesktop.portal.GlobalShortcuts) over the session bus. A compositor lets no client
// grab keys, so the combinations are handed to the desktop as shortcuts of one portal session;
// the desktop (or the user, in its settings) binds them to keys and signals Activated and
// Deactivated for them, whatever window has the focus.
//
// What differs from the X11 monitor:
// - Register only collects. The whole set goes to the desktop in one BindShortcuts once the
//   caller is back in the event loop, because newer portals accept BindShortcuts once per
//   session: a changed set is bound in a new session, and the old one is closed.
// - Register answers Watched before the desktop has been asked; a refusal comes later, once,
//   through the refused callback, and from then on nothing is watched and Register answers
//   Refused.
// - The desktop always takes the key: the handler's answer (swallow or not) changes nothing.
// - There is no key repeat: a held shortcut is one Activated, then one Deactivated.
// - Shift is not seen live: ShiftHeld answers from the combination held now.
#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVariantMap>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "platform/KeyboardMonitor.h"

namespace quorvane {

class GlobalShortcutsMonitor : public QObject, public KeyboardMonitor {
    Q_OBJECT

  public:
    // How long BindShortcuts may wait for the desktop's dialog that asks the user.
    static constexpr int kConsentWaitMs = 120000;

    enum class State {
        Idle,     // nothing bound, nothing asked
        Binding,  // a session is being made and its shortcuts bound
        Bound,    // the desktop took the shortcuts of the current set
        Refused,  // the desktop or the user refused: nothing is watched any more
    };

    // The GlobalShortcuts version of the portal, or nothing when the portal does not answer
    // within timeoutMs or lacks the interface.
    static std::optional<uint32_t> PortalVersion(const QDBusConnection& bus, int timeoutMs);

    // The shortcut's id, stable across runs so that the desktop keeps the user's own trigger
    // for it: "hotkey-F5-ctrl-shift". Empty when the key has no keysym.
    static QString ShortcutId(const KeyCombination& combination);
    // The trigger in the shortcuts format of the desktop: "CTRL+SHIFT+F5", "LOGO+a".
    static QString PreferredTrigger(const KeyCombination& combination);
    // What the desktop shows for the shortcut: "Quorvane hot key Ctrl+Shift+F5".
    static QString Description(const KeyCombination& combination);

    // refused is called once in this object's life when the portal or the user refuses the
    // shortcuts, or a call fails, with what happened.
    GlobalShortcutsMonitor(QDBusConnection bus, std::function<void(const QString&)> refused);
    ~GlobalShortcutsMonitor() override;
    GlobalShortcutsMonitor(const GlobalShortcutsMonitor&) = delete;
    GlobalShortcutsMonitor& operator=(const GlobalShortcutsMonitor&) = delete;

    void SetHandler(Handler handler) override;
    KeyRegistration Register(const KeyCombination& combination) override;
    void ReleaseAll() override;
    bool ShiftHeld() override;

    State state() const { return state_; }

  private slots:
    void OnActivated(const QDBusMessage& signal);
    void OnDeactivated(const QDBusMessage& signal);
    void OnSessionClosed(const QVariantMap& details);

  private:
    void Bind();
    void Fail(const QString& why);
    void CloseSession();
    // The bound combination a signal of our session names, or null.
    const KeyCombination* Shortcut(const QDBusMessage& signal) const;

    QDBusConnection bus_;
    std::function<void(const QString&)> refused_;
    Handler handler_;
    State state_ = State::Idle;
    QTimer bindTimer_;
    std::vector<KeyCombination> wanted_;     // registered since the last ReleaseAll
    std::vector<KeyCombination> requested_;  // the set of the current session
    std::map<QString, KeyCombination> bound_;  // id -> combination, once the desktop took them
    QString session_;
    uint64_t generation_ = 0;  // bumped when a session goes, so late answers are dropped
    std::optional<KeyCombination> held_;
};

}  // namespace quorvane
