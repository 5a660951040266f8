// Starts a program from its words (program first, then its arguments, UTF-8), without a
// shell. The program runs on its own: its standard input is empty and nobody waits for it.
#pragma once

#include <string>
#include <vector>

namespace quorvane {

struct LaunchResult {
    int processId = 0;  // > 0 when the program was started
    std::string error;  // the system's reason when it was not (UTF-8)

    bool started() const { return processId > 0; }
};

class ProcessLauncher {
  public:
    virtual ~ProcessLauncher() = default;
    // The program is looked for on PATH unless its name holds a '/'.
    virtual LaunchResult Start(const std::vector<std::string>& words) = 0;
};

}  // namespace quorvane
