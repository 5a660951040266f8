#include "platform/linux/DbusDdeServer.h"

#include <QDBusMessage>

#include "delivery/DdeBusNames.h"
#include "delivery/DdeBusText.h"
#include "platform/linux/DbusDdeObject.h"
#include "platform/linux/SessionBus.h"

namespace quorvane {

namespace {

// RequestName flags and answers of the bus daemon.
constexpr uint kDoNotQueue = 4;
constexpr uint kPrimaryOwner = 1;
constexpr uint kAlreadyOwner = 4;

}  // namespace

DbusDdeServer::DbusDdeServer(std::string address)
    : address_(std::move(address)), connectionName_(NextConnectionName("quorvane-dde-server-")) {}

DbusDdeServer::~DbusDdeServer() {
    Release();
    delete object_;
}

DdeServeStatus DbusDdeServer::Serve(const std::string& topic) {
    Release();
    DdeServeStatus status;
    status.busName = DdeBusName(kDdeServiceName, topic);
    if (!IsValidWellKnownBusName(status.busName)) {
        status.result = DdeServeResult::Failed;
        status.detail = "the bus name would be longer than 255 characters";
        return status;
    }
    QString error;
    connection_ = ConnectNamed(address_, connectionName_, &error);
    if (!connection_) {
        status.result = DdeServeResult::NoBus;
        status.detail = error.toStdString();
        Disconnect();
        return status;
    }

    // The object first, so a client that sees the name can call at once.
    if (!object_) object_ = new DbusDdeObject(&source_, &handler_);
    const QString path = QString::fromUtf8(kDdeObjectPath);
    if (!connection_->registerObject(
            path, object_, QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals)) {
        status.result = DdeServeResult::Failed;
        status.detail = "the object path is in use";
        Disconnect();
        return status;
    }

    QDBusMessage request = BusDaemonCall("RequestName");
    request << QString::fromStdString(status.busName) << kDoNotQueue;
    const QDBusMessage reply = connection_->call(request, QDBus::Block, 5000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        status.result = DdeServeResult::Failed;
        status.detail = reply.errorMessage().toStdString();
        Disconnect();
        return status;
    }
    const uint answer = reply.arguments().first().toUInt();
    if (answer != kPrimaryOwner && answer != kAlreadyOwner) {
        status.result = DdeServeResult::NameTaken;
        Disconnect();
        return status;
    }
    busName_ = status.busName;
    serving_ = true;
    status.result = DdeServeResult::Serving;
    return status;
}

void DbusDdeServer::Release() {
    if (!connection_) return;
    if (serving_) {
        // Waits for the daemon, so the name is free (and clients told) before we go on.
        QDBusMessage release = BusDaemonCall("ReleaseName");
        release << QString::fromStdString(busName_);
        connection_->call(release, QDBus::Block, 5000);
    }
    Disconnect();
}

void DbusDdeServer::Disconnect() {
    if (connection_) {
        connection_->unregisterObject(QString::fromUtf8(kDdeObjectPath));
        connection_.reset();
        QDBusConnection::disconnectFromBus(connectionName_);
    }
    // A command being executed may be what released us: the object goes after its call.
    if (object_) {
        object_->Detach();
        object_->deleteLater();
        object_ = nullptr;
    }
    serving_ = false;
    busName_.clear();
}

void DbusDdeServer::ItemChanged(const std::string& item, const std::string& value) {
    if (!serving_) return;
    QDBusMessage signal =
        QDBusMessage::createSignal(QString::fromUtf8(kDdeObjectPath),
                                   QString::fromUtf8(kDdeInterface), QStringLiteral("Changed"));
    signal << QString::fromStdString(DdeTextToBus(item))
           << QString::fromStdString(DdeTextToBus(value));
    connection_->send(signal);
}

}  // namespace quorvane
