// Records DDE client calls in a CallLog; connects with the handle set by the test (0 fails).
#pragma once

#include <string>
#include <vector>

#include "CallLog.h"
#include "platform/DdeClient.h"

namespace quorvane {

class FakeDdeClient : public DdeClient {
  public:
    explicit FakeDdeClient(CallLog* log = nullptr) : log_(log) {}

    DdeConversationId DdeClientConnect(const std::string& application,
                                       const std::string& topic) override {
        ++connects;
        if (log_) log_->Add("dde.Connect(" + application + "," + topic + ")");
        return connectResult;
    }
    void DdeClientExecute(DdeConversationId& conversation, const std::string& command) override {
        if (log_) log_->Add("dde.Execute(" + std::to_string(conversation) + "," + command + ")");
        if (conversation != 0 && !command.empty()) executed.push_back(command);
    }

    DdeConversationId connectResult = 7;
    int connects = 0;
    std::vector<std::string> executed;  // commands that would have been sent

  private:
    CallLog* log_;
};

}  // namespace quorvane
