// The windowed program: the setup window, or, with a configuration file on the command line,
// that file activated in Normal mode at once with only the runtime window.
#pragma once

#include "setup/CommandLine.h"

namespace quorvane {

// Runs the program's windows until it ends; the exit status (0, or 1 when the file named on
// the command line could not be loaded or its port opened).
int RunWindowed(const CommandLine& command, int argc, char** argv);

// Whether a window can be shown here: an X or Wayland display, or a Qt platform chosen by
// QT_QPA_PLATFORM.
bool DisplayAvailable();

}  // namespace quorvane
