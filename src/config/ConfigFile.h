// Loading and saving the configuration file (*.qv3), with the messages the user sees.
// The byte-level reader and writer are ConfigParser.h and ConfigWriter.h.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "config/SetupGlobals.h"
#include "platform/Messages.h"

namespace quorvane {

// -2 for an empty path; -1 when the file cannot be read (no message) or is not a
// configuration file (after the invalid-file message); otherwise the file's PortIndex, which
// is never negative in a file worth loading. A negative or unreadable PortIndex line counts
// as not a configuration file.
int16_t ValidateConfigFile(const std::string& path, Messages& messages);

// Reads g.ConfigFileName (a native path) into the settings. On success ConfigLoaded is set and
// ConfigChanged cleared; a file of the older layout then beeps, shows the conversion message
// and sets ConfigChanged, so that leaving it asks to save it in the current layout. A file that
// cannot be read or does not follow the layout shows the invalid-file message, leaves every
// setting as it was and returns false; LoadOrReset then falls back to File New.
bool ReadConfigFile(SetupGlobals& g, Messages& messages);

// Writes every setting to g.ConfigFileName in the current layout. False when the name is
// empty (nothing written, no message) or writing failed (beep, "File I/O Error"). The file is
// written to a temporary file in the same folder and renamed over the old one only when
// complete, so a failed save leaves the previous file as it was. ConfigChanged is not touched.
bool WriteConfigFile(const SetupGlobals& g, Messages& messages);

// What LoadOrReset needs from the window that calls it. Empty callbacks are skipped.
struct LoadHooks {
    std::function<void()> ShowConfigTitle;
    std::function<void(bool busy)> SetWaitCursor;
    std::string HomeDirectory;  // where the default log file goes; empty means $HOME
};

// The one entry for startup, File New, File Open and the recently-used list. The caller sets
// g.ConfigFileName first (empty for File New). Afterwards ConfigLoaded tells whether a file
// was loaded; when none was, ConfigFileName is empty and the settings are the File New ones.
void LoadOrReset(SetupGlobals& g, Messages& messages, const LoadHooks& hooks);

// Fills NamedFormats rows 1..6 from the interface's string table.
void FillNamedFormats(SetupGlobals& g);

// The invalid-file message for a path (shown by ValidateConfigFile and ReadConfigFile).
void ShowInvalidFileMessage(const std::string& path, Messages& messages);

}  // namespace quorvane
