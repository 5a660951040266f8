#include "platform/linux/DbusDdeLink.h"

#include <QDBusMessage>
#include <QStringList>

#include "delivery/DdeBusNames.h"
#include "platform/linux/DbusDdeLinkSubscription.h"
#include "platform/linux/SessionBus.h"

namespace quorvane {

DbusDdeLink::DbusDdeLink(std::string address)
    : address_(std::move(address)), connectionName_(NextConnectionName("quorvane-dde-link-")) {}

DbusDdeLink::~DbusDdeLink() {
    for (auto& [handle, link] : links_) delete link;
    links_.clear();
    if (connection_) {
        connection_.reset();
        QDBusConnection::disconnectFromBus(connectionName_);
    }
}

bool DbusDdeLink::EnsureConnection() {
    if (connection_ && connection_->isConnected()) return true;
    connection_.reset();
    connection_ = ConnectNamed(address_, connectionName_);
    return connection_ != nullptr;
}

// Blocking questions to the bus daemon only: it is another process, so nothing of ours
// has to run meanwhile, and no callback can arrive inside Subscribe.
QString DbusDdeLink::OwnerOf(const QString& busName) {
    return BusNameOwner(*connection_, busName, kBusTimeoutMs);
}

QString DbusDdeLink::FindNameIgnoringCase(const QString& busName) {
    return BusNameIgnoringCase(*connection_, busName, kBusTimeoutMs);
}

DdeLinkResult DbusDdeLink::Subscribe(const std::string& application, const std::string& topic,
                                     const std::string& item, ValueCallback onValue,
                                     ErrorCallback onError) {
    const std::string busName = DdeBusName(application, topic);
    if (!IsValidWellKnownBusName(busName)) return {0, busName + " is not a valid bus name"};
    if (!EnsureConnection()) return {0, "there is no session bus"};

    QString name = QString::fromStdString(busName);
    auto link =
        std::make_unique<DbusDdeLinkSubscription>(*connection_, name, item, onValue, onError);
    QString owner = OwnerOf(name);
    if (owner.isEmpty()) {
        name = FindNameIgnoringCase(name);
        if (name.isEmpty()) return {0, "no program serves " + busName};
        link = std::make_unique<DbusDdeLinkSubscription>(*connection_, name, item,
                                                         std::move(onValue), std::move(onError));
        owner = OwnerOf(name);
        if (owner.isEmpty()) return {0, "no program serves " + name.toStdString()};
    }
    std::string failure;
    if (!link->Start(owner, &failure)) return {0, failure};
    const DdeLinkHandle handle = ++lastHandle_;
    links_[handle] = link.release();
    return {handle, {}};
}

void DbusDdeLink::Unsubscribe(DdeLinkHandle handle) {
    const auto it = links_.find(handle);
    if (it == links_.end()) return;
    DbusDdeLinkSubscription* link = it->second;
    links_.erase(it);
    link->Stop();
    // Later: this may be a callback of the link itself.
    link->deleteLater();
}

}  // namespace quorvane
