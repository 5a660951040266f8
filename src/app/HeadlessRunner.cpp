#include "app/HeadlessRunner.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>

#include "app/DesktopServices.h"
#include "app/DesktopSession.h"
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

int g_signalPipe[2] = {-1, -1};

// Only tells the event loop; the quit itself runs there, between ticks.
void OnQuitSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
    errno = saved;
}

bool InstallQuitSignals() {
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    struct sigaction action {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    // A hang-up (the terminal or the session that started the program goes) quits too: the
    // default action would end the program without closing the port.
    for (const int quit : {SIGINT, SIGTERM, SIGHUP}) sigaction(quit, &action, nullptr);
    // A log on a closed pipe fails its write (and says so) instead of ending the program.
    signal(SIGPIPE, SIG_IGN);
    return true;
}

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
    g.RunMode = kRunNormal;
    if (!OpenPort(g, desktop.Port(), messages)) return 1;
    if (!InstallQuitSignals()) {
        std::cerr << "quorvane: cannot watch for signals: " << std::strerror(errno) << "\n";
        ClosePort(desktop.Port());
        return 1;
    }
    desktop.Activate();

    QSocketNotifier quitNotifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&quitNotifier, &QSocketNotifier::activated, [&session] {
        char buffer[16];
        while (::read(g_signalPipe[0], buffer, sizeof buffer) > 0) {
        }
        session.Quit();
    });
    desktop.StartPolling();

    app.exec();
    desktop.StopPolling();
    session.Unload();  // harmless when the quit already did it
    return 0;
}

}  // namespace quorvane
