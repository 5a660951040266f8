#include "platform/linux/DbusDdeLinkSubscription.h"

#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QPointer>

#include "delivery/DdeBusNames.h"
#include "delivery/DdeBusText.h"

namespace quorvane {

namespace {

constexpr int kRequestTimeoutMs = 5000;

QString Path() {
    return QString::fromUtf8(kDdeObjectPath);
}
QString Interface() {
    return QString::fromUtf8(kDdeInterface);
}

}  // namespace

DbusDdeLinkSubscription::DbusDdeLinkSubscription(const QDBusConnection& connection,
                                                 const QString& busName, const std::string& item,
                                                 DdeLinkClient::ValueCallback onValue,
                                                 DdeLinkClient::ErrorCallback onError)
    : connection_(connection),
      busName_(busName),
      busItem_(QString::fromStdString(DdeTextToBus(item))),
      onValue_(std::move(onValue)),
      onError_(std::move(onError)) {
    watcher_ = new QDBusServiceWatcher(busName_, connection_,
                                       QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher_, &QDBusServiceWatcher::serviceOwnerChanged, this,
            &DbusDdeLinkSubscription::OnOwnerChanged);
}

DbusDdeLinkSubscription::~DbusDdeLinkSubscription() {
    Stop();
}

bool DbusDdeLinkSubscription::Start(const QString& owner, std::string* failure) {
    // The well-known name, not the owner: the bus library then follows a new owner of the
    // name, and the signals of another program never arrive here.
    connected_ = connection_.connect(busName_, Path(), Interface(), QStringLiteral("Changed"), this,
                                     SLOT(OnChanged(QString, QString)));
    if (!connected_) {
        *failure = "the bus refused to follow " + busName_.toStdString() + ": " +
                   connection_.lastError().message().toStdString();
        return false;
    }
    // The current value comes as the first one; the match is in place before we ask, so
    // no change in between is missed.
    QDBusMessage request =
        QDBusMessage::createMethodCall(owner, Path(), Interface(), QStringLiteral("Request"));
    request << busItem_;
    auto* call =
        new QDBusPendingCallWatcher(connection_.asyncCall(request, kRequestTimeoutMs), this);
    connect(call, &QDBusPendingCallWatcher::finished, this,
            &DbusDdeLinkSubscription::OnRequestAnswered);
    return true;
}

void DbusDdeLinkSubscription::Stop() {
    if (stopped_) return;
    stopped_ = true;
    if (connected_)
        connection_.disconnect(busName_, Path(), Interface(), QStringLiteral("Changed"), this,
                               SLOT(OnChanged(QString, QString)));
    connected_ = false;
    if (watcher_) watcher_->setWatchedServices({});
}

void DbusDdeLinkSubscription::OnChanged(const QString& item, const QString& value) {
    // Item names match the way DDE item names do: ASCII letters in any case.
    if (stopped_ || item.compare(busItem_, Qt::CaseInsensitive) != 0) return;
    changeSeen_ = true;
    Deliver(value);
}

void DbusDdeLinkSubscription::OnRequestAnswered(QDBusPendingCallWatcher* call) {
    call->deleteLater();
    if (stopped_) return;
    const QDBusMessage reply = call->reply();
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        Fail();  // no such item, or the program did not answer
        return;
    }
    // A change that came first is at least as new as this answer: the server answers and
    // signals in order, so the answer would only repeat it.
    if (changeSeen_) return;
    Deliver(reply.arguments().first().toString());
}

void DbusDdeLinkSubscription::OnOwnerChanged(const QString& name, const QString& oldOwner,
                                             const QString& newOwner) {
    if (stopped_ || name != busName_ || oldOwner.isEmpty() || oldOwner == newOwner) return;
    Fail();
}

// The callbacks may stop or delete this subscription: they run on copies, and nothing of
// this object is touched after them.
void DbusDdeLinkSubscription::Deliver(const QString& value) {
    const DdeLinkClient::ValueCallback callback = onValue_;
    if (callback) callback(DdeTextFromBus(value.toStdString()));
}

void DbusDdeLinkSubscription::Fail() {
    const DdeLinkClient::ErrorCallback callback = onError_;
    if (callback) callback();
}

}  // namespace quorvane
