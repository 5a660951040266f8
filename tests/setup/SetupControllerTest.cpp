#include "setup/SetupController.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "config/ConfigFile.h"
#include "fakes/FakeMessages.h"
#include "fakes/FakeSettingsStore.h"

namespace quorvane {
namespace {

namespace fs = std::filesystem;

// Records what the controller asked of the window; dialogs answer from fields set in advance.
struct FakeSetupWindow : SetupWindowHooks {
    std::optional<std::string> openAnswer, saveAnswer, logAnswer;
    bool portOpens = true;
    std::vector<std::string> calls;
    std::string title;
    std::vector<std::string> mru;

    std::optional<std::string> AskOpenConfig(const std::string&) override {
        calls.push_back("open-dialog");
        return openAnswer;
    }
    std::optional<std::string> AskSaveConfigAs(const std::string&) override {
        calls.push_back("save-dialog");
        return saveAnswer;
    }
    std::optional<std::string> AskLogFile(const std::string&) override {
        calls.push_back("log-dialog");
        return logAnswer;
    }
    void EditTargetApp() override { calls.push_back("target-app"); }
    void EditDdeTarget() override { calls.push_back("dde-target"); }
    void EditDateTimeFormat() override { calls.push_back("date-time"); }
    void ShowTitle(const std::string& t) override { title = t; }
    void ShowMru(const std::vector<std::string>& entries) override { mru = entries; }
    bool PrepareRuntime() override {
        calls.push_back("prepare");
        return portOpens;
    }
    void AbandonRuntime() override { calls.push_back("abandon"); }
    void StartRuntime() override { calls.push_back("start"); }
    void HideSetup() override { calls.push_back("hide"); }
    void ShowSetup() override { calls.push_back("show"); }
    void UnloadSetup() override { calls.push_back("unload"); }
    void EndProgram() override { calls.push_back("end"); }
};

class SetupControllerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir =
            fs::temp_directory_path() /
            ("quorvane-setup-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        ResetToDefaults(g, dir.string());
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string SavedFile(const std::string& name) {
        SetupGlobals other;
        ResetToDefaults(other, dir.string());
        other.ConfigFileName = (dir / name).string();
        other.TargetAppTitle = name;
        EXPECT_TRUE(WriteConfigFile(other, messages));
        return other.ConfigFileName;
    }

    fs::path dir;
    SetupGlobals g;
    FakeMessages messages;
    FakeSetupWindow window;
    FakeSettingsStore store;
    SetupController setup{g, messages, window, store, "/home/t"};
};

TEST(ConfigTitleTest, UntitledHasItsOwnTextAndAFileShowsItsNameWithoutFolder) {
    EXPECT_EQ(ConfigTitle(""), "Quorvane Setup (Untitled)");
    EXPECT_EQ(ConfigTitle("/home/kim/Scale.qv3"), "Quorvane Setup(Scale.qv3)");
    EXPECT_EQ(ConfigTitle("Scale.qv3"), "Quorvane Setup(Scale.qv3)");
}

TEST_F(SetupControllerTest, StartWithoutAFileShowsTheSetupWindowUntitled) {
    setup.Start("");
    EXPECT_EQ(window.calls, std::vector<std::string>{"show"});
    EXPECT_EQ(window.title, "Quorvane Setup (Untitled)");
    EXPECT_TRUE(setup.EndOnSetupClose());
}

TEST_F(SetupControllerTest, StartWithAFileActivatesNormalModeAndTheSetupWindowNeverShows) {
    const std::string file = SavedFile("Scale.qv3");
    setup.Start(file);
    EXPECT_EQ(window.calls, (std::vector<std::string>{"prepare", "start", "unload"}));
    EXPECT_EQ(g.RunMode, kRunNormal);
    EXPECT_EQ(g.TargetAppTitle, "Scale.qv3");
    setup.RuntimeClosed();
    EXPECT_EQ(window.calls.back(), "end");
}

TEST_F(SetupControllerTest, StartWithAFileThatDoesNotLoadEndsTheProgram) {
    std::ofstream((dir / "bad.qv3").string()) << "not a configuration\r\n";
    setup.Start((dir / "bad.qv3").string());
    EXPECT_EQ(window.calls, std::vector<std::string>{"end"});
    EXPECT_TRUE(setup.StartFailed());
    ASSERT_EQ(messages.shown.size(), 1u);  // the invalid-file message
}

TEST_F(SetupControllerTest, StartWithAFileWhosePortCannotOpenShowsTheSetupWindow) {
    window.portOpens = false;
    setup.Start(SavedFile("Scale.qv3"));
    EXPECT_EQ(window.calls, (std::vector<std::string>{"prepare", "show"}));
    EXPECT_TRUE(setup.EndOnSetupClose()) << "closing it ends the program";
    EXPECT_FALSE(setup.StartFailed());
    EXPECT_EQ(g.RunMode, kRunSetup);
}

// The save prompt's three answers, and its two texts.
TEST_F(SetupControllerTest, FileNewAsksToSaveChangesAndCancelKeepsEverything) {
    setup.Start("");
    g.ConfigChanged = kTrue;
    g.ConfigFileName = "/x/kept.qv3";
    g.TargetAppTitle = "changed";
    messages.answers = {MessageAnswer::Cancel};
    setup.FileNew();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Save Current Configuration?");
    EXPECT_EQ(messages.shown[0].title, "Quorvane");
    EXPECT_EQ(messages.shown[0].buttons, MessageButtons::YesNoCancel);
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Question);
    EXPECT_TRUE(setup.SaveCancelled());
    EXPECT_EQ(g.ConfigFileName, "/x/kept.qv3");
    EXPECT_EQ(g.TargetAppTitle, "changed");

