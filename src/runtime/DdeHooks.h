// The DDE side of the runtime session: the server topic and its items, the client
// conversation and the two destination links. The session calls these at activation, in the
// poll tick and at unload; NullDdeHooks stands in where no bus is served.
#pragma once

#include <string>

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
    // An item's new text ("Field(n)", "RecordNumber", "DateTime"); sent on every update, also
    // when the text repeats, because that is what linked clients see as a hot link.
    virtual void ItemUpdated(const std::string& item, const std::string& text) = 0;
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
    void ItemUpdated(const std::string&, const std::string&) override {}
    void EstablishCommandLink() override {}
    void EstablishBufferLink() override {}
    void DisconnectServerClients() override {}
};

}  // namespace quorvane
