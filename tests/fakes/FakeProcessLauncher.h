// Records the words of every start and answers with a set result; a test may open a window
// of the "started program" in onStart.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/ProcessLauncher.h"

namespace quorvane {

class FakeProcessLauncher : public ProcessLauncher {
  public:
    LaunchResult Start(const std::vector<std::string>& words) override {
        starts.push_back(words);
        if (onStart) onStart();
        return result;
    }

    LaunchResult result{4242, ""};
    std::vector<std::vector<std::string>> starts;
    std::function<void()> onStart;
};

}  // namespace quorvane