    g.ConfigLoaded = kTrue;
    messages.answers = {MessageAnswer::No};
    setup.FileNew();
    EXPECT_EQ(messages.shown[1].text, "File has changed. Save?");
    EXPECT_EQ(g.ConfigFileName, "");
    EXPECT_EQ(g.TargetAppTitle, "Notepad");
    EXPECT_EQ(window.title, "Quorvane Setup (Untitled)");
}

TEST_F(SetupControllerTest, YesSavesThroughSaveAsAndACancelledSaveAsCancelsTheCaller) {
    setup.Start("");
    g.ConfigChanged = kTrue;
    messages.answers = {MessageAnswer::Yes};
    window.saveAnswer.reset();
    setup.FileOpen();
    EXPECT_EQ(window.calls.back(), "save-dialog") << "cancelled: no open dialog after it";
    EXPECT_TRUE(setup.SaveCancelled());

    messages.answers = {MessageAnswer::Yes};
    window.saveAnswer = (dir / "new.qv3").string();
    window.openAnswer.reset();
    setup.FileOpen();
    EXPECT_TRUE(fs::exists(dir / "new.qv3"));
    EXPECT_FALSE(g.ConfigChanged);
    EXPECT_EQ(window.title, "Quorvane Setup(new.qv3)");
    EXPECT_EQ(window.calls.back(), "open-dialog");
    EXPECT_EQ(window.mru, std::vector<std::string>{(dir / "new.qv3").string()});
}

TEST_F(SetupControllerTest, AFailedSaveAsKeepsTheChangesAndTheOldName) {
    setup.Start("");
    g.ConfigChanged = kTrue;
    window.saveAnswer = (dir / "no-such-folder" / "x.qv3").string();
    setup.FileSaveAs();
    EXPECT_TRUE(g.ConfigChanged);
    EXPECT_EQ(g.ConfigFileName, "");
    EXPECT_TRUE(window.mru.empty());
    EXPECT_FALSE(setup.SaveCancelled()) << "a failed save lets the caller go on";
}

TEST_F(SetupControllerTest, OpenAndRecentFilesLoadAndMoveToTheTopWithoutAPrompt) {
    const std::string a = SavedFile("a.qv3"), b = SavedFile("b.qv3");
    setup.Start("");
    window.openAnswer = a;
    setup.FileOpen();
    window.openAnswer = b;
    setup.FileOpen();
    EXPECT_EQ(window.mru, (std::vector<std::string>{b, a}));
    EXPECT_EQ(g.TargetAppTitle, "b.qv3");
    g.ConfigChanged = kTrue;  // no prompt before a recent file
    setup.OpenRecent(1);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(g.TargetAppTitle, "a.qv3");
    EXPECT_EQ(window.mru, (std::vector<std::string>{a, b}));
    EXPECT_EQ(window.title, "Quorvane Setup(a.qv3)");
    // The list is kept when the setup window closes.
    EXPECT_TRUE(setup.CloseSetup());
    EXPECT_EQ(store.values.at(FakeSettingsStore::Key("Quorvane", "MRUFiles", "0")), a);
    EXPECT_EQ(window.calls.back(), "end");
}

// Choosing a mode sets ConfigChanged only when it was not the mode already; keystrokes and DDE
// open their dialog after the change, the log file dialog changes the mode only when a file
// was chosen.
TEST_F(SetupControllerTest, ModeChoicesSetConfigChangedOnlyWhenSomethingChanges) {
    setup.Start("");
    setup.ChooseKeystrokes();
    EXPECT_FALSE(g.ConfigChanged);
    EXPECT_EQ(window.calls.back(), "target-app");
    setup.ChooseDdeServer();
    EXPECT_TRUE(g.ConfigChanged);
    EXPECT_EQ(g.Mode, kModeDde);
    g.ConfigChanged = kFalse;
    window.logAnswer.reset();
    setup.ChooseLogToDisk();
    EXPECT_EQ(g.Mode, kModeDde);
    EXPECT_FALSE(g.ConfigChanged);
    window.logAnswer = g.LogFileName;
    setup.ChooseLogToDisk();
    EXPECT_EQ(g.Mode, kModeLog);
    EXPECT_TRUE(g.ConfigChanged) << "the mode changed, the name did not";
    g.ConfigChanged = kFalse;
    window.logAnswer = "/var/log/scale.log";
    setup.ChooseLogToDisk();
    EXPECT_EQ(g.LogFileName, "/var/log/scale.log");
    EXPECT_TRUE(g.ConfigChanged);
}

TEST_F(SetupControllerTest, EveryPreferenceButTheDateTimeDisplaySetsConfigChanged) {
    setup.Start("");
    for (const Preference p :
         {Preference::BeepOnInput, Preference::ActivateSuspended, Preference::MinimizeOnActivation,
          Preference::AlwaysOnTop, Preference::DtrButton, Preference::BreakButton}) {
        g.ConfigChanged = kFalse;
        const bool before = PreferenceChecked(g, p);
        setup.TogglePreference(p);
        EXPECT_NE(PreferenceChecked(g, p), before);
        EXPECT_TRUE(g.ConfigChanged);
    }
    EXPECT_EQ(g.WindowButtons, 3);
    g.ConfigChanged = kFalse;
    setup.TogglePreference(Preference::ShowDateTime);
    EXPECT_FALSE(g.ConfigChanged);
    EXPECT_EQ(window.calls.back(), "date-time") << "turning it on asks for the format";
    window.calls.clear();
    setup.TogglePreference(Preference::ShowDateTime);
    EXPECT_TRUE(window.calls.empty());
}

TEST_F(SetupControllerTest, TestModeHidesTheSetupWindowAndBringsItBackWhenTheRuntimeCloses) {
    setup.Start(SavedFile("a.qv3") /* Normal at once */);
    window.calls.clear();
    g.RunMode = kRunSetup;
    setup.ActivateTest();
    EXPECT_EQ(window.calls, (std::vector<std::string>{"prepare", "hide", "start"}));
    EXPECT_EQ(g.RunMode, kRunTest);
    setup.RuntimeClosed();
    EXPECT_EQ(g.RunMode, kRunSetup);
    EXPECT_EQ(window.calls.back(), "show");

    window.portOpens = false;
    window.calls.clear();
    setup.ActivateTest();
    EXPECT_EQ(window.calls, std::vector<std::string>{"prepare"}) << "the setup window stays";
    EXPECT_EQ(g.RunMode, kRunSetup);
}

TEST_F(SetupControllerTest, VirtualInstrumentModeNamesThePortWithoutOpeningItAndComesBack) {
    setup.Start("");
    window.calls.clear();
    g.PortIndex = 2;
    g.PortName.clear();
    g.ConfigChanged = kTrue;
    setup.ActivateVirtual();
    EXPECT_EQ(window.calls, (std::vector<std::string>{"prepare", "hide", "start"}))
        << "no save prompt: the setup window stays loaded";
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(g.RunMode, kRunVirtual);
    EXPECT_EQ(g.PortName, "COM3");
    setup.RuntimeClosed();
    EXPECT_EQ(window.calls.back(), "show");
    EXPECT_EQ(g.RunMode, kRunSetup);
}

// Normal mode with unsaved changes asks to save after the port opened; Cancel closes the port
// again and stays in setup.
TEST_F(SetupControllerTest, NormalModeCancelledAtTheSavePromptAbandonsTheRuntime) {
    setup.Start("");
    window.calls.clear();
    g.ConfigChanged = kTrue;
    messages.answers = {MessageAnswer::Cancel};
    setup.ActivateNormal();
    EXPECT_EQ(window.calls, (std::vector<std::string>{"prepare", "abandon", "show"}));
    EXPECT_EQ(g.RunMode, kRunSetup);
    EXPECT_TRUE(setup.EndOnSetupClose());

    messages.answers = {MessageAnswer::No};
    window.calls.clear();
    setup.ActivateNormal();
    EXPECT_EQ(window.calls, (std::vector<std::string>{"prepare", "start", "unload"}));
    EXPECT_FALSE(setup.EndOnSetupClose());
}

TEST_F(SetupControllerTest, ClosingAsksToSaveAndCancelKeepsTheWindow) {
    setup.Start("");
    g.ConfigChanged = kTrue;
    messages.answers = {MessageAnswer::Cancel};
    EXPECT_FALSE(setup.CloseSetup());
    EXPECT_NE(window.calls.back(), "end");
    messages.answers = {MessageAnswer::No};
    EXPECT_TRUE(setup.CloseSetup());
    EXPECT_EQ(window.calls.back(), "end");
}

}  // namespace
}  // namespace quorvane
