// What the user is told when the DDE features cannot run: no session bus, or the topic is
// served by another program already. The texts are UTF-8 in the interface language; the
// program goes on without the DDE server (and, without a bus, without DDE commands).
#pragma once

#include <string>

#include "platform/DdeServer.h"

namespace quorvane {

// No session bus: said once at start.
std::string DdeNoBusText();
// The topic (code-page bytes) is served by another program under busName.
std::string DdeNameTakenText(const std::string& topic, const std::string& busName);
// The bus refused the name for another reason; detail is the bus's UTF-8 error text.
std::string DdeServeFailedText(const std::string& topic, const std::string& detail);
// The message for a serve result; empty for Serving.
std::string DdeServeMessage(const DdeServeStatus& status, const std::string& topic);

}  // namespace quorvane
