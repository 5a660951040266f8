// The DDE client on the D-Bus session bus: one conversation with the program that owns the
// bus name of an application and topic. The conversation is bound to the owner found at
// connect time; when that owner leaves the name (it quits, or releases the topic) the
// conversation ends and the disconnect callback tells the owner of the handle, so the
// next record connects again. Commands wait at most 1000 ms and report nothing; the
// interface stays alive meanwhile (a nested event loop), so commands can arrive.
#pragma once

#include <QDBusConnection>
#include <QString>
#include <functional>
#include <memory>

#include "platform/DdeClient.h"

class QDBusServiceWatcher;

namespace quorvane {

class DbusDdeClient : public DdeClient {
  public:
    static constexpr int kExecuteTimeoutMs = 1000;

    // Told the handle of a conversation that the other side ended (the session forgets it
    // when it still holds it); may be empty.
    using DisconnectCallback = std::function<void(DdeConversationId)>;

    // address: the bus to use; empty = the session bus found by SessionBusAddress(). No
    // connection is made before the first DdeClientConnect.
    explicit DbusDdeClient(DisconnectCallback onDisconnect = {}, std::string address = {});
    ~DbusDdeClient() override;
    DbusDdeClient(const DbusDdeClient&) = delete;
    DbusDdeClient& operator=(const DbusDdeClient&) = delete;

    // Tries the exact bus name, then any name that equals it ignoring ASCII case (DDE names
    // are not case-sensitive). Waits at most 1000 ms for each answer of the bus daemon.
    DdeConversationId DdeClientConnect(const std::string& application,
                                       const std::string& topic) override;
    // A conversation that has ended meanwhile is set to 0 and nothing is sent.
    void DdeClientExecute(DdeConversationId& conversation, const std::string& command) override;
    void DdeClientDisconnect(DdeConversationId& conversation) override;

    // The conversation open now (0 = none) and the unique bus name it talks to.
    DdeConversationId Current() const { return current_; }
    const QString& PeerUniqueName() const { return peer_; }

  private:
    bool EnsureConnection();
    QString OwnerOf(const QString& busName);
    QString FindNameIgnoringCase(const QString& busName);
    void OnOwnerChanged(const QString& name, const QString& oldOwner, const QString& newOwner);
    void EndConversation();

    std::string address_;
    QString connectionName_;
    std::unique_ptr<QDBusConnection> connection_;
    std::unique_ptr<QDBusServiceWatcher> watcher_;
    DisconnectCallback onDisconnect_;
    DdeConversationId lastId_ = 0;
    DdeConversationId current_ = 0;
    QString peerName_;  // the well-known name talked to
    QString peer_;      // its owner's unique name at connect time
};

}  // namespace quorvane
