// The DDE side of the runtime session: the server topic and its items, the client
// conversation and the two destination links. The session calls these at activation, in the
// poll tick and at unload; NullDdeHooks stands in where no bus is served.
#pragma once

#include <string>

#include "delivery/DdeServerItems.h"

namespace quorvane {

class DdeHooks {
  public:
    virtual ~DdeHooks() = default;
    // The client instance for delivery commands is set up (activation) and torn down
    // (unload).
    virtual void InitializeClient() = 0;
    virtual void ShutdownClient() = 0;
    // The topic the server publishes under (activation; kept across a reload).
    virtual void SetTopic(const std::string& topic) = 0;
    // The served items: the session's own copy, which tells its listener of every update
    // (also when the text repeats, which linked clients see as a hot link). The hooks serve
    // them and become their listener; null lets them go before the session does.
    virtual void AttachItems(DdeServerItems* items) = 0;
    // Establish the Command Source and the Output Buffer link.
    virtual void EstablishCommandLink() = 0;
    virtual void EstablishBufferLink() = 0;
    // Disconnect every client of the topic (a quit requested over DDE).
    virtual void DisconnectServerClients() = 0;
};

class NullDdeHooks : public DdeHooks {
  public:
    void InitializeClient() override {}
    void ShutdownClient() override {}
    void SetTopic(const std::string&) override {}
    void AttachItems(DdeServerItems*) override {}
    void EstablishCommandLink() override {}
    void EstablishBufferLink() override {}
    void DisconnectServerClients() override {}
};

}  // namespace quorvane
