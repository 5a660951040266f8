#include "platform/linux/DbusDdeClient.h"

#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QEventLoop>
#include <QStringList>
#include <QTimer>

#include "delivery/DdeBusNames.h"
#include "delivery/DdeBusText.h"
#include "platform/linux/SessionBus.h"

namespace quorvane {

DbusDdeClient::DbusDdeClient(DisconnectCallback onDisconnect, std::string address)
    : address_(std::move(address)),
      connectionName_(NextConnectionName("quorvane-dde-client-")),
      onDisconnect_(std::move(onDisconnect)) {}

DbusDdeClient::~DbusDdeClient() {
    watcher_.reset();
    if (connection_) {
        connection_.reset();
        QDBusConnection::disconnectFromBus(connectionName_);
    }
}

bool DbusDdeClient::EnsureConnection() {
    if (connection_ && connection_->isConnected()) return true;
    watcher_.reset();
    connection_.reset();
    connection_ = ConnectNamed(address_, connectionName_);
    if (!connection_) return false;
    watcher_ = std::make_unique<QDBusServiceWatcher>(QString(), *connection_,
                                                     QDBusServiceWatcher::WatchForOwnerChange);
    QObject::connect(watcher_.get(), &QDBusServiceWatcher::serviceOwnerChanged,
                     [this](const QString& name, const QString& oldOwner, const QString& newOwner) {
                         OnOwnerChanged(name, oldOwner, newOwner);
                     });
    return true;
}

QString DbusDdeClient::OwnerOf(const QString& busName) {
    // The watch is in place before the question, so a departure after the answer is seen.
    watcher_->setWatchedServices({busName});
    return BusNameOwner(*connection_, busName, kExecuteTimeoutMs);
}

QString DbusDdeClient::FindNameIgnoringCase(const QString& busName) {
    return BusNameIgnoringCase(*connection_, busName, kExecuteTimeoutMs);
}

DdeConversationId DbusDdeClient::DdeClientConnect(const std::string& application,
                                                  const std::string& topic) {
    EndConversation();
    const std::string busName = DdeBusName(application, topic);
    if (!IsValidWellKnownBusName(busName) || !EnsureConnection()) return 0;
    QString name = QString::fromStdString(busName);
    QString owner = OwnerOf(name);
    if (owner.isEmpty()) {
        name = FindNameIgnoringCase(name);
        if (!name.isEmpty()) owner = OwnerOf(name);
    }
    if (owner.isEmpty()) {
        watcher_->setWatchedServices({});
        return 0;
    }
    peerName_ = name;
    peer_ = owner;
    current_ = ++lastId_;
    return current_;
}

void DbusDdeClient::DdeClientExecute(DdeConversationId& conversation, const std::string& command) {
    if (command.empty() || conversation == 0) return;
    if (conversation != current_ || !connection_) {
        conversation = 0;
        return;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(peer_, QString::fromUtf8(kDdeObjectPath),
                                       QString::fromUtf8(kDdeInterface), QStringLiteral("Execute"));
    call << QString::fromStdString(DdeTextToBus(command));
    QDBusPendingCall pending = connection_->asyncCall(call, kExecuteTimeoutMs);
    if (!pending.isFinished()) {
        // A nested loop keeps the interface (and this program's own server) answering;
        // the timer bounds the wait even if the bus never reports the time-out.
        QEventLoop loop;
        QDBusPendingCallWatcher watch(pending);
        QObject::connect(&watch, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(kExecuteTimeoutMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    // The outcome (accepted, refused, timed out) is not reported. The other side may have
    // gone while we waited.
    if (conversation != current_) conversation = 0;
}

void DbusDdeClient::DdeClientDisconnect(DdeConversationId& conversation) {
    if (conversation != 0 && conversation == current_) EndConversation();
    conversation = 0;
}

void DbusDdeClient::EndConversation() {
    current_ = 0;
    peerName_.clear();
    peer_.clear();
    if (watcher_) watcher_->setWatchedServices({});
}

void DbusDdeClient::OnOwnerChanged(const QString& name, const QString& oldOwner,
                                   const QString& newOwner) {
    if (current_ == 0 || name != peerName_ || oldOwner != peer_ || newOwner == peer_) return;
    const DdeConversationId ended = current_;
    EndConversation();
    if (onDisconnect_) onDisconnect_(ended);
}

}  // namespace quorvane
