#include "platform/linux/SessionBus.h"

#include <QStringList>

#include <sys/stat.h>

#include <cstdlib>

namespace quorvane {

namespace {

// Bytes outside the address syntax's plain set are written %XX.
std::string EscapeAddressValue(const std::string& value) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    for (char ch : value) {
        const auto c = static_cast<unsigned char>(ch);
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '/' || c == '.' ||
                           c == '\\' || c == '*';
        if (plain) {
            out += ch;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        }
    }
    return out;
}

}  // namespace

std::optional<std::string> SessionBusAddressFrom(
    const char* envAddress, const char* runtimeDir,
    const std::function<bool(const std::string&)>& isSocket) {
    if (envAddress && *envAddress) return std::string(envAddress);
    if (runtimeDir && *runtimeDir) {
        const std::string path = std::string(runtimeDir) + "/bus";
        if (isSocket(path)) return "unix:path=" + EscapeAddressValue(path);
    }
    return std::nullopt;
}

std::optional<std::string> SessionBusAddress() {
    return SessionBusAddressFrom(std::getenv("DBUS_SESSION_BUS_ADDRESS"),
                                 std::getenv("XDG_RUNTIME_DIR"), [](const std::string& path) {
                                     struct stat st {};
                                     return ::stat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
                                 });
}

bool SessionBusAvailable() {
    return SessionBusAddress().has_value();
}

QDBusMessage BusDaemonCall(const char* method) {
    return QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QString::fromLatin1(method));
}

QString NextConnectionName(const char* prefix) {
    static int number = 0;
    return QString::fromLatin1(prefix) + QString::number(++number);
}

std::unique_ptr<QDBusConnection> ConnectNamed(const std::string& address, const QString& name,
                                              QString* error) {
    std::string target = address;
    if (target.empty()) {
        const auto found = SessionBusAddress();
        if (!found) return nullptr;
        target = *found;
    }
    QDBusConnection::disconnectFromBus(name);
    auto connection = std::make_unique<QDBusConnection>(
        QDBusConnection::connectToBus(QString::fromStdString(target), name));
    if (connection->isConnected()) return connection;
    if (error) *error = connection->lastError().message();
    connection.reset();
    QDBusConnection::disconnectFromBus(name);
    return nullptr;
}

QString BusNameOwner(QDBusConnection& connection, const QString& busName, int timeoutMs) {
    QDBusMessage ask = BusDaemonCall("GetNameOwner");
    ask << busName;
    const QDBusMessage reply = connection.call(ask, QDBus::Block, timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return {};
    return reply.arguments().first().toString();
}

QString BusNameIgnoringCase(QDBusConnection& connection, const QString& busName, int timeoutMs) {
    const QDBusMessage reply = connection.call(BusDaemonCall("ListNames"), QDBus::Block, timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return {};
    QStringList names = reply.arguments().first().toStringList();
    names.sort();
    for (const QString& name : names)
        if (!name.startsWith(u':') && name.compare(busName, Qt::CaseInsensitive) == 0) return name;
    return {};
}

}  // namespace quorvane
