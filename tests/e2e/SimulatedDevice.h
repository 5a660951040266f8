// The simulated instrument of an end-to-end run: quorvane-sim on a pseudo-terminal, its
// device path, and what the program under test sent it (the escaped bytes of its RX lines).
#pragma once

#include <string>
#include <vector>

#include "e2e/ChildProcess.h"

namespace quorvane::e2e {

inline int Occurrences(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

class SimulatedDevice {
  public:
    // Starts quorvane-sim with args and waits for the device path it prints first.
    bool Start(const std::vector<std::string>& args, const std::string& errFile, Deadline deadline) {
        std::vector<std::string> command{QUORVANE_SIM_PROGRAM};
        command.insert(command.end(), args.begin(), args.end());
        if (!process.Start(command, errFile)) return false;
        const auto line = process.ReadLine(deadline);
        if (!line || line->rfind("/dev/", 0) != 0) return false;
        pty = *line;
        return true;
    }
    // Collects what the device received until it holds what count times.
    bool WaitForReceived(const std::string& what, int count, Deadline deadline) {
        while (Occurrences(received, what) < count) {
            const auto line = process.ReadLine(deadline);
            if (!line) return false;
            if (line->rfind("RX ", 0) == 0) received += line->substr(3);
        }
        return true;
    }

    ChildProcess process;
    std::string pty;
    std::string received;
};

}  // namespace quorvane::e2e
