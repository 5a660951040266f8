#include "setup/CommandLine.h"

namespace quorvane {

namespace {

bool IsDirectKeySwitch(const std::string& arg) {
    return arg == "/K" || arg == "/k";
}

// The way a file manager or a Windows-style shortcut may hand the path over: in one pair of
// double quotes.
std::string WithoutQuotes(std::string path) {
    if (!path.empty() && path.front() == '"') path.erase(0, 1);
    if (!path.empty() && path.back() == '"') path.pop_back();
    return path;
}

CommandLine Error(std::string text) {
    CommandLine result;
    result.Kind = CommandKind::Error;
    result.ErrorText = std::move(text);
    return result;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine result;
    std::vector<std::string> operands;
    std::string option;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!optionsEnded && arg == "--port") {
            if (i + 1 >= args.size()) return Error("--port needs COMn=PATH");
            result.PortOverrides.push_back(args[++i]);
        } else if (!optionsEnded && arg == "--mqtt-commands") {
            result.Mqtt.emplace_back(arg, "on");
        } else if (!optionsEnded && (arg == "--mqtt" || arg.starts_with("--mqtt-"))) {
            // Every other MQTT option takes a value; its name and value are checked with the
            // stored settings, so that all problems are listed together.
            if (i + 1 >= args.size()) return Error(arg + " needs a value");
            result.Mqtt.emplace_back(arg, args[i + 1]);
            ++i;
        } else if (!optionsEnded && IsDirectKeySwitch(arg)) {
            result.DirectKeyEvents = true;
        } else if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            if (arg != "--show-config" && arg != "--convert-config" && arg != "--help" &&
                arg != "-h" && arg != "--version" && arg != "--headless") {
                return Error("unknown option " + arg);
            }
            if (!option.empty()) return Error(option + " and " + arg + " cannot be combined");
            option = arg;
        } else {
            operands.push_back(arg);
        }
    }

    const auto expect = [&](size_t count, const char* what) {
        if (operands.size() == count) return true;
        result = Error(option + " needs " + what);
        return false;
    };
    // Only a run publishes; an option the tools would ignore is refused.
    if (!result.Mqtt.empty() && !option.empty() && option != "--headless")
        return Error(result.Mqtt.front().first + " works with a run of the program only");
    if (option == "--help" || option == "-h") {
        if (!expect(0, "no file")) return result;
        result.Kind = CommandKind::Help;
    } else if (option == "--version") {
        if (!expect(0, "no file")) return result;
        result.Kind = CommandKind::Version;
    } else if (option == "--show-config") {
        if (!expect(1, "one configuration file")) return result;
        result.Kind = CommandKind::ShowConfig;
        result.ConfigPath = operands[0];
    } else if (option == "--convert-config") {
        if (!expect(2, "an input and an output file")) return result;
        result.Kind = CommandKind::ConvertConfig;
        result.ConfigPath = operands[0];
        result.OutputPath = operands[1];
    } else if (option == "--headless") {
        if (!expect(1, "one configuration file")) return result;
        result.Kind = CommandKind::Headless;
        result.ConfigPath = WithoutQuotes(operands[0]);
    } else {
        if (operands.size() > 1) return Error("more than one configuration file given");
        result.Kind = CommandKind::Start;
        if (!operands.empty()) result.ConfigPath = WithoutQuotes(operands[0]);
    }
    return result;
}

std::string UsageText() {
    return "Usage:\n"
           "  quorvane [/K] [FILE.qv3]\n"
           "      Start the program; with FILE, load it and activate it in Normal mode.\n"
           "      /K types keystrokes through direct key events.\n"
           "  quorvane --headless FILE.qv3 [--port COMn=PATH]... [/K]\n"
           "      Activate FILE in Normal mode without windows until SIGINT or SIGTERM;\n"
           "      messages go to standard error. --port names the device behind a port\n"
           "      for this run (also for a windowed start).\n"
           "  MQTT, for either run (settings also in section Mqtt of the per-user store):\n"
           "    --mqtt URL               publish records to the broker mqtt://HOST[:PORT]\n"
           "                             or mqtts://HOST[:PORT] (TLS)\n"
           "    --mqtt-ca FILE           certificate authorities for mqtts:// (default: the\n"
           "                             system's)\n"
           "    --mqtt-client-id ID      client id (default: quorvane-STATION-TOPIC)\n"
           "    --mqtt-user NAME         user name\n"
           "    --mqtt-password-file FILE  the password, first line of FILE\n"
           "    --mqtt-keepalive SECONDS keep-alive, 5 to 65535 (default 60)\n"
           "    --mqtt-station NAME      station name in the topics (default: the host name)\n"
           "    --mqtt-queue-limit SIZE  bound of the queue on disk, e.g. 100M (the default)\n"
           "    --mqtt-commands          run commands that arrive on .../cmd\n"
           "  quorvane --show-config FILE.qv3\n"
           "      Print every stored setting of FILE, one 'Name = value' a line.\n"
           "  quorvane --convert-config IN.qv3 OUT.qv3\n"
           "      Read IN (either file layout) and write OUT in the current layout.\n"
           "  quorvane --help       Show this text.\n"
           "  quorvane --version    Show the program version.\n"
           "Exit codes: 0 success, 1 the file could not be read or written, 2 bad arguments.\n";
}

}  // namespace quorvane
