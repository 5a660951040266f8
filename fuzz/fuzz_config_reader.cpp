// Feeds arbitrary bytes to the configuration reader. Whatever it accepts must survive the
// writer: writing the loaded settings and reading them back must give the same bytes again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "config/ConfigParser.h"
#include "config/ConfigWriter.h"
#include "config/SetupGlobals.h"

using namespace quorvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const SetupGlobals fileNew = [] {
        SetupGlobals g;
        ResetToDefaults(g, "/home/fuzz");
        return g;
    }();
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // The space keystroke entries depend on DirectKeyEvents; let one input bit pick it.
    SetupGlobals g = fileNew;
    g.DirectKeyEvents = (size > 0 && (data[size - 1] & 1)) ? kTrue : kFalse;

    if (ParseConfigBytes(bytes, g).status != ConfigParseStatus::Ok) return 0;

    std::string written;
    if (!SerializeConfig(g, written)) __builtin_trap();  // loaded settings must be savable
    SetupGlobals again = fileNew;
    again.DirectKeyEvents = g.DirectKeyEvents;
    if (ParseConfigBytes(written, again).status != ConfigParseStatus::Ok) __builtin_trap();
    std::string rewritten;
    if (!SerializeConfig(again, rewritten) || rewritten != written) __builtin_trap();
    return 0;
}
