// The program's arguments. An ordinary start takes an optional configuration file (one pair
// of surrounding double quotes removed, the path kept exactly as given) and the lone switch
// "/K" in either case, which selects direct key events. The tool options print or convert a
// configuration file without opening a window.
#pragma once

#include <string>
#include <vector>

#include "mqtt/MqttSettings.h"

namespace quorvane {

enum class CommandKind {
    Start,          // windowed program; ConfigPath may be empty
    ShowConfig,     // --show-config FILE
    ConvertConfig,  // --convert-config IN OUT
    Headless,       // --headless FILE: activate FILE in Normal mode without windows
    Help,           // --help, -h
    Version,        // --version
    Error,          // ErrorText says what was wrong; exit code 2 with the usage
};

struct CommandLine {
    CommandKind Kind = CommandKind::Start;
    std::string ConfigPath;  // the file to load, show or convert
    std::string OutputPath;  // --convert-config: the file to write
    bool DirectKeyEvents = false;
    // --port COMn=PATH, in the order given: the device behind a port for this run.
    std::vector<std::string> PortOverrides;
    // --mqtt URL and the other --mqtt-* options with their values, in the order given, for
    // ResolveMqttSettings (which says what is wrong with them); --mqtt-commands gives "on".
    MqttOptions Mqtt;
    std::string ErrorText;
};

// args are the arguments after the program name.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// The usage text for --help and for errors, lines ending in LF.
std::string UsageText();

// Exit code for a command line that could not be understood.
inline constexpr int kExitUsage = 2;

}  // namespace quorvane
