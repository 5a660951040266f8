// The session's DDE side on a bus: the server publishes the topic and its items, the links
// follow items of other programs, and the delivery client's conversation is forgotten when
// the other program ends it. Commands arriving at the server go to the execute handler
// (the command interpreter); a refused command is answered as refused by the server.
#pragma once

#include <string>

#include "config/SetupGlobals.h"
#include "delivery/DdeServerItems.h"
#include "engine/RuntimeFlags.h"
#include "platform/DdeClient.h"
#include "platform/DdeServer.h"
#include "platform/Messages.h"
#include "runtime/DdeHooks.h"
#include "runtime/DdeLinks.h"

namespace quorvane {

class BusDdeHooks : public DdeHooks {
  public:
    // Every reference must outlive the hooks; links may be null (no link client).
    BusDdeHooks(DdeServer& server, Messages& messages, DdeLinks* links);
    ~BusDdeHooks() override;
    BusDdeHooks(const BusDdeHooks&) = delete;
    BusDdeHooks& operator=(const BusDdeHooks&) = delete;

    void SetExecuteHandler(DdeExecuteHandler handler);
    // The flags whose DdeConversation the delivery client's disconnect clears.
    void AttachFlags(RuntimeFlags* flags) { flags_ = flags; }
    // The other program ended conversation id: when the session still holds it, the next
    // record connects again.
    void ConversationEnded(DdeConversationId id);

    // DdeHooks
    void InitializeClient() override {}
    // The window goes away: its links end and its topic is no longer served.
    void ShutdownClient() override;
    // Serves the topic (once per topic: a reload keeps the served name and its clients);
    // a topic that cannot be served is said once and the program goes on without it.
    void SetTopic(const std::string& topic) override;
    void AttachItems(DdeServerItems* items) override;
    void EstablishCommandLink() override;
    void EstablishBufferLink() override;
    // Gives the name back, so the clients see it go before the program ends.
    void DisconnectServerClients() override { server_.Release(); }

  private:
    DdeServer& server_;
    Messages& messages_;
    DdeLinks* links_;
    RuntimeFlags* flags_ = nullptr;
    DdeServerItems* items_ = nullptr;
    std::string servedTopic_;
    bool topicTried_ = false;
};

}  // namespace quorvane
