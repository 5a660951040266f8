// Starts programs with posix_spawnp, detached from the caller: standard input from /dev/null
// (the terminal of a headless run belongs to it, not to the target), its own process group
// (a Ctrl+C in that terminal does not end the target too), signals at their defaults. A
// thread per child waits for its end, so no zombie is left behind.
#pragma once

#include "platform/ProcessLauncher.h"

namespace quorvane {

class PosixProcessLauncher : public ProcessLauncher {
  public:
    LaunchResult Start(const std::vector<std::string>& words) override;
};

}  // namespace quorvane
