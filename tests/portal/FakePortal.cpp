// quorvane_fake_portal: a stand-in for the desktop portal on a private session bus, for the
// tests of typing through RemoteDesktop and hot keys through GlobalShortcuts. It owns
// org.freedesktop.portal.Desktop and answers as the real portal does: each request method
// returns its Request path at once and answers later with that object's Response signal,
// keyboard events are refused until a started session was granted the keyboard, a restore
// token is handed out where the version has them, and a session can be closed from either
// side. Every call is recorded, in order, for the test to read back.
//
// Options (all numbers):
//   --remote-desktop-version N   0 leaves the RemoteDesktop interface out (default 2)
//   --device-types N             AvailableDeviceTypes (default 7)
//   --start-response N           the Response code of Start: 0 granted, 1 refused by the
//                                user, 2 failed (default 0)
//   --start-delay-ms N           how long the "consent dialog" stays open (default 0)
//   --global-shortcuts-version N 0 leaves the GlobalShortcuts interface out (default 1)
//   --bind-response N            the Response code of BindShortcuts (default 0)
//
// The test interface org.quorvane.test.FakePortal on the same object:
//   Calls() -> as                 the calls so far, one line each
//   Activate(s id), Deactivate(s id)  a bound shortcut pressed or let go
//   CloseSession()                the desktop ends the RemoteDesktop session (Closed signal)
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QDateTime>
#include <QTimer>
#include <cstdio>
#include <map>

namespace {

constexpr char kPath[] = "/org/freedesktop/portal/desktop";
constexpr char kRemoteDesktop[] = "org.freedesktop.portal.RemoteDesktop";
constexpr char kGlobalShortcuts[] = "org.freedesktop.portal.GlobalShortcuts";
constexpr char kSession[] = "org.freedesktop.portal.Session";
constexpr char kTest[] = "org.quorvane.test.FakePortal";
constexpr char kProperties[] = "org.freedesktop.DBus.Properties";
constexpr char kAccessDenied[] = "org.freedesktop.DBus.Error.AccessDenied";

struct Shortcut {
    QString id;
    QVariantMap properties;
};
using Shortcuts = QList<Shortcut>;

QDBusArgument& operator<<(QDBusArgument& out, const Shortcut& s) {
    out.beginStructure();
    out << s.id << s.properties;
    out.endStructure();
    return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, Shortcut& s) {
    in.beginStructure();
    in >> s.id >> s.properties;
    in.endStructure();
    return in;
}

}  // namespace

Q_DECLARE_METATYPE(Shortcut)

namespace {

struct Options {
    uint remoteDesktopVersion = 2;
    uint deviceTypes = 7;
    uint startResponse = 0;
    int startDelayMs = 0;
    uint globalShortcutsVersion = 1;
    uint bindResponse = 0;
};

struct Session {
    QString interface;  // the portal interface that created it
    QString owner;      // the unique name of the client that made it
    bool started = false;
    uint types = 0;
    uint persistMode = 0;
    uint grantedTypes = 0;
    Shortcuts shortcuts;
};

// An a{sv} argument as a map: a virtual object gets it still marshalled.
QVariantMap MapAt(const QDBusMessage& m, int index) {
    const QVariant value = m.arguments().value(index);
    if (value.canConvert<QDBusArgument>()) return qdbus_cast<QVariantMap>(value.value<QDBusArgument>());
    return value.toMap();
}

class FakePortal : public QDBusVirtualObject {
  public:
    explicit FakePortal(const Options& options) : options_(options) {}

