// quorvane --headless FILE.qv3: the configuration activated in Normal mode with no window,
// driven by a 50 ms timer until SIGINT, SIGTERM or SIGHUP, which quit the way the Quit menu
// does.
#pragma once

#include "setup/CommandLine.h"

namespace quorvane {

// 0 after a quit; 1 when the file or the port cannot be used (the reason on standard error).
int RunHeadless(const CommandLine& command, int argc, char** argv);

}  // namespace quorvane
