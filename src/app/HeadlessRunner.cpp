#include "app/HeadlessRunner.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>

#include "app/DesktopServices.h"
#include "app/DesktopSession.h"
#include "app/QuitSignals.h"
#include "config/ConfigFile.h"
#include "config/SetupGlobals.h"
#include "config/UserFile.h"
#include "platform/linux/PortDevices.h"
#include "platform/linux/SystemLocale.h"
#include "runtime/HeadlessView.h"
#include "serial/PortDriver.h"
#include "setup/StderrMessages.h"
#include "strings/StringIds.h"
#include "strings/StringTable.h"

namespace quorvane {

namespace {

bool LoadConfiguration(const CommandLine& command, SetupGlobals& g, Messages& messages) {
    // A file that cannot be read is named with the reason, before any parsing.
    if (!CheckUserFile(command.ConfigPath, messages)) return false;
    ResetToDefaults(g, HomeDirectory());
    g.DirectKeyEvents = command.DirectKeyEvents ? kTrue : kFalse;
    FillNamedFormats(g);
    g.ConfigFileName = command.ConfigPath;
    return ValidateConfigFile(command.ConfigPath, messages) >= 0 && ReadConfigFile(g, messages);
}

// Headless with an X display, the program is a GUI application without windows, so that the
// clipboard commands and the paste items use the desktop's clipboard.
std::unique_ptr<QCoreApplication> MakeApplication(int& argc, char** argv) {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    const bool xcb = platform == nullptr || *platform == '\0' || std::string(platform) == "xcb";
    if (xcb) {
        const std::shared_ptr<Display> held = DesktopServices::HoldDisplay();
        if (held) {
            qputenv("QT_QPA_PLATFORM", "xcb");
            return std::make_unique<QGuiApplication>(argc, argv);
        }
    }
    return std::make_unique<QCoreApplication>(argc, argv);
}

}  // namespace

int RunHeadless(const CommandLine& command, int argc, char** argv) {
    const std::unique_ptr<QCoreApplication> application = MakeApplication(argc, argv);
    QCoreApplication& app = *application;
    StderrMessages messages(std::cerr);
    SetInterfaceLanguage(InterfaceLanguageFromEnvironment());

    SetupGlobals g;
    if (!LoadConfiguration(command, g, messages)) return 1;
    // MQTT settings are checked before anything starts: a mistake there is a bad argument.
    const MqttSettingsResult mqtt = ResolveMqttSettingsOfRun(command.Mqtt);
    if (PrintMqttSettingsErrors(mqtt)) return kExitUsage;
    const LocaleInfo locale = SystemLocaleInfo();
    g.DecimalSeparator = std::string(1, locale.DecimalSeparator);

    PortDeviceMap devices;
    for (const std::string& text : command.PortOverrides) {
        if (!devices.AddOverride(text)) {
            std::cerr << "quorvane: --port " << text << ": expected COMn=PATH\n";
            return 1;
        }
    }
    HeadlessView view(std::cerr, g.PortName, [&app] { app.quit(); });
    DesktopSession desktop(g, view, messages, locale, std::move(devices));
    RuntimeSession& session = desktop.Session();
    // On a Wayland desktop the keystrokes may go either way: say once which and why.
    if (const char* wayland = std::getenv("WAYLAND_DISPLAY"); wayland && *wayland) {
        std::cerr << "quorvane: " << desktop.Desktop().Backend().reason << "\n";
    }
    g.RunMode = kRunNormal;
    if (!OpenPort(g, desktop.Port(), messages)) return 1;
    const QuitSignals quitSignals([&session] { session.Quit(); });
    if (!quitSignals.Installed()) {
        std::cerr << "quorvane: cannot watch for signals: " << quitSignals.Error() << "\n";
        ClosePort(desktop.Port());
        return 1;
    }
    desktop.Activate();
    std::vector<std::string> problems;
    if (mqtt.enabled && !desktop.StartMqtt(mqtt.settings, problems)) {
        for (const std::string& problem : problems) std::cerr << "quorvane: " << problem << "\n";
        session.Unload();
        return 1;
    }
    desktop.StartPolling();

    app.exec();
    desktop.StopPolling();
    session.Unload();  // harmless when the quit already did it
    return 0;
}

}  // namespace quorvane
