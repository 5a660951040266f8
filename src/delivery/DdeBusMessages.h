// What the user is told when the DDE features cannot run: no session bus, or the topic is
// served by another program already. Both texts come in English and Japanese (UTF-8); the
// program goes on without the DDE server (and, without a bus, without DDE commands).
#pragma once

#include <string>

#include "platform/DdeServer.h"
#include "strings/StringTable.h"

namespace quorvane {

struct LocalizedText {
    std::string english;
    std::string japanese;
    const std::string& In(Language language) const {
        return language == Language::Japanese ? japanese : english;
    }
};

// No session bus: said once at start.
LocalizedText DdeNoBusText();
// The topic (code-page bytes) is served by another program under busName.
LocalizedText DdeNameTakenText(const std::string& topic, const std::string& busName);
// The bus refused the name for another reason; detail is the bus's UTF-8 error text.
LocalizedText DdeServeFailedText(const std::string& topic, const std::string& detail);
// The message for a serve result; empty texts for Serving.
LocalizedText DdeServeMessage(const DdeServeStatus& status, const std::string& topic);

}  // namespace quorvane
