#include "setup/SetupController.h"

#include <utility>

#include "config/ConfigFile.h"
#include "serial/LineRequest.h"
#include "strings/StringIds.h"
#include "strings/StringTable.h"

namespace quorvane {

std::string ConfigTitle(const std::string& configFileName) {
    if (configFileName.empty()) return LoadString(kStrSetupTitleUntitled);
    const size_t slash = configFileName.find_last_of('/');
    const std::string name =
        slash == std::string::npos ? configFileName : configFileName.substr(slash + 1);
    return LoadString(kStrSetupTitle) + "(" + name + ")";
}

bool PreferenceChecked(const SetupGlobals& g, Preference p) {
    switch (p) {
        case Preference::BeepOnInput:
            return g.BeepOnInput != 0;
        case Preference::ActivateSuspended:
            return g.ActivateSuspended != 0;
        case Preference::MinimizeOnActivation:
            return g.MinimizeOnActivation != 0;
        case Preference::AlwaysOnTop:
            return g.AlwaysOnTop != 0;
        case Preference::DtrButton:
            return (g.WindowButtons & 1) != 0;
        case Preference::BreakButton:
            return (g.WindowButtons & 2) != 0;
        case Preference::ShowDateTime:
            return g.ShowDateTime != 0;
    }
    return false;
}

SetupController::SetupController(SetupGlobals& g, Messages& messages, SetupWindowHooks& hooks,
                                 SettingsStore& store, std::string home)
    : g_(g), messages_(messages), hooks_(hooks), store_(store), home_(std::move(home)) {}

void SetupController::Start(const std::string& commandLineFile) {
    mru_.Load(store_);
    hooks_.ShowMru(mru_.Entries());
    g_.ConfigFileName = commandLineFile;
    Load();
    endOnSetupClose_ = true;
    if (commandLineFile.empty()) {
        hooks_.ShowSetup();
    } else if (g_.ConfigLoaded) {
        ActivateNormal();
        // A port that cannot be opened leaves the user in the setup window to mend it.
        if (g_.RunMode != kRunNormal) hooks_.ShowSetup();
    } else {
        startFailed_ = true;
        hooks_.EndProgram();
    }
}

void SetupController::Load() {
    LoadHooks hooks;
    hooks.ShowConfigTitle = [this] { ShowTitle(); };
    hooks.SetWaitCursor = [this](bool busy) { hooks_.SetWaitCursor(busy); };
    hooks.HomeDirectory = home_;
    LoadOrReset(g_, messages_, hooks);
    ShowTitle();
}

void SetupController::ShowTitle() {
    hooks_.ShowTitle(ConfigTitle(g_.ConfigFileName));
}

void SetupController::PutOnTop(const std::string& path) {
    mru_.Insert(path);
    hooks_.ShowMru(mru_.Entries());
}

bool SetupController::SavePrompt() {
    saveCancelled_ = false;
    if (!g_.ConfigChanged) return true;
    const std::string text =
        LoadString(g_.ConfigLoaded ? kStrFileChangedSave : kStrSaveCurrentConfig);
    switch (messages_.Show(text, LoadString(kStrQuorvaneTitle), MessageButtons::YesNoCancel,
                           MessageIcon::Question)) {
        case MessageAnswer::Yes:
            FileSave();  // a failed save goes on; a cancelled Save As sets SaveCancelled
            break;
        case MessageAnswer::No:
            break;
        default:
            saveCancelled_ = true;
            break;
    }
    return !saveCancelled_;
}

void SetupController::FileNew() {
    if (!SavePrompt()) return;
    g_.ConfigFileName.clear();
    Load();
}

void SetupController::FileOpen() {
    if (!SavePrompt()) return;
    const std::optional<std::string> path = hooks_.AskOpenConfig(g_.ConfigFileName);
    if (!path || path->empty()) return;
    g_.ConfigFileName = *path;
    PutOnTop(*path);
    Load();
}

void SetupController::OpenRecent(int index) {
    const std::vector<std::string>& entries = mru_.Entries();
    if (index < 0 || index >= static_cast<int>(entries.size())) return;
    const std::string path = entries[static_cast<size_t>(index)];
    g_.ConfigFileName = path;
    PutOnTop(path);
    Load();
}

void SetupController::FileSave() {
    if (g_.ConfigFileName.empty()) {
        FileSaveAs();
        return;
    }
    if (WriteConfigFile(g_, messages_)) g_.ConfigChanged = kFalse;
}

void SetupController::FileSaveAs() {
    const std::optional<std::string> path = hooks_.AskSaveConfigAs(g_.ConfigFileName);
    if (!path || path->empty()) {
        saveCancelled_ = true;
        return;
    }
    const std::string previous = g_.ConfigFileName;
    g_.ConfigFileName = *path;
    if (!WriteConfigFile(g_, messages_)) {
        // The configuration stays what it was: unsaved, under its old name.
        g_.ConfigFileName = previous;
        return;
    }
    g_.ConfigLoaded = kTrue;
    g_.ConfigChanged = kFalse;
    ShowTitle();
    PutOnTop(*path);
}

void SetupController::ChooseKeystrokes() {
    if (g_.Mode != kModeKeystrokes) g_.ConfigChanged = kTrue;
    g_.Mode = kModeKeystrokes;
    hooks_.EditTargetApp();
}

void SetupController::ChooseDdeServer() {
    if (g_.Mode != kModeDde) g_.ConfigChanged = kTrue;
    g_.Mode = kModeDde;
    hooks_.EditDdeTarget();
}

void SetupController::ChooseLogToDisk() {
    const std::optional<std::string> path = hooks_.AskLogFile(g_.LogFileName);
    if (!path || path->empty()) return;
    if (*path != g_.LogFileName) {
        g_.ConfigChanged = kTrue;
        g_.LogFileName = *path;
    }
    if (g_.Mode != kModeLog) g_.ConfigChanged = kTrue;
    g_.Mode = kModeLog;
}

void SetupController::TogglePreference(Preference p) {
    auto flip = [](int16_t& value) { value = value ? kFalse : kTrue; };
    switch (p) {
        case Preference::BeepOnInput:
            flip(g_.BeepOnInput);
            break;
        case Preference::ActivateSuspended:
            flip(g_.ActivateSuspended);
            break;
        case Preference::MinimizeOnActivation:
            flip(g_.MinimizeOnActivation);
            break;
        case Preference::AlwaysOnTop:
            flip(g_.AlwaysOnTop);
            break;
        case Preference::DtrButton:
            g_.WindowButtons = static_cast<int16_t>(g_.WindowButtons ^ 1);
            break;
        case Preference::BreakButton:
            g_.WindowButtons = static_cast<int16_t>(g_.WindowButtons ^ 2);
            break;
        case Preference::ShowDateTime:
            // The format dialog sets ConfigChanged when it changes the format; the switch alone
            // does not.
            flip(g_.ShowDateTime);
            if (g_.ShowDateTime) hooks_.EditDateTimeFormat();
            return;
    }
    g_.ConfigChanged = kTrue;
}

void SetupController::ActivateTest() {
    g_.RunMode = kRunTest;
    if (!hooks_.PrepareRuntime()) {
        g_.RunMode = kRunSetup;
        return;
    }
    hooks_.HideSetup();
    hooks_.StartRuntime();
}

void SetupController::ActivateNormal() {
    endOnSetupClose_ = false;
    g_.RunMode = kRunNormal;
    if (!hooks_.PrepareRuntime()) {
        g_.RunMode = kRunSetup;
        endOnSetupClose_ = true;
        return;
    }
    if (!SavePrompt()) {
        hooks_.AbandonRuntime();
        g_.RunMode = kRunSetup;
        endOnSetupClose_ = true;
        hooks_.ShowSetup();
        return;
    }
    hooks_.StartRuntime();
    mru_.Save(store_);
    hooks_.UnloadSetup();
}

void SetupController::ActivateVirtual() {
    g_.PortName = PortNameFor(g_.PortIndex);
    g_.RunMode = kRunVirtual;
    if (!hooks_.PrepareRuntime()) {
        g_.RunMode = kRunSetup;
        return;
    }
    hooks_.HideSetup();
    hooks_.StartRuntime();
}

void SetupController::RuntimeClosed() {
    if (g_.RunMode == kRunNormal) {
        hooks_.EndProgram();
        return;
    }
    if (!g_.ConfigFileName.empty()) ShowTitle();
    g_.RunMode = kRunSetup;
    hooks_.ShowSetup();
}

bool SetupController::CloseSetup() {
    saveCancelled_ = false;
    if (g_.RunMode != kRunNormal) SavePrompt();
    mru_.Save(store_);
    if (saveCancelled_) return false;
    if (endOnSetupClose_) hooks_.EndProgram();
    return true;
}

}  // namespace quorvane
