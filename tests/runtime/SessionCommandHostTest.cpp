// The runtime controls behind DDE commands and hot keys, over a real session: commands run
// through the interpreter and are checked on the fake port, view and hooks; the reload of a
// configuration file written by the writer.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "config/ConfigTestSupport.h"
#include "config/ConfigWriter.h"
#include "runtime/DdeCommandInterpreter.h"
#include "runtime/HotKeys.h"
#include "runtime/SessionCommandHost.h"
#include "runtime/SessionFixture.h"
#include "strings/StringIds.h"
#include "strings/StringTable.h"

namespace quorvane {
namespace {

class RecordingLinkMenu : public LinkMenuHandler {
  public:
    void RecomputeEditMenu() override { calls.push_back("recompute"); }
    bool IsLinkItemEnabled(LinkMenuItem item) const override {
        return item == LinkMenuItem::TerminateBuffer;
    }
    void PerformLinkItem(LinkMenuItem item) override {
        calls.push_back("perform " + std::to_string(static_cast<int>(item)));
    }
    std::vector<std::string> calls;
};

class RecordingClipboard : public LinkClipboard {
  public:
    void PutLink(const std::string& l, const std::string& t) override {
        link = l;
        text = t;
    }
    std::string link, text;
};

class SessionCommands : public SessionFixture {
  protected:
    void Begin() {
        Start();
        host = std::make_unique<SessionCommandHost>(*session, g, port, messages);
        interpreter = std::make_unique<DdeCommandInterpreter>(g, *host, messages, clock, locale);
    }
    bool Run(const std::string& command) { return interpreter->Execute(command); }

