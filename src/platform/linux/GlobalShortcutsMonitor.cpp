#include "platform/linux/GlobalShortcutsMonitor.h"

// Qt before Xlib: Xlib's macros (Bool, Status, KeyPress) break Qt's headers.
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QList>
#include <QPointer>
#include <QStringList>
#include <algorithm>

#include "platform/linux/PortalRequest.h"
#include "strings/StringIds.h"
#include "strings/StringTable.h"
#include "platform/linux/X11Keysyms.h"

#include <X11/Xlib.h>

namespace quorvane {

namespace {

constexpr char kInterface[] = "org.freedesktop.portal.GlobalShortcuts";
constexpr char kSessionInterface[] = "org.freedesktop.portal.Session";
// CreateSession answers without asking anybody.
constexpr int kRequestWaitMs = 10000;

// One entry of the shortcut list of BindShortcuts, a(sa{sv}): the id and its properties.
struct PortalShortcut {
    QString id;
    QVariantMap properties;
};
using PortalShortcuts = QList<PortalShortcut>;

QDBusArgument& operator<<(QDBusArgument& out, const PortalShortcut& s) {
    out.beginStructure();
    out << s.id << s.properties;
    out.endStructure();
    return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, PortalShortcut& s) {
    in.beginStructure();
    in >> s.id >> s.properties;
    in.endStructure();
    return in;
}

void RegisterTypes() {
    static const bool registered = [] {
        qDBusRegisterMetaType<PortalShortcut>();
        qDBusRegisterMetaType<PortalShortcuts>();
        return true;
    }();
    (void)registered;
}

// The xkb name of the combination's key ("F5", "a", "KP_Add"); empty without a keysym.
QString KeysymName(const KeyCombination& combination) {
    const X11Keysym keysym = KeysymForVirtualKey(combination.virtualKey);
    if (keysym == 0) return {};
    const char* name = XKeysymToString(keysym);
    return name ? QString::fromLatin1(name) : QString();
}

// The modifier names in the order of the shortcuts format.
QStringList ModifierNames(int modifiers, const char* ctrl, const char* alt, const char* shift,
                          const char* logo) {
    QStringList names;
    if (modifiers & kKeyModCtrl) names << QLatin1String(ctrl);
    if (modifiers & kKeyModAlt) names << QLatin1String(alt);
    if (modifiers & kKeyModShift) names << QLatin1String(shift);
    if (modifiers & kKeyModWin) names << QLatin1String(logo);
    return names;
}

QString SessionPathOf(const QVariant& handle) {
    // "s" in the first versions of the interface, "o" in later ones.
    if (handle.metaType() == QMetaType::fromType<QDBusObjectPath>())
        return handle.value<QDBusObjectPath>().path();
    return handle.toString();
}

}  // namespace

}  // namespace quorvane

Q_DECLARE_METATYPE(quorvane::PortalShortcut)

