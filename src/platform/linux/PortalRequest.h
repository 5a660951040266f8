// The request pattern of the desktop portals (org.freedesktop.portal.Desktop): a method
// answers at once with the path of a Request object, and the real answer comes later as that
// object's Response signal (0 granted, 1 cancelled by the user, 2 failed otherwise). The path
// is known before the call, from our unique bus name and a handle token of our own, so the
// signal is listened for before the call is made and an early answer is never missed.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QVariantList>
#include <QVariantMap>
#include <cstdint>
#include <functional>
#include <optional>

namespace quorvane {

inline constexpr char kPortalService[] = "org.freedesktop.portal.Desktop";
inline constexpr char kPortalPath[] = "/org/freedesktop/portal/desktop";

struct PortalResponse {
    static constexpr uint32_t kGranted = 0;
    static constexpr uint32_t kCancelled = 1;  // the user said no
    static constexpr uint32_t kFailed = 2;

    uint32_t code = kFailed;
    QVariantMap results;
    // Set when the call itself failed (a D-Bus error); code is then kFailed.
    QString error;
    bool timedOut = false;  // no answer in time; code is then kFailed

    bool Granted() const { return code == kGranted; }
};

// What went wrong with the answer to method, for messages ("Start: cancelled by the user");
// empty when the request was granted.
QString PortalFailure(const QString& method, const PortalResponse& response);

// A fresh token for handle_token and session_handle_token options: "quorvane_N".
QString NewPortalToken();

// The path the portal gives to a request or session object of ours: kind is "request" or
// "session".
QString PortalObjectPath(const QDBusConnection& bus, const QString& kind, const QString& token);

// The version property of a portal interface, or nothing when the portal does not answer
// within timeoutMs or lacks the interface.
std::optional<uint32_t> PortalInterfaceVersion(const QDBusConnection& bus,
                                               const QString& interface, int timeoutMs);
// Any unsigned property of a portal interface, or nothing.
std::optional<uint32_t> PortalUnsignedProperty(const QDBusConnection& bus,
                                               const QString& interface, const QString& name,
                                               int timeoutMs);

// One request in flight. Call starts it; done is called once, on the program's thread, with
// the response (also when the call fails or the deadline passes). The object deletes itself
// after done returns.
class PortalRequest : public QObject {
    Q_OBJECT

  public:
    using Done = std::function<void(const PortalResponse&)>;

    // Calls method of interface on the portal with args; the last of args must be the
    // options map, to which the handle token is added. timeoutMs bounds the wait for the
    // Response (a consent dialog may stay open for a while; 0 waits without end).
    static void Call(QDBusConnection bus, const QString& interface, const QString& method,
                     QVariantList args, int timeoutMs, Done done);

    // Call, waiting in a nested event loop for the response.
    static PortalResponse CallAndWait(QDBusConnection bus, const QString& interface,
                                      const QString& method, QVariantList args, int timeoutMs);

  private slots:
    void OnResponse(uint code, const QVariantMap& results);

  private:
    PortalRequest(QDBusConnection bus, QString path, Done done);
    void Finish(const PortalResponse& response);

    QDBusConnection bus_;
    QString path_;
    Done done_;
    bool finished_ = false;
};

}  // namespace quorvane
