// The DDE topic the runtime window serves. The window starts with the placeholder "SYSTEM";
// activation replaces the placeholder by the configured topic (DdeTopicName, else the port
// name), but only while the placeholder is still there, so a configuration reloaded on the
// same window keeps the topic the window already serves.
#pragma once

#include <string>

#include "config/SetupGlobals.h"

namespace quorvane {

inline constexpr const char* kDdePlaceholderTopic = "SYSTEM";

// DdeTopicName when it is not empty, otherwise PortName (code-page bytes).
std::string ConfiguredDdeTopic(const SetupGlobals& g);

class DdeTopic {
  public:
    const std::string& Current() const { return current_; }
    bool IsPlaceholder() const { return current_ == kDdePlaceholderTopic; }
    // The activation step: takes ConfiguredDdeTopic(g) while the placeholder is in place.
    // True when the topic changed (the server must claim the new name).
    bool ApplyActivation(const SetupGlobals& g);
    // Back to the placeholder, for a new window.
    void Reset() { current_ = kDdePlaceholderTopic; }

  private:
    std::string current_ = kDdePlaceholderTopic;
};

}  // namespace quorvane
