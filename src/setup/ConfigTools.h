// The command-line tools over configuration files: --show-config and --convert-config.
// Messages (the invalid-file message, the conversion notice, "File I/O Error") go to the
// given Messages, which is standard error in the program.
#pragma once

#include <string>

#include "platform/Messages.h"

namespace quorvane {

struct ConfigToolOptions {
    bool DirectKeyEvents = false;  // "/K": picks the form of the space keystroke entries
    std::string HomeDirectory;     // for the defaults a file is read over; empty means $HOME
};

// Loads path and appends the listing to out. 0 on success, 1 when the file could not be
// read or is not a valid configuration file (after a message).
int ShowConfigFile(const std::string& path, const ConfigToolOptions& options, std::string& out,
                   Messages& messages);

// Reads input (either layout) and writes output in the current layout. 0 on success (the
// notice about an older file is only a notice), 1 on a read or write failure.
int ConvertConfigFile(const std::string& input, const std::string& output,
                      const ConfigToolOptions& options, Messages& messages);

}  // namespace quorvane