    QString introspect(const QString& path) const override {
        if (path != QLatin1String(kPath)) return {};
        QString xml;
        if (options_.remoteDesktopVersion > 0)
            xml += QStringLiteral("<interface name=\"%1\"/>").arg(QLatin1String(kRemoteDesktop));
        if (options_.globalShortcutsVersion > 0)
            xml += QStringLiteral("<interface name=\"%1\"/>").arg(QLatin1String(kGlobalShortcuts));
        return xml + QStringLiteral("<interface name=\"%1\"/>").arg(QLatin1String(kTest));
    }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        const QString interface = message.interface();
        const QString member = message.member();
        if (message.path() != QLatin1String(kPath)) {
            if (interface == QLatin1String(kSession) && member == QLatin1String("Close")) {
                Record(QStringLiteral("Session.Close"));
                sessions_.erase(message.path());
                Reply(connection, message, {});
                return true;
            }
            return false;
        }
        if (interface == QLatin1String(kProperties)) return Properties(message, connection);
        if (interface == QLatin1String(kTest)) return Test(message, connection);
        if (interface == QLatin1String(kRemoteDesktop) && options_.remoteDesktopVersion > 0)
            return RemoteDesktop(message, connection);
        if (interface == QLatin1String(kGlobalShortcuts) && options_.globalShortcutsVersion > 0)
            return GlobalShortcuts(message, connection);
        Error(connection, message, QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"),
              QStringLiteral("No such interface or method"));
        return true;
    }

  private:
    void Record(const QString& line) { calls_.append(line); }

    static void Reply(const QDBusConnection& c, const QDBusMessage& m, const QVariantList& out) {
        c.send(m.createReply(out));
    }
    static void Error(const QDBusConnection& c, const QDBusMessage& m, const QString& name,
                      const QString& text) {
        c.send(m.createErrorReply(name, text));
    }

    static QString PathOf(const QDBusMessage& m, const QString& kind, const QString& token) {
        QString sender = m.service();
        sender.remove(0, 1);
        sender.replace(u'.', u'_');
        return QStringLiteral("%1/%2/%3/%4").arg(QLatin1String(kPath), kind, sender, token);
    }

