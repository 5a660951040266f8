// The configuration reader over a byte buffer: no files, no messages. Reads both layouts
// into a copy of the settings and commits only a whole, well-formed file, so a damaged file
// never leaves a half-loaded configuration behind.
#pragma once

#include <cstddef>
#include <string_view>

#include "config/SetupGlobals.h"

namespace quorvane {

enum class ConfigParseStatus {
    Ok,
    NotAConfigFile,  // the first line is neither signature
    Damaged,         // a signature, but the rest does not follow the layout
};

enum class ConfigLayoutKind { Current, Older };

struct ConfigParseResult {
    ConfigParseStatus status = ConfigParseStatus::Damaged;
    ConfigLayoutKind layout = ConfigLayoutKind::Current;
    size_t blockStart = 0;  // current layout: offset of the first byte of the block
};

// Reads a whole file's bytes into g. On Ok every setting the file carries is replaced (the
// older layout lacks ActivateSuspended, AlwaysOnTop, the hot keys and FieldMath, and a file
// may lack its last line, DdeTopicName: those keep their values). Values outside their
// ranges are clamped (see ClampToRanges). On any other status g is left untouched. Working
// state (ConfigChanged, ConfigLoaded, ConfigFileName) is not touched; DirectKeyEvents picks
// the form of the space entries of TransferKeyTable.
ConfigParseResult ParseConfigBytes(std::string_view bytes, SetupGlobals& g);

// The integer line that follows a signature (PortIndex), as ValidateConfigFile reports it.
enum class ConfigHeaderStatus { Ok, NotAConfigFile, Damaged };
ConfigHeaderStatus ParseConfigHeader(std::string_view bytes, int16_t& portIndex);

}  // namespace quorvane
