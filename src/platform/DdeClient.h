// The command channel to another application in DDE Server mode: one conversation with an
// application and topic, carrying execute commands. Failures are silent by design: a failed
// connect yields 0 and the next record tries again; a refused or timed-out command (at most
// 1000 ms) is dropped.
#pragma once

#include <cstdint>
#include <string>

namespace quorvane {

// A conversation handle; 0 means no conversation.
using DdeConversationId = uint64_t;

class DdeClient {
  public:
    virtual ~DdeClient() = default;
    // Opens a conversation with application on topic (code-page bytes); 0 when it fails.
    virtual DdeConversationId DdeClientConnect(const std::string& application,
                                               const std::string& topic) = 0;
    // Sends one command and waits at most 1000 ms; the outcome is ignored. Does nothing when
    // the command is empty or the conversation is 0. The conversation is passed by reference
    // because a disconnect noticed meanwhile clears it.
    virtual void DdeClientExecute(DdeConversationId& conversation, const std::string& command) = 0;
    // Ends the conversation (when it is the open one) and sets the handle to 0.
    virtual void DdeClientDisconnect(DdeConversationId& conversation) { conversation = 0; }
};

}  // namespace quorvane