    // Returns the Request path now and sends its Response after delayMs, as the portal does.
    void Answer(const QDBusConnection& c, const QDBusMessage& m, const QVariantMap& options,
                uint code, const QVariantMap& results, int delayMs = 0) {
        const QString request =
            PathOf(m, QStringLiteral("request"), options.value(QStringLiteral("handle_token")).toString());
        Reply(c, m, {QVariant::fromValue(QDBusObjectPath(request))});
        QTimer::singleShot(delayMs, [c, request, code, results] {
            QDBusMessage response = QDBusMessage::createSignal(
                request, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
            response << code << results;
            QDBusConnection(c).send(response);
        });
    }

    Session* Find(const QDBusMessage& m, const QString& interface) {
        const QString path = m.arguments().value(0).value<QDBusObjectPath>().path();
        auto it = sessions_.find(path);
        if (it == sessions_.end() || it->second.interface != interface) return nullptr;
        return &it->second;
    }

    bool CreateSession(const QDBusMessage& m, const QDBusConnection& c, const QString& interface) {
        const QVariantMap options = MapAt(m, 0);
        const QString path = PathOf(
            m, QStringLiteral("session"), options.value(QStringLiteral("session_handle_token")).toString());
        Session session;
        session.interface = interface;
        session.owner = m.service();
        sessions_[path] = session;
        Record(QStringLiteral("%1.CreateSession").arg(interface.section(u'.', -1)));
        Answer(c, m, options, 0, {{QStringLiteral("session_handle"), path}});
        return true;
    }

    bool RemoteDesktop(const QDBusMessage& m, const QDBusConnection& c) {
        const QString member = m.member();
        const QVariantList args = m.arguments();
        if (member == QLatin1String("CreateSession")) return CreateSession(m, c, QLatin1String(kRemoteDesktop));
        Session* session = Find(m, QLatin1String(kRemoteDesktop));
        if (!session) {
            Error(c, m, QLatin1String(kAccessDenied), QStringLiteral("Invalid session"));
            return true;
        }
        if (member == QLatin1String("SelectDevices")) {
            const QVariantMap options = MapAt(m, 1);
            session->types = options.value(QStringLiteral("types"), options_.deviceTypes).toUInt();
            session->persistMode = options.value(QStringLiteral("persist_mode")).toUInt();
            const QString token = options.value(QStringLiteral("restore_token")).toString();
            Record(QStringLiteral("RemoteDesktop.SelectDevices types=%1 persist_mode=%2 restore_token=%3")
                       .arg(session->types)
                       .arg(session->persistMode)
                       .arg(token.isEmpty() ? QStringLiteral("-") : token));
            restored_ = !token.isEmpty() && token == lastToken_;
            Answer(c, m, options, 0, {});
            return true;
        }
        if (member == QLatin1String("Start")) {
            const QVariantMap options = MapAt(m, 2);
            Record(QStringLiteral("RemoteDesktop.Start%1").arg(restored_ ? QStringLiteral(" restored") : QString()));
            // A restored session asks nobody: it is granted at once.
            const uint code = restored_ ? 0 : options_.startResponse;
            QVariantMap results;
            if (code == 0) {
                session->started = true;
                session->grantedTypes = session->types & options_.deviceTypes;
                results.insert(QStringLiteral("devices"), session->grantedTypes);
                if (options_.remoteDesktopVersion >= 2 && session->persistMode != 0) {
                    lastToken_ = QStringLiteral("token-%1").arg(++tokens_);
                    results.insert(QStringLiteral("restore_token"), lastToken_);
                }
            }
            Answer(c, m, options, code, results, restored_ ? 0 : options_.startDelayMs);
            return true;
        }
        if (member == QLatin1String("NotifyKeyboardKeysym") ||
            member == QLatin1String("NotifyKeyboardKeycode")) {
            if (!session->started || (session->grantedTypes & 1u) == 0) {
                Error(c, m, QLatin1String(kAccessDenied), QStringLiteral("Session is not allowed to use the keyboard"));
                return true;
            }
            Record(QStringLiteral("RemoteDesktop.%1 0x%2 %3")
                       .arg(member)
                       .arg(static_cast<uint>(args.value(2).toInt()), 0, 16)
                       .arg(args.value(3).toUInt()));
            Reply(c, m, {});
            return true;
        }
        Error(c, m, QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"), member);
        return true;
    }

    bool GlobalShortcuts(const QDBusMessage& m, const QDBusConnection& c) {
        const QString member = m.member();
        const QVariantList args = m.arguments();
        if (member == QLatin1String("CreateSession")) return CreateSession(m, c, QLatin1String(kGlobalShortcuts));
        Session* session = Find(m, QLatin1String(kGlobalShortcuts));
        if (!session) {
            Error(c, m, QLatin1String(kAccessDenied), QStringLiteral("Invalid session"));
            return true;
        }
        if (member == QLatin1String("BindShortcuts")) {
            Shortcuts wanted;
            args.value(1).value<QDBusArgument>() >> wanted;
            QStringList bound;
            for (Shortcut& s : wanted) {
                const QString trigger = s.properties.value(QStringLiteral("preferred_trigger")).toString();
                bound << QStringLiteral("%1=%2").arg(s.id, trigger);
                s.properties = {{QStringLiteral("description"), s.properties.value(QStringLiteral("description"))},
                                {QStringLiteral("trigger_description"), trigger}};
            }
            Record(QStringLiteral("GlobalShortcuts.BindShortcuts %1").arg(bound.join(u' ')));
            QVariantMap results;
            if (options_.bindResponse == 0) {
                session->shortcuts = wanted;
                results.insert(QStringLiteral("shortcuts"), QVariant::fromValue(wanted));
            }
            Answer(c, m, MapAt(m, 3), options_.bindResponse, results);
            return true;
        }
        if (member == QLatin1String("ListShortcuts")) {
            Record(QStringLiteral("GlobalShortcuts.ListShortcuts"));
            Answer(c, m, MapAt(m, 1), 0,
                   {{QStringLiteral("shortcuts"), QVariant::fromValue(session->shortcuts)}});
            return true;
        }
        Error(c, m, QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"), member);
        return true;
    }

    bool Properties(const QDBusMessage& m, const QDBusConnection& c) {
        const QString interface = m.arguments().value(0).toString();
        QVariantMap values;
        if (interface == QLatin1String(kRemoteDesktop) && options_.remoteDesktopVersion > 0) {
            values = {{QStringLiteral("version"), options_.remoteDesktopVersion},
                      {QStringLiteral("AvailableDeviceTypes"), options_.deviceTypes}};
        } else if (interface == QLatin1String(kGlobalShortcuts) && options_.globalShortcutsVersion > 0) {
            values = {{QStringLiteral("version"), options_.globalShortcutsVersion}};
        } else {
            Error(c, m, QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"), QStringLiteral("No such interface"));
            return true;
        }
        if (m.member() == QLatin1String("GetAll")) {
            Reply(c, m, {values});
        } else if (values.contains(m.arguments().value(1).toString())) {
            Reply(c, m, {QVariant::fromValue(QDBusVariant(values.value(m.arguments().value(1).toString())))});
        } else {
            Error(c, m, QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"), QStringLiteral("No such property"));
        }
        return true;
    }

    bool Test(const QDBusMessage& m, const QDBusConnection& c) {
        const QString member = m.member();
        if (member == QLatin1String("Calls")) {
            Reply(c, m, {calls_});
            return true;
        }
        if (member == QLatin1String("Activate") || member == QLatin1String("Deactivate")) {
            const QString id = m.arguments().value(0).toString();
            for (const auto& [path, session] : sessions_) {
                if (session.interface != QLatin1String(kGlobalShortcuts)) continue;
                QDBusMessage signal = QDBusMessage::createTargetedSignal(
                    session.owner, QLatin1String(kPath), QLatin1String(kGlobalShortcuts),
                    member == QLatin1String("Activate") ? QStringLiteral("Activated") : QStringLiteral("Deactivated"));
                signal << QVariant::fromValue(QDBusObjectPath(path)) << id
                       << static_cast<qulonglong>(QDateTime::currentMSecsSinceEpoch()) << QVariantMap();
                c.send(signal);
            }
            Reply(c, m, {});
            return true;
        }
        if (member == QLatin1String("CloseSession")) {
            for (auto it = sessions_.begin(); it != sessions_.end();) {
                if (it->second.interface != QLatin1String(kRemoteDesktop)) {
                    ++it;
                    continue;
                }
                QDBusMessage closed = QDBusMessage::createSignal(it->first, QLatin1String(kSession),
                                                                 QStringLiteral("Closed"));
                closed << QVariantMap();
                c.send(closed);
                it = sessions_.erase(it);
            }
            Record(QStringLiteral("Session.Closed"));
            Reply(c, m, {});
            return true;
        }
        return false;
    }

    Options options_;
    std::map<QString, Session> sessions_;
    QStringList calls_;
    QString lastToken_;
    int tokens_ = 0;
    bool restored_ = false;
};

bool ParseOptions(const QStringList& args, Options& options) {
    for (int i = 1; i < args.size(); i += 2) {
        if (i + 1 >= args.size()) return false;
        bool ok = false;
        const int value = args[i + 1].toInt(&ok);
        if (!ok || value < 0) return false;
        const QString& name = args[i];
        if (name == QLatin1String("--remote-desktop-version")) options.remoteDesktopVersion = value;
        else if (name == QLatin1String("--device-types")) options.deviceTypes = value;
        else if (name == QLatin1String("--start-response")) options.startResponse = value;
        else if (name == QLatin1String("--start-delay-ms")) options.startDelayMs = value;
        else if (name == QLatin1String("--global-shortcuts-version")) options.globalShortcutsVersion = value;
        else if (name == QLatin1String("--bind-response")) options.bindResponse = value;
        else return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    qDBusRegisterMetaType<Shortcut>();
    qDBusRegisterMetaType<Shortcuts>();
    Options options;
    if (!ParseOptions(app.arguments(), options)) {
        std::fprintf(stderr, "quorvane_fake_portal: bad options\n");
        return 2;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    FakePortal portal(options);
    if (!bus.registerVirtualObject(QLatin1String(kPath), &portal, QDBusConnection::SubPath)) {
        std::fprintf(stderr, "quorvane_fake_portal: cannot register the portal object\n");
        return 1;
    }
    if (!bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop"))) {
        std::fprintf(stderr, "quorvane_fake_portal: the portal name is taken\n");
        return 1;
    }
    // The test waits for this line before it starts.
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}
