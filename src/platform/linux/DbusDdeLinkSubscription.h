// One hot link on the bus: follows the Changed signal of one bus name for one item, asks
// for the item's current value once, and reports when the name's owner goes away. Owned by
// DbusDdeLink; after Stop no callback runs.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <string>

#include "platform/DdeLinkClient.h"

class QDBusPendingCallWatcher;
class QDBusServiceWatcher;

namespace quorvane {

class DbusDdeLinkSubscription : public QObject {
    Q_OBJECT

  public:
    // item is code-page bytes. The owner watch starts here, before the caller looks the
    // owner up, so a departure right after the look-up is still seen.
    DbusDdeLinkSubscription(const QDBusConnection& connection, const QString& busName,
                            const std::string& item, DdeLinkClient::ValueCallback onValue,
                            DdeLinkClient::ErrorCallback onError);
    ~DbusDdeLinkSubscription() override;

    // Follows the item of owner (the unique name that owns busName now); false with
    // *failure set when the bus refuses the match rule.
    bool Start(const QString& owner, std::string* failure);
    // No more callbacks; the match rule is removed.
    void Stop();

  private Q_SLOTS:
    void OnChanged(const QString& item, const QString& value);

  private:
    void OnRequestAnswered(QDBusPendingCallWatcher* call);
    void OnOwnerChanged(const QString& name, const QString& oldOwner, const QString& newOwner);
    void Deliver(const QString& value);
    void Fail();

    QDBusConnection connection_;
    QString busName_;
    QString busItem_;  // the item as the bus spells it
    DdeLinkClient::ValueCallback onValue_;
    DdeLinkClient::ErrorCallback onError_;
    QDBusServiceWatcher* watcher_ = nullptr;
    bool connected_ = false;
    bool stopped_ = false;
    bool changeSeen_ = false;
};

}  // namespace quorvane
