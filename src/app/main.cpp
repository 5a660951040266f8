#include <clocale>
#include <iostream>
#include <string>
#include <vector>

#include "app/HeadlessRunner.h"
#include "app/WindowedRunner.h"
#include "setup/CommandLine.h"
#include "setup/ConfigTools.h"
#include "setup/StderrMessages.h"

using namespace quorvane;

int main(int argc, char** argv) {
    // Numbers in files and listings are written with '.', whatever locale the toolkit sets.
    std::setlocale(LC_NUMERIC, "C");

    const CommandLine command = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    StderrMessages messages(std::cerr);
    ConfigToolOptions options;
    options.DirectKeyEvents = command.DirectKeyEvents;

    switch (command.Kind) {
        case CommandKind::Help:
            std::cout << UsageText();
            return 0;
        case CommandKind::Version:
            std::cout << "Quorvane " QUORVANE_VERSION "\n";
            return 0;
        case CommandKind::Error:
            std::cerr << "quorvane: " << command.ErrorText << "\n" << UsageText();
            return kExitUsage;
        case CommandKind::ShowConfig: {
            std::string listing;
            const int code = ShowConfigFile(command.ConfigPath, options, listing, messages);
            std::cout << listing;
            return code;
        }
        case CommandKind::ConvertConfig:
            return ConvertConfigFile(command.ConfigPath, command.OutputPath, options, messages);
        case CommandKind::Headless:
            return RunHeadless(command, argc, argv);
        case CommandKind::Start:
            break;
    }
    if (!DisplayAvailable()) {
        std::cerr << "quorvane: no display to show a window on (DISPLAY is not set); run a "
                     "configuration without windows with --headless FILE.qv3, or see --help\n";
        return kExitUsage;
    }
    return RunWindowed(command, argc, argv);
}
