#include "delivery/DdeTopic.h"

namespace quorvane {

std::string ConfiguredDdeTopic(const SetupGlobals& g) {
    return g.DdeTopicName.empty() ? g.PortName : g.DdeTopicName;
}

bool DdeTopic::ApplyActivation(const SetupGlobals& g) {
    if (!IsPlaceholder()) return false;
    std::string topic = ConfiguredDdeTopic(g);
    const bool changed = topic != current_;
    current_ = std::move(topic);
    return changed;
}

}  // namespace quorvane
