// The setup window: a menu bar over the configuration. Every choice goes to the
// SetupController; this window shows the menus, their check marks and the dialogs, and builds
// the runtime window when a mode is activated.
#pragma once

#include <QMainWindow>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config/SetupGlobals.h"
#include "engine/LocaleInfo.h"
#include "mqtt/MqttSettings.h"
#include "platform/Messages.h"
#include "platform/linux/PortDevices.h"
#include "platform/linux/QtSettingsStore.h"
#include "setup/SetupController.h"

class QAction;
class QMenu;

namespace quorvane {

class AppSelect;
class ComShow;
class DDEParms;
class SerialPort;
class DdeTopicDialog;
class PortSetup;
class QuorvaneWindow;

class MainForm : public QMainWindow, private SetupWindowHooks {
    Q_OBJECT
  public:
    // g, messages and locale outlive the window; devices names the ports' devices (with the
    // --port overrides of this run).
    MainForm(SetupGlobals& g, Messages& messages, const LocaleInfo& locale, PortDeviceMap devices);
    ~MainForm() override;

    // Every activation from now on publishes its records over MQTT with settings.
    void SetMqtt(const MqttSettings& settings) { mqtt_ = settings; }

    SetupController& Controller() { return controller_; }
    // The runtime window while one is active (tests), else null.
    QuorvaneWindow* Runtime() const { return runtime_.get(); }
    // The port analyzer while it is open, else null.
    ComShow* Analyzer() const { return analyzer_.get(); }
    // The virtual device window while Virtual Instrument mode is active, else null.
    ComShow* VirtualDeviceWindow() const { return virtualDevice_.get(); }
    // Where the analyzer's port comes from (tests give a fake); the device of the port's
    // connector otherwise.
    void SetAnalyzerPortMaker(std::function<std::unique_ptr<SerialPort>()> make) {
        makeAnalyzerPort_ = std::move(make);
    }
    // Ends the program at once (a quit signal): open boxes are cancelled, an active runtime
    // window closes its port first; nothing is asked, so unsaved setup edits stay unsaved.
    void QuitNow();

  signals:
    // The program should end (the event loop quits on it).
    void ProgramEnded();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildMenus();
    QAction* AddItem(QMenu* menu, int id, std::function<void()> action);
    QAction* AddPreference(QMenu* menu, int id, Preference p);
    void RefreshChecks();
    void ShowAbout();
    void OpenManual();
    QString StartFolderFor(const std::string& path) const;

    // SetupWindowHooks
    std::optional<std::string> AskOpenConfig(const std::string& start) override;
    std::optional<std::string> AskSaveConfigAs(const std::string& start) override;
    std::optional<std::string> AskLogFile(const std::string& start) override;
    void EditTargetApp() override;
    void EditDdeTarget() override;
    void EditDateTimeFormat() override;
    void ShowTitle(const std::string& title) override;
    void ShowMru(const std::vector<std::string>& entries) override;
    void SetWaitCursor(bool busy) override;
    bool PrepareRuntime() override;
    void AbandonRuntime() override;
    void StartRuntime() override;
    void HideSetup() override;
    void ShowSetup() override;
    void UnloadSetup() override;
    void EndProgram() override;

    void PortSettings();
    void OpenAnalyzer();
    // Closes an open analyzer (its port with it); the Port items come back.
    void CloseAnalyzer();
    void CommandSourceLink();
    void OutputBufferLink();
    void DdeTopic();

    SetupGlobals& g_;
    Messages& messages_;
    const LocaleInfo& locale_;
    PortDeviceMap devices_;
    std::optional<MqttSettings> mqtt_;
    QtSettingsStore store_;
    SetupController controller_;

    QMenu* fileMenu_ = nullptr;
    QAction* mruTop_ = nullptr;     // the separator before the entries
    QAction* mruBottom_ = nullptr;  // the separator after them
    std::vector<QAction*> mruItems_;
    QAction* keystrokes_ = nullptr;
    QAction* ddeServer_ = nullptr;
    QAction* logToDisk_ = nullptr;
    QAction* portSettings_ = nullptr;
    QAction* portAnalyze_ = nullptr;
    std::vector<std::pair<QAction*, Preference>> preferences_;

    // Dialogs are made on first use and kept, except the topic and date/time dialogs.
    std::unique_ptr<PortSetup> portSetup_;
    std::unique_ptr<AppSelect> appSelect_;
    std::unique_ptr<DDEParms> ddeParms_;
    std::unique_ptr<ComShow> virtualDevice_;  // Virtual Instrument mode; outlives the runtime
    std::unique_ptr<QuorvaneWindow> runtime_;
    std::function<std::unique_ptr<SerialPort>()> makeAnalyzerPort_;
    std::unique_ptr<SerialPort> analyzerPort_;  // declared before the analyzer that uses it
    std::unique_ptr<ComShow> analyzer_;
    bool quitting_ = false;
};

}  // namespace quorvane
