// DDE hot links on the D-Bus session bus: a link to application A, topic T and an item
// follows the Changed signal of the bus name "A.T" for that item and asks for the item's
// current value when it is made. A name that nobody owns fails at once; a link whose owner
// goes away, or that names an item the owner does not serve, reports a link error. Texts
// are code-page bytes; the bus carries UTF-8.
#pragma once

#include <QDBusConnection>
#include <QString>
#include <map>
#include <memory>
#include <string>

#include "platform/DdeLinkClient.h"

namespace quorvane {

class DbusDdeLinkSubscription;

class DbusDdeLink : public DdeLinkClient {
  public:
    // Each bus-daemon question waits at most this long.
    static constexpr int kBusTimeoutMs = 1000;

    // address: the bus to use; empty = the session bus found by SessionBusAddress(). No
    // connection is made before the first Subscribe.
    explicit DbusDdeLink(std::string address = {});
    ~DbusDdeLink() override;
    DbusDdeLink(const DbusDdeLink&) = delete;
    DbusDdeLink& operator=(const DbusDdeLink&) = delete;

    // Looks for the exact bus name, then for one equal to it ignoring ASCII case (DDE names
    // are not case-sensitive).
    DdeLinkResult Subscribe(const std::string& application, const std::string& topic,
                            const std::string& item, ValueCallback onValue,
                            ErrorCallback onError) override;
    void Unsubscribe(DdeLinkHandle handle) override;

    size_t ActiveLinks() const { return links_.size(); }

  private:
    bool EnsureConnection();
    QString OwnerOf(const QString& busName);
    QString FindNameIgnoringCase(const QString& busName);

    std::string address_;
    QString connectionName_;
    std::unique_ptr<QDBusConnection> connection_;
    std::map<DdeLinkHandle, DbusDdeLinkSubscription*> links_;
    DdeLinkHandle lastHandle_ = 0;
};

}  // namespace quorvane