    // A configuration for port index portIndex, written by the writer into a scratch file.
    std::string WriteConfig(const std::string& name, int16_t portIndex, int16_t fields) {
        SetupGlobals c;
        ResetToDefaults(c, "/tmp");
        c.PortIndex = portIndex;
        c.NumberOfFields = fields;
        c.Mode = kModeLog;
        c.LogFileName = "/tmp/session-reload.log";
        c.ButtonCaption[4] = "Zero";
        c.ButtonString[4] = "Z\r\n";
        std::string bytes;
        EXPECT_TRUE(SerializeConfig(c, bytes));
        const std::filesystem::path path = dir / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }

    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("session-host-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::filesystem::path dir;
    std::unique_ptr<SessionCommandHost> host;
    std::unique_ptr<DdeCommandInterpreter> interpreter;
};

TEST_F(SessionCommands, SuspensionCommandsDriveTheSession) {
    Begin();
    EXPECT_TRUE(Run("{SUSPEND}"));
    EXPECT_TRUE(session->IsSuspended());
    EXPECT_EQ(view.caption, "Quorvane - COM1 (S)");
    Tick("1\r");
    EXPECT_EQ(log.Count("log.Write"), 0);  // suspended: the record waits
    EXPECT_TRUE(Run("{RESUME1}"));
    EXPECT_FALSE(session->IsSuspended());
    EXPECT_TRUE(session->Flags().ResumeOneRecord);
    EXPECT_TRUE(Run("{RESET}"));
    EXPECT_FALSE(session->Flags().ResumeOneRecord);
}

TEST_F(SessionCommands, LineCommandsReachThePort) {
    clock.step = 1;  // the DTR pulse busy-waits on the tick
    Begin();
    port.calls.clear();
    EXPECT_TRUE(Run("{DTR=OFF}"));
    EXPECT_FALSE(port.dtr);
    EXPECT_TRUE(Run("{RTS=OFF}"));
    EXPECT_FALSE(port.rts);
    EXPECT_TRUE(Run("{RTS=ON}"));
    EXPECT_TRUE(port.rts);
    EXPECT_TRUE(Run("{TOGGLEDTR}"));
    EXPECT_TRUE(port.dtr);
    EXPECT_TRUE(Run("{BREAK}"));
    EXPECT_TRUE(port.breakOn);
    Ticks(3);
    EXPECT_FALSE(port.breakOn);
    EXPECT_EQ(port.CallNames(),
              (std::vector<std::string>{"SetDtr 0", "SetRts 0", "SetRts 1", "SetDtr 0", "SetDtr 1",
                                        "StartBreak", "EndBreak"}));
}

TEST_F(SessionCommands, TimerSwitchFollowsTheMenuAndAHiddenItemStaysHidden) {
    g.TimerInterval = 0;
    g.TimerOptions = 2;  // transmit string
    Begin();
    EXPECT_FALSE(view.timerMenuVisible);
    EXPECT_TRUE(Run("{TIMERINTERVAL=100}"));
    EXPECT_EQ(g.TimerInterval, 100);
    EXPECT_FALSE(view.timerMenuVisible);
    EXPECT_FALSE(view.timerItemEnabled);  // it would transmit an empty TimerString
    EXPECT_TRUE(Run("{TIMER-ON}"));
    EXPECT_EQ(host->TimedOutputFlags() & 1, 1);
    EXPECT_FALSE(view.timerMenuVisible);
    EXPECT_TRUE(view.timerMenuEnabled);
    EXPECT_TRUE(Run("{TIMERSTRING='T'}"));
    EXPECT_TRUE(Run("{TIMERINTERVAL=50}"));
    EXPECT_TRUE(view.timerItemEnabled);
    Ticks(3);
    EXPECT_NE(port.written.find('T'), std::string::npos);
    EXPECT_TRUE(Run("{TIMER-OFF}"));
    EXPECT_EQ(host->TimedOutputFlags() & 1, 0);
    EXPECT_FALSE(view.timerMenuEnabled);
}

TEST_F(SessionCommands, ClearEmptiesTheBoxesAndTheirItemsButKeepsTheRecordNumber) {
    Begin();
    Tick("12.5\r");
    ASSERT_EQ(view.fields[1], "12.5\r");  // File New keeps the end character
    const std::string number = view.recordNumber;
    EXPECT_TRUE(Run("{CLEAR}"));
    EXPECT_EQ(view.fields[1], "");
    EXPECT_EQ(host->ItemText("Field(1)"), "");
    EXPECT_EQ(log.Count("hooks.Item(Field(1),)"), 1);
    EXPECT_EQ(view.recordNumber, number);
}

TEST_F(SessionCommands, WindowBeepAndExit) {
    Begin();
    EXPECT_TRUE(Run("{APPMINIMIZE}"));
    EXPECT_TRUE(view.minimized);
    EXPECT_TRUE(Run("{APPNORMAL}"));
    EXPECT_FALSE(view.minimized);
    EXPECT_EQ(view.shownNormal, 1);
    EXPECT_TRUE(Run("[beep]"));
    EXPECT_EQ(messages.beeps, 1);
    EXPECT_TRUE(Run("{APPEXIT}"));
    Tick();
    EXPECT_FALSE(session->IsUnloaded());
    Tick();
    EXPECT_TRUE(session->IsUnloaded());
    EXPECT_EQ(log.Count("hooks.DisconnectClients"), 1);
}

TEST_F(SessionCommands, WithoutTheLinkSideLinkItemsAreDisabledAndThereIsNoClipboard) {
    Begin();
    EXPECT_FALSE(Run("{TERMINATE-BUFFER}"));
    EXPECT_FALSE(Run("{PASTE-COMMAND}"));
    EXPECT_TRUE(Run("{COPYRECNUM}"));  // accepted, nothing to copy to
}

TEST_F(SessionCommands, LinkItemsAndCopiesGoToTheLinkSide) {
    RecordingLinkMenu links;
    RecordingClipboard clipboard;
    Start();
    host = std::make_unique<SessionCommandHost>(*session, g, port, messages, &links, &clipboard);
    interpreter = std::make_unique<DdeCommandInterpreter>(g, *host, messages, clock, locale);
    EXPECT_TRUE(Run("{TERMINATE-BUFFER}"));
    EXPECT_FALSE(Run("{REFRESH-COMMAND}"));
    EXPECT_EQ(links.calls, (std::vector<std::string>{"recompute", "perform 5", "recompute"}));
    Tick("7\r");
    EXPECT_TRUE(Run("{COPYFIELD(1)}"));
    EXPECT_EQ(clipboard.link, "Quorvane|COM1!Field(1)");
    EXPECT_EQ(clipboard.text, "7\r");
    interpreter.reset();  // before the link side they point to
    host.reset();
}

TEST_F(SessionCommands, ConfigReloadsForTheSamePortKeepingTopicQueueAndLines) {
    g.DdeTopicName = "Scale";
    Begin();
    g.OutputQueue = "pending";
    port.calls.clear();
    const std::string path = WriteConfig("same.qv3", 0, 3);
    EXPECT_TRUE(Run("{CONFIG(" + path + ")}"));
    EXPECT_EQ(g.ConfigFileName, path);
    EXPECT_EQ(g.NumberOfFields, 3);
    EXPECT_EQ(g.OutputQueue, "pending");
    EXPECT_EQ(g.RunMode, kRunNormal);
    EXPECT_EQ(session->ServedTopic(), "Scale");
    EXPECT_EQ(log.Count("hotkeys.Program"), 2);
    // Only the handle is closed and opened again: no line call in between.
    EXPECT_EQ(port.CallNames(), (std::vector<std::string>{"Close", "Open COM1"}));
    ASSERT_EQ(view.buttons.size(), 1u);
    EXPECT_EQ(view.buttons[0].Caption, "Zero");
    Tick("1,2,3\r");
    EXPECT_EQ(port.written, "pending");
}

TEST_F(SessionCommands, AReloadKeepsWhatAnOlderLayoutFileDoesNotCarry) {
    g.DdeTopicName = "Scale";
    g.AlwaysOnTop = kTrue;
    g.ActivateSuspended = kTrue;
    g.FieldMath[1] = "X*2";
    g.HotKeyAction[0] = 3;
    g.HotKeyCode[0] = 0x71;
    g.HotKeyString[0] = "{F2}";
    Begin();
    SetupGlobals older = testing::FileNewSettings();
    older.NumberOfFields = 2;
    const std::filesystem::path path = dir / "older.qv3";
    std::ofstream(path, std::ios::binary) << testing::OlderLayoutBytes(older, false);
    EXPECT_TRUE(Run("{CONFIG(" + path.string() + ")}"));
    EXPECT_EQ(g.NumberOfFields, 2);
    EXPECT_EQ(g.DdeTopicName, "Scale");
    EXPECT_EQ(g.AlwaysOnTop, kTrue);
    EXPECT_EQ(g.ActivateSuspended, kTrue);
    EXPECT_EQ(g.FieldMath[1], "X*2");
    EXPECT_EQ(g.HotKeyAction[0], 3);
    EXPECT_EQ(g.HotKeyCode[0], 0x71);
    EXPECT_EQ(g.HotKeyString[0], "{F2}");
}

TEST_F(SessionCommands, AReloadAskedForDuringATickWaitsForTheTickToEnd) {
    // A log sink that runs a command while it writes, as a command arriving during a wait
    // inside delivery would.
    struct CommandingSink : FakeLogSink {
        using FakeLogSink::FakeLogSink;
        LogStatus Write(std::string_view bytes, size_t& written) override {
            if (onWrite) onWrite();
            return FakeLogSink::Write(bytes, written);
        }
        std::function<void()> onWrite;
    };
    CommandingSink sink{&log};
    const std::string path = WriteConfig("during.qv3", 0, 3);
    port.Open("COM1", LineRequest{});
    RuntimeSession s(RuntimeServices{g, port, clock, messages, locale, keys, dde, sink, settings,
                                     ddeHooks, hotKeys, nullptr},
                     view);
    s.Activate();
    SessionCommandHost tickHost(s, g, port, messages);
    DdeCommandInterpreter tickInterpreter(g, tickHost, messages, clock, locale);
    bool accepted = false;
    int fieldsDuringTick = 0;
    sink.onWrite = [&] {
        if (accepted) return;
        accepted = tickInterpreter.Execute("{CONFIG(" + path + ")}");
        fieldsDuringTick = g.NumberOfFields;
        g.OutputQueue += "q";  // queued after the read: still sent after the switch
        EXPECT_TRUE(port.IsOpen());
    };
    port.calls.clear();
    port.Play("1\r2\r");
    s.PollTick();
    EXPECT_TRUE(accepted);
    EXPECT_EQ(fieldsDuringTick, 1);  // the running tick kept its settings
    EXPECT_EQ(sink.contents, "1\r2\r");
    EXPECT_EQ(g.NumberOfFields, 3);
    EXPECT_EQ(g.OutputQueue, "q");
    EXPECT_EQ(log.Count("hotkeys.Program"), 2);
    const std::vector<std::string> calls = port.CallNames();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(std::vector<std::string>(calls.end() - 2, calls.end()),
              (std::vector<std::string>{"Close", "Open COM1"}));
}

TEST_F(SessionCommands, ConfigForAnotherPortOrAnUnreadableFileChangesNothing) {
    g.NumberOfFields = 2;
    Begin();
    port.calls.clear();
    EXPECT_FALSE(Run("{CONFIG(" + WriteConfig("other.qv3", 1, 5) + ")}"));
    const std::string previous = g.ConfigFileName;
    g.ConfigFileName = (dir / "missing.qv3").string();
    EXPECT_FALSE(host->ReloadConfiguration());
    EXPECT_EQ(g.NumberOfFields, 2);
    EXPECT_TRUE(port.calls.empty());
    EXPECT_EQ(log.Count("hotkeys.Program"), 1);
}

TEST_F(SessionCommands, ConfigAndSendFileOfWhatIsNoRegularFileAreRefusedWithTheReason) {
    Begin();
    const std::string fifo = (dir / "pipe.qv3").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string missing = (dir / "missing.qv3").string();
    // Opening the FIFO would wait here for a writer that never comes.
    EXPECT_FALSE(Run("{CONFIG(" + fifo + ")}"));
    EXPECT_FALSE(Run("{SENDFILE(" + fifo + ")}"));
    EXPECT_FALSE(Run("{CONFIG(" + dir.string() + ")}"));
    EXPECT_FALSE(Run("{CONFIG(" + missing + ")}"));
    ASSERT_EQ(messages.shown.size(), 4u);
    EXPECT_EQ(messages.shown[0].text, LoadString(kStrNotRegularFile, {fifo}));
    EXPECT_EQ(messages.shown[0].title, LoadString(kStrFileIoError));
    EXPECT_EQ(messages.shown[1].text, messages.shown[0].text);
    EXPECT_EQ(messages.shown[2].text, dir.string() + ": Is a directory");
    EXPECT_EQ(messages.shown[3].text, missing + ": No such file or directory");
    EXPECT_EQ(g.OutputQueue, "");
    Tick("7\r");  // the session goes on
    EXPECT_EQ(session->ItemText("Field(1)"), "7\r");
}

TEST_F(SessionCommands, AReopenThatFailsIsShownAndTheReloadGoesOn) {
    Begin();
    const size_t before = messages.shown.size();
    port.openResults.push_back(
        SerialError{SerialErrorKind::Unavailable, 16, "Device or resource busy", "", ""});
    EXPECT_TRUE(Run("{CONFIG(" + WriteConfig("busy.qv3", 0, 4) + ")}"));
    EXPECT_EQ(messages.shown.size(), before + 1);
    EXPECT_FALSE(port.open);
    EXPECT_EQ(g.NumberOfFields, 4);
    Tick("1\r");  // the session still runs, on a closed port
    EXPECT_FALSE(session->IsUnloaded());
}

TEST_F(SessionCommands, VirtualInstrumentRefusesReloadAndLeavesLinesAlone) {
    g.RunMode = kRunVirtual;
    Begin();
    EXPECT_TRUE(host->IsVirtualInstrument());
    EXPECT_FALSE(Run("{CONFIG(" + WriteConfig("vi.qv3", 0, 2) + ")}"));
    EXPECT_TRUE(Run("{DTR=OFF}"));
    EXPECT_FALSE(Run("{PUSH(BREAK)}"));
    EXPECT_TRUE(port.calls.empty());
}

TEST_F(SessionCommands, ASendThatWouldPassTheQueueBoundIsRefusedWithTheReasonOnce) {
    Begin();
    port.writeLimits = {0, 0};  // the device reads nothing for two ticks
    EXPECT_TRUE(Run("{SEND(" + std::string(kOutputQueueLimit - 2, 's') + ")}"));
    EXPECT_TRUE(Run("{SEND(ab)}"));
    EXPECT_FALSE(Run("{SEND(c)}"));
    EXPECT_FALSE(Run("{SENDCODE(65)}"));
    EXPECT_EQ(g.OutputQueue.size(), kOutputQueueLimit);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text,
              LoadString(kStrOutputQueueFull, {std::to_string(kOutputQueueLimit)}));
    Tick();
    Tick();
    Tick();  // taken whole: sends fit again, and a later refusal is said again
    EXPECT_TRUE(g.OutputQueue.empty());
    EXPECT_TRUE(Run("{SEND(c)}"));
    EXPECT_EQ(messages.shown.size(), 1u);
}

TEST_F(SessionCommands, ALostDeviceHoldsExplicitSendsUpToTheOutputBufferSize) {
    g.OutputBufferSize = 128;
    g.ButtonCaption[1] = "Tare";
    g.ButtonString[1] = std::string(20, 'b');
    g.HotKeyString[0] = "h";
    Begin();
    HotKeys hotKeyActions(g, *host, nullptr, nullptr);
    const std::string file = (dir / "send.txt").string();
    std::ofstream(file, std::ios::binary) << "file";
    port.Lose();
    port.openResults = {{SerialErrorKind::Unavailable, 2, "No such file", "", ""}};
    Tick();
    ASSERT_TRUE(session->IsPortLost());

    EXPECT_TRUE(Run("{SEND(" + std::string(100, 's') + ")}"));
    session->PressStringButton(1);                 // 120 queued
    EXPECT_FALSE(Run("{SEND(123456789)}"));        // 129 would not fit: refused whole
    EXPECT_TRUE(Run("{SENDCODE(65)}"));            // 121
    EXPECT_FALSE(Run("{PUSH(Tare)}"));             // 141
    session->PressStringButton(1);                 // dropped, and the user is told
    EXPECT_TRUE(Run("{SENDFILE(" + file + ")}"));  // 125
    for (int i = 0; i < 3; ++i) hotKeyActions.PerformAction(kHotKeyTransmitString, 0);
    EXPECT_EQ(g.OutputQueue.size(), 128u);
    EXPECT_FALSE(Run("{SENDFILE(" + file + ")}"));
    EXPECT_FALSE(Run("{SENDDATE(yyyy)}"));
    hotKeyActions.PerformAction(kHotKeyTransmitString, 0);  // dropped, told already
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, LoadString(30300));
    const std::string held = g.OutputQueue;
    EXPECT_EQ(held, std::string(100, 's') + std::string(20, 'b') + "Afilehhh");

    Ticks(40);  // the device is back: what was held goes out, and sends are not limited
    ASSERT_FALSE(session->IsPortLost());
    EXPECT_EQ(port.written, held);
    EXPECT_TRUE(Run("{SEND(" + std::string(200, 'n') + ")}"));
    session->PressStringButton(1);
    EXPECT_EQ(g.OutputQueue.size(), 220u);
}

}  // namespace
}  // namespace quorvane