namespace quorvane {

std::optional<uint32_t> GlobalShortcutsMonitor::PortalVersion(const QDBusConnection& bus,
                                                              int timeoutMs) {
    const auto version = PortalInterfaceVersion(bus, QLatin1String(kInterface), timeoutMs);
    if (!version || *version == 0) return {};
    return version;
}

QString GlobalShortcutsMonitor::ShortcutId(const KeyCombination& combination) {
    const QString key = KeysymName(combination);
    if (key.isEmpty()) return {};
    QStringList parts{QStringLiteral("hotkey"), key};
    parts << ModifierNames(combination.modifiers, "ctrl", "alt", "shift", "logo");
    return parts.join(u'-');
}

QString GlobalShortcutsMonitor::PreferredTrigger(const KeyCombination& combination) {
    const QString key = KeysymName(combination);
    if (key.isEmpty()) return {};
    QStringList parts = ModifierNames(combination.modifiers, "CTRL", "ALT", "SHIFT", "LOGO");
    parts << key;
    return parts.join(u'+');
}

QString GlobalShortcutsMonitor::Description(const KeyCombination& combination) {
    QString key = KeysymName(combination);
    if (key.size() == 1) key = key.toUpper();  // letters as they are printed on the keys
    QStringList parts = ModifierNames(combination.modifiers, "Ctrl", "Alt", "Shift", "Super");
    parts << key;
    return QString::fromStdString(
        LoadString(kStrHotKeyShortcutDescription, {parts.join(u'+').toStdString()}));
}

GlobalShortcutsMonitor::GlobalShortcutsMonitor(QDBusConnection bus,
                                               std::function<void(const QString&)> refused)
    : bus_(std::move(bus)), refused_(std::move(refused)) {
    RegisterTypes();
    // HotKeys registers a configuration's combinations one after the other without going
    // back to the event loop; a zero timer fires once it has, with the whole set collected,
    // so one session and one BindShortcuts serve it.
    bindTimer_.setSingleShot(true);
    bindTimer_.setInterval(0);
    connect(&bindTimer_, &QTimer::timeout, this, &GlobalShortcutsMonitor::Bind);
    // The portal's own name: another client cannot make us see a key. The slots take the
    // whole message (o session, s id, t timestamp, a{sv}): QtDBus refuses to connect a slot
    // typed (QDBusObjectPath, QString, qulonglong, QVariantMap) to them.
    bus_.connect(QLatin1String(kPortalService), QLatin1String(kPortalPath), QLatin1String(kInterface),
                 QStringLiteral("Activated"), this, SLOT(OnActivated(QDBusMessage)));
    bus_.connect(QLatin1String(kPortalService), QLatin1String(kPortalPath), QLatin1String(kInterface),
                 QStringLiteral("Deactivated"), this, SLOT(OnDeactivated(QDBusMessage)));
}

GlobalShortcutsMonitor::~GlobalShortcutsMonitor() {
    CloseSession();
}

void GlobalShortcutsMonitor::SetHandler(Handler handler) {
    handler_ = std::move(handler);
}

KeyRegistration GlobalShortcutsMonitor::Register(const KeyCombination& combination) {
    if (state_ == State::Refused || ShortcutId(combination).isEmpty()) return KeyRegistration::Refused;
    if (std::find(wanted_.begin(), wanted_.end(), combination) == wanted_.end()) {
        wanted_.push_back(combination);
    }
    if (!bindTimer_.isActive()) bindTimer_.start();
    return KeyRegistration::Watched;
}

void GlobalShortcutsMonitor::ReleaseAll() {
    bindTimer_.stop();
    wanted_.clear();
    CloseSession();
    if (state_ != State::Refused) state_ = State::Idle;
}

bool GlobalShortcutsMonitor::ShiftHeld() {
    return held_ && (held_->modifiers & kKeyModShift) != 0;
}

void GlobalShortcutsMonitor::Bind() {
    if (state_ == State::Refused || wanted_.empty()) return;
    if (wanted_ == requested_ && state_ != State::Idle) return;  // this set is bound or on its way
    // A session takes one BindShortcuts: a new set needs a new session.
    CloseSession();
    requested_ = wanted_;
    state_ = State::Binding;
    const uint64_t generation = generation_;
    QPointer<GlobalShortcutsMonitor> self(this);
    PortalRequest::Call(
        bus_, QLatin1String(kInterface), QStringLiteral("CreateSession"),
        {QVariantMap{{QStringLiteral("session_handle_token"), NewPortalToken()}}}, kRequestWaitMs,
        [this, self, generation](const PortalResponse& created) {
            if (!self) return;
            const QString session = SessionPathOf(created.results.value(QStringLiteral("session_handle")));
            if (generation != generation_) {
                // The set went (or changed) while the session was being made.
                if (created.Granted() && !session.isEmpty()) {
                    bus_.call(QDBusMessage::createMethodCall(QLatin1String(kPortalService), session,
                                                             QLatin1String(kSessionInterface),
                                                             QStringLiteral("Close")),
                              QDBus::NoBlock);
                }
                return;
            }
            if (!created.Granted()) return Fail(PortalFailure(QStringLiteral("CreateSession"), created));
            if (session.isEmpty()) return Fail(QStringLiteral("CreateSession gave no session"));
            session_ = session;
            bus_.connect(QString(), session_, QLatin1String(kSessionInterface), QStringLiteral("Closed"),
                         this, SLOT(OnSessionClosed(QVariantMap)));

            PortalShortcuts shortcuts;
            for (const KeyCombination& c : requested_) {
                const QString id = ShortcutId(c);
                const bool known = std::any_of(shortcuts.begin(), shortcuts.end(),
                                               [&](const PortalShortcut& s) { return s.id == id; });
                // Keys with one keysym (both Print keys) are one shortcut.
                if (known) continue;
                shortcuts.append({id,
                                  {{QStringLiteral("description"), Description(c)},
                                   {QStringLiteral("preferred_trigger"), PreferredTrigger(c)}}});
            }
            PortalRequest::Call(
                bus_, QLatin1String(kInterface), QStringLiteral("BindShortcuts"),
                {QVariant::fromValue(QDBusObjectPath(session_)), QVariant::fromValue(shortcuts), QString(),
                 QVariantMap()},
                kConsentWaitMs, [this, self, generation](const PortalResponse& bound) {
                    if (!self || generation != generation_) return;
                    if (!bound.Granted()) return Fail(PortalFailure(QStringLiteral("BindShortcuts"), bound));
                    // The user may have left some without a trigger; those simply never come.
                    for (const KeyCombination& c : requested_) bound_.emplace(ShortcutId(c), c);
                    state_ = State::Bound;
                });
        });
}

void GlobalShortcutsMonitor::Fail(const QString& why) {
    CloseSession();
    state_ = State::Refused;
    if (refused_) {
        auto refused = std::move(refused_);
        refused_ = nullptr;
        refused(why);
    }
}

void GlobalShortcutsMonitor::CloseSession() {
    ++generation_;
    requested_.clear();
    bound_.clear();
    held_.reset();
    if (session_.isEmpty()) return;
    bus_.disconnect(QString(), session_, QLatin1String(kSessionInterface), QStringLiteral("Closed"), this,
                    SLOT(OnSessionClosed(QVariantMap)));
    bus_.call(QDBusMessage::createMethodCall(QLatin1String(kPortalService), session_,
                                             QLatin1String(kSessionInterface), QStringLiteral("Close")),
              QDBus::NoBlock);
    session_.clear();
}

void GlobalShortcutsMonitor::OnSessionClosed(const QVariantMap&) {
    // The desktop ended the session (it restarted, or the user revoked it): its shortcuts are
    // gone, and the next activation of the hot keys binds them in a new one.
    bus_.disconnect(QString(), session_, QLatin1String(kSessionInterface), QStringLiteral("Closed"), this,
                    SLOT(OnSessionClosed(QVariantMap)));
    session_.clear();
    ++generation_;
    requested_.clear();
    bound_.clear();
    held_.reset();
    if (state_ != State::Refused) state_ = State::Idle;
}

const KeyCombination* GlobalShortcutsMonitor::Shortcut(const QDBusMessage& signal) const {
    const QVariantList args = signal.arguments();
    if (session_.isEmpty() || args.size() < 2) return nullptr;
    if (args[0].value<QDBusObjectPath>().path() != session_) return nullptr;
    const auto found = bound_.find(args[1].toString());
    return found == bound_.end() ? nullptr : &found->second;
}

void GlobalShortcutsMonitor::OnActivated(const QDBusMessage& signal) {
    const KeyCombination* shortcut = Shortcut(signal);
    if (!shortcut) return;
    const KeyCombination pressed = *shortcut;
    held_ = pressed;
    // The desktop has taken the key already: whatever the handler answers, the focused
    // window never sees it.
    if (handler_) handler_(KeyTransition{pressed.virtualKey, 0, pressed.modifiers});
}

void GlobalShortcutsMonitor::OnDeactivated(const QDBusMessage& signal) {
    const KeyCombination* shortcut = Shortcut(signal);
    if (!shortcut) return;
    const KeyCombination released = *shortcut;
    // Shift still counts as held for the release, so that it matches the press.
    if (handler_) {
        handler_(KeyTransition{released.virtualKey, kKeyFlagWasDown | kKeyFlagReleasing, released.modifiers});
    }
    if (held_ == released) held_.reset();
}

}  // namespace quorvane
