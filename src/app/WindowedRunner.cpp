#include "app/WindowedRunner.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstdlib>
#include <iostream>

#include "app/MqttPublisher.h"
#include "app/QuitSignals.h"
#include "config/SetupGlobals.h"
#include "config/UserFile.h"
#include "gui/AboutBox.h"
#include "gui/MessageBoxMessages.h"
#include "gui/QuorvaneIcon.h"
#include "gui/setup/MainForm.h"
#include "platform/linux/DesktopRegistration.h"
#include "platform/linux/PortDevices.h"
#include "platform/linux/SystemLocale.h"
#include "strings/StringTable.h"

namespace quorvane {

bool DisplayAvailable() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') return true;
    }
    return false;
}

int RunWindowed(const CommandLine& command, int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Quorvane");
    QApplication::setWindowIcon(QuorvaneIcon());
    const Language language = InterfaceLanguageFromEnvironment();
    SetInterfaceLanguage(language);
    // The standard buttons of message and file dialogs speak the same language as our texts.
    QTranslator qtTexts;
    if (language == Language::Japanese &&
        qtTexts.load(QLocale(QLocale::Japanese), "qtbase", "_",
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtTexts);
    }

    // So that a file manager opens *.qv3 with this program; failures change nothing here.
    RegisterDesktopIntegration(QApplication::applicationFilePath(),
                               {QuorvaneIconSvg(), QuorvaneIconPng(128)});

    PortDeviceMap devices;
    for (const std::string& text : command.PortOverrides) {
        if (!devices.AddOverride(text)) {
            std::cerr << "quorvane: --port " << text << ": expected COMn=PATH\n";
            return 1;
        }
    }
    // MQTT settings are checked before any window shows: a mistake there is a bad argument.
    const MqttSettingsResult mqtt = ResolveMqttSettingsOfRun(command.Mqtt);
    if (PrintMqttSettingsErrors(mqtt)) return kExitUsage;
    MessageBoxMessages messages;
    // A file that cannot be read at all is named with the reason before anything shows.
    if (!command.ConfigPath.empty() && !CheckUserFile(command.ConfigPath, messages)) return 1;

    AboutBox::ShowSplash();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    SetupGlobals g;
    g.DirectKeyEvents = command.DirectKeyEvents ? kTrue : kFalse;
    const LocaleInfo locale = SystemLocaleInfo();
    g.DecimalSeparator = std::string(1, locale.DecimalSeparator);
    MainForm form(g, messages, locale, std::move(devices));
    if (mqtt.enabled) form.SetMqtt(mqtt.settings);
    QObject::connect(&form, &MainForm::ProgramEnded, &app, &QApplication::quit);
    // The program ends by its own rules: the setup window hides while a runtime window is
    // active, and the runtime window may sit in the tray with no window shown at all.
    QApplication::setQuitOnLastWindowClosed(false);
    const QuitSignals quitSignals([&form] { form.QuitNow(); });
    if (!quitSignals.Installed())
        std::cerr << "quorvane: cannot watch for signals: " << quitSignals.Error() << "\n";
    QApplication::restoreOverrideCursor();
    AboutBox::CloseSplash();

    form.Controller().Start(command.ConfigPath);
    app.exec();
    return form.Controller().StartFailed() ? 1 : 0;
}

}  // namespace quorvane
