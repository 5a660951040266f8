#include "platform/linux/PortalRequest.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QEventLoop>
#include <QTimer>
#include <atomic>

#include "strings/StringIds.h"
#include "strings/StringTable.h"

namespace quorvane {

namespace {

constexpr char kRequestInterface[] = "org.freedesktop.portal.Request";
constexpr char kPropertiesInterface[] = "org.freedesktop.DBus.Properties";

PortalResponse CallFailure(const QString& error) {
    PortalResponse response;
    response.error = error;
    return response;
}

}  // namespace

QString PortalFailure(const QString& method, const PortalResponse& response) {
    const std::string name = method.toStdString();
    if (response.timedOut)
        return QString::fromStdString(LoadString(kStrPortalNoAnswer, {name, response.error.toStdString()}));
    if (!response.error.isEmpty()) return method + QStringLiteral(": ") + response.error;
    if (response.code == PortalResponse::kCancelled)
        return QString::fromStdString(LoadString(kStrPortalCancelled, {name}));
    if (!response.Granted()) return QString::fromStdString(LoadString(kStrPortalRefused, {name}));
    return {};
}

QString NewPortalToken() {
    static std::atomic<unsigned> next{0};
    return QStringLiteral("quorvane_%1").arg(++next);
}

QString PortalObjectPath(const QDBusConnection& bus, const QString& kind, const QString& token) {
    // ":1.42" becomes "1_42".
    QString sender = bus.baseService();
    if (sender.startsWith(u':')) sender.remove(0, 1);
    sender.replace(u'.', u'_');
    return QStringLiteral("%1/%2/%3/%4").arg(QLatin1String(kPortalPath), kind, sender, token);
}

std::optional<uint32_t> PortalUnsignedProperty(const QDBusConnection& bus,
                                               const QString& interface, const QString& name,
                                               int timeoutMs) {
    QDBusMessage get = QDBusMessage::createMethodCall(
        QLatin1String(kPortalService), QLatin1String(kPortalPath),
        QLatin1String(kPropertiesInterface), QStringLiteral("Get"));
    get << interface << name;
    const QDBusMessage reply = bus.call(get, QDBus::Block, timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return {};
    const QVariant value = reply.arguments().first().value<QDBusVariant>().variant();
    bool ok = false;
    const uint number = value.toUInt(&ok);
    if (!ok) return {};
    return number;
}

std::optional<uint32_t> PortalInterfaceVersion(const QDBusConnection& bus,
                                               const QString& interface, int timeoutMs) {
    return PortalUnsignedProperty(bus, interface, QStringLiteral("version"), timeoutMs);
}

PortalRequest::PortalRequest(QDBusConnection bus, QString path, Done done)
    : bus_(std::move(bus)), path_(std::move(path)), done_(std::move(done)) {}

void PortalRequest::Call(QDBusConnection bus, const QString& interface, const QString& method,
                         QVariantList args, int timeoutMs, Done done) {
    if (!bus.isConnected()) {
        done(CallFailure(QStringLiteral("no session bus")));
        return;
    }
    const QString token = NewPortalToken();
    const QString path = PortalObjectPath(bus, QStringLiteral("request"), token);
    QVariantMap options = args.isEmpty() ? QVariantMap() : args.takeLast().toMap();
    options.insert(QStringLiteral("handle_token"), token);
    args.append(options);

    auto* request = new PortalRequest(bus, path, std::move(done));
    // Any sender: the portal may be started by this very call, so its name has no owner yet.
    bus.connect(QString(), path, QLatin1String(kRequestInterface), QStringLiteral("Response"),
                request, SLOT(OnResponse(uint, QVariantMap)));
    if (timeoutMs > 0) {
        QTimer::singleShot(timeoutMs, request, [request, timeoutMs] {
            PortalResponse late;
            late.timedOut = true;
            late.error = QString::number(timeoutMs / 1000.0, 'g', 3);  // the seconds waited
            request->Finish(late);
        });
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QLatin1String(kPortalService), QLatin1String(kPortalPath), interface, method);
    call.setArguments(args);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), request);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, request,
                     [request](QDBusPendingCallWatcher* finished) {
                         finished->deleteLater();
                         const QDBusPendingReply<QDBusObjectPath> reply = *finished;
                         if (reply.isError()) {
                             request->Finish(CallFailure(reply.error().name() + QStringLiteral(": ") +
                                                         reply.error().message()));
                         }
                     });
}

PortalResponse PortalRequest::CallAndWait(QDBusConnection bus, const QString& interface,
                                          const QString& method, QVariantList args,
                                          int timeoutMs) {
    PortalResponse result;
    bool done = false;
    QEventLoop loop;
    Call(std::move(bus), interface, method, std::move(args), timeoutMs,
         [&](const PortalResponse& response) {
             result = response;
             done = true;
             loop.quit();
         });
    if (!done) loop.exec();
    return result;
}

void PortalRequest::OnResponse(uint code, const QVariantMap& results) {
    PortalResponse response;
    response.code = code;
    response.results = results;
    Finish(response);
}

void PortalRequest::Finish(const PortalResponse& response) {
    if (finished_) return;
    finished_ = true;
    bus_.disconnect(QString(), path_, QLatin1String(kRequestInterface), QStringLiteral("Response"),
                    this, SLOT(OnResponse(uint, QVariantMap)));
    Done done = std::move(done_);
    deleteLater();
    if (done) done(response);
}

}  // namespace quorvane
