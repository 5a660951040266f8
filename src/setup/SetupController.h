// What the setup window does, without the window: File New, Open, Save and Save As with the
// save prompt, the recently-used list, the delivery mode choices, the preference toggles and
// the activations. MainForm shows menus and dialogs and forwards each choice here; what the
// controller needs from the screen it asks through SetupWindowHooks.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "config/SetupGlobals.h"
#include "platform/Messages.h"
#include "platform/SettingsStore.h"
#include "setup/MruList.h"

namespace quorvane {

class SetupWindowHooks {
  public:
    virtual ~SetupWindowHooks() = default;
    // File dialogs, starting at start (a native path; empty for none). Nothing when cancelled.
    virtual std::optional<std::string> AskOpenConfig(const std::string& start) = 0;
    virtual std::optional<std::string> AskSaveConfigAs(const std::string& start) = 0;
    virtual std::optional<std::string> AskLogFile(const std::string& start) = 0;
    // The mode target dialogs and the date/time format dialog; they store what they change.
    virtual void EditTargetApp() = 0;
    virtual void EditDdeTarget() = 0;
    virtual void EditDateTimeFormat() = 0;
    // The window title (UTF-8) and the recently-used entries, newest first.
    virtual void ShowTitle(const std::string& title) = 0;
    virtual void ShowMru(const std::vector<std::string>& entries) = 0;
    virtual void SetWaitCursor(bool /*busy*/) {}
    // The runtime window: PrepareRuntime builds it for g.RunMode and opens the port (false,
    // with the port's message shown, when it cannot be opened); AbandonRuntime closes the port
    // without touching its lines and drops the window; StartRuntime activates and shows it.
    virtual bool PrepareRuntime() = 0;
    virtual void AbandonRuntime() = 0;
    virtual void StartRuntime() = 0;
    // The setup window: hidden while Test mode runs, gone for good in Normal mode (with every
    // setup dialog), and the program's end.
    virtual void HideSetup() = 0;
    virtual void ShowSetup() = 0;
    virtual void UnloadSetup() = 0;
    virtual void EndProgram() = 0;
};

// The preference items of the Port and Activate menus.
enum class Preference {
    BeepOnInput,
    ActivateSuspended,
    MinimizeOnActivation,
    AlwaysOnTop,
    DtrButton,
    BreakButton,
    ShowDateTime,
};

// The setup window's title: "Quorvane Setup (Untitled)" without a file, else "Quorvane Setup"
// and the file's name without its folder in parentheses.
std::string ConfigTitle(const std::string& configFileName);

bool PreferenceChecked(const SetupGlobals& g, Preference p);

class SetupController {
  public:
    // g, messages, hooks and store outlive the controller; home is where a File New log goes.
    SetupController(SetupGlobals& g, Messages& messages, SetupWindowHooks& hooks,
                    SettingsStore& store, std::string home);

    // The end of startup: loads the recently-used list and the configuration named on the
    // command line (or File New), then activates it in Normal mode, ends the program when it
    // did not load, or shows the setup window when there was none (or its port did not open).
    void Start(const std::string& commandLineFile);

    void FileNew();
    void FileOpen();
    void OpenRecent(int index);  // 0 is the newest
    void FileSave();
    void FileSaveAs();
    // Asks to save unsaved changes; false when the user cancelled (SaveCancelled).
    bool SavePrompt();

    void ChooseKeystrokes();
    void ChooseDdeServer();
    void ChooseLogToDisk();
    void TogglePreference(Preference p);

    void ActivateTest();
    void ActivateNormal();
    // Virtual Instrument mode: no port opens; the port's name is set as if it did, so that
    // names made from it (the default topic) are those of the other modes.
    void ActivateVirtual();
    // The runtime window has unloaded.
    void RuntimeClosed();
    // Exit or the close box: false when the window stays open.
    bool CloseSetup();

    // The file named on the command line did not load, so the program ends.
    bool StartFailed() const { return startFailed_; }
    bool SaveCancelled() const { return saveCancelled_; }
    bool EndOnSetupClose() const { return endOnSetupClose_; }
    const MruList& Recent() const { return mru_; }

  private:
    void Load();  // LoadOrReset and the title
    void ShowTitle();
    void PutOnTop(const std::string& path);

    SetupGlobals& g_;
    Messages& messages_;
    SetupWindowHooks& hooks_;
    SettingsStore& store_;
    std::string home_;
    MruList mru_;
    bool saveCancelled_ = false;
    bool endOnSetupClose_ = false;
    bool startFailed_ = false;
};

}  // namespace quorvane
