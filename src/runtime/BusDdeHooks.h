// The session's DDE side on a bus: the server publishes the topic and its items, and the
// links follow items of other programs. Commands arriving at the server go to the execute
// handler (the command interpreter); a refused command is answered as refused by the server.
#pragma once

#include <string>

#include "config/SetupGlobals.h"
#include "delivery/DdeServerItems.h"
#include "platform/DdeClient.h"
#include "platform/DdeServer.h"
#include "platform/Messages.h"
#include "runtime/DdeHooks.h"
#include "runtime/DdeLinks.h"

namespace quorvane {

class BusDdeHooks : public DdeHooks {
  public:
    // Every reference must outlive the hooks; links may be null (no link client). execute
    // is called only for commands that arrive, so what it calls may be built after the hooks.
    BusDdeHooks(DdeServer& server, Messages& messages, DdeLinks* links, DdeExecuteHandler execute);
    ~BusDdeHooks() override;
    BusDdeHooks(const BusDdeHooks&) = delete;
    BusDdeHooks& operator=(const BusDdeHooks&) = delete;

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
    DdeServerItems* items_ = nullptr;
    std::string servedTopic_;
    bool topicTried_ = false;
};

}  // namespace quorvane
