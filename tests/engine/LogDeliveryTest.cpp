// Log to disk: appending, failures with Retry and Cancel, and the real file sink.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "engine/EngineFixture.h"
#include "engine/FileLogSink.h"
#include "engine/RecordDelivery.h"
#include "strings/StringTable.h"

namespace quorvane {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class LogDelivery : public EngineFixture {
  protected:
    LogDelivery() { g.PortIndex = 2; }
};

TEST_F(LogDelivery, AppendsRecordsWithoutAddingLineEnds) {
    Start();
    Feed("1\r\n2\r\n");
    EXPECT_EQ(Logged(), "1\r\n2\r");
    EXPECT_EQ(log.opens, 2);
    EXPECT_FALSE(log.isOpen);
}

TEST_F(LogDelivery, OpenFailureAsksAndRetryRepeatsTheOpen) {
    log.openFailures = 2;
    messages.answers = {MessageAnswer::Retry, MessageAnswer::Retry};
    Start();
    Feed("7\r");
    EXPECT_EQ(Logged(), "7\r");
    ASSERT_EQ(messages.shown.size(), 2u);
    const auto& m = messages.shown[0];
    EXPECT_EQ(m.title, "Quorvane - COM3 ERROR!");
    EXPECT_EQ(m.text, "File I/O Error Writing To: /tmp/test.log\rNo such file or directory");
    EXPECT_EQ(m.buttons, MessageButtons::RetryCancel);
    EXPECT_EQ(m.icon, MessageIcon::Exclamation);
    EXPECT_EQ(m.beepsBefore, 1);
    EXPECT_EQ(messages.shown[1].beepsBefore, 2);
    EXPECT_EQ(calls.Count("log.Open"), 3);
    EXPECT_EQ(calls.Count("log.Write"), 1);
    EXPECT_EQ(view.recordNumber, "1");
}

TEST_F(LogDelivery, ShortWriteRetriesOnlyWhatIsMissing) {
    log.writeFailures = 1;
    log.acceptBeforeFailure = 3;
    messages.answers = {MessageAnswer::Retry};
    Start();
    Feed("abcdef\r");
    EXPECT_EQ(Logged(), "abcdef\r");
    EXPECT_EQ(calls.calls[calls.IndexOf("log.Write") + 1], "log.Write(def\r)");
    EXPECT_EQ(calls.Count("log.Open"), 1);
}

TEST_F(LogDelivery, FailedCloseWritesTheRecordAgainOnRetry) {
    log.closeFailures = 1;
    messages.answers = {MessageAnswer::Retry};
    Start();
    Feed("x\r");
    EXPECT_EQ(Logged(), "x\rx\r");  // doubled rather than possibly lost
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_FALSE(log.isOpen);
}

TEST_F(LogDelivery, CancelResetsSuspendsAndLosesTheRecord) {
    Delimited(2, ",");
    log.writeFailures = 1;
    messages.answers = {MessageAnswer::Cancel};
    Start();
    view.recordNumber = "4";
    const size_t consumed = Feed("a,b\rc,d\r");
    EXPECT_EQ(consumed, 4u);  // the reset purged what was still waiting
    EXPECT_EQ(Logged(), "");
    EXPECT_FALSE(log.isOpen);
    EXPECT_TRUE(flags.Suspended);
    EXPECT_EQ(view.resets, 1);
    EXPECT_EQ(view.recordNumber, "");  // reset, and the lost record is not counted
    EXPECT_EQ(calls.Count("view.SetRecordNumberText"), 1);
    EXPECT_EQ(calls.IndexOf("view.OnEngineReset") + 1, calls.IndexOf("view.OnSuspendedChanged(1)"));
    EXPECT_FALSE(engine.State().InRecord);
    for (int n = 1; n <= kOverflowField; ++n) EXPECT_EQ(engine.FieldData()[n], "") << n;
}

TEST_F(LogDelivery, CancelWhileSuspendedStaysSuspendedAndEndsTheTick) {
    log.openFailures = 1;
    messages.answers = {MessageAnswer::Cancel};
    flags.ResumeOneRecord = true;
    Start();
    source.Add("1\r2\r");
    engine.RunByteLoop(source);
    EXPECT_TRUE(flags.Suspended);
    EXPECT_FALSE(flags.ResumeOneRecord);
    EXPECT_EQ(source.waiting.size(), 2u);
    flags.Suspended = true;
    messages.answers = {MessageAnswer::Cancel};
    log.openFailures = 1;
    Feed("3\r");
    EXPECT_EQ(view.suspendedChanges, 1);  // already suspended: no second change
}

TEST_F(LogDelivery, FileNameBytesBecomeAUtf8Path) {
    g.LogFileName = "/tmp/caf\xe9.log";
    log.openFailures = 1;
    messages.answers = {MessageAnswer::Retry};
    Start();
    Feed("x\r");
    EXPECT_EQ(log.lastPath, "/tmp/caf\xc3\xa9.log");
    EXPECT_EQ(messages.shown[0].text.substr(0, 37), "File I/O Error Writing To: /tmp/caf\xc3\xa9");
}

struct LogNameCase {
    const char* setting;  // code-page bytes
    const char* home;     // UTF-8
    const char* path;     // UTF-8
    int noticeId;
};

TEST(ResolveLogFileName, MapsWindowsPathsAndBareNamesIntoTheHomeFolder) {
    const LogNameCase cases[] = {
        {"/tmp/caf\xe9.log", "/home/kim", "/tmp/caf\xc3\xa9.log", 0},
        {"/home/j\xf3zef/Quorvane.Log", "/home/j\xc3\xb3zef", "/home/j\xc3\xb3zef/Quorvane.Log", 0},
        {"logs/run.log", "/home/kim", "logs/run.log", 0},
        {"C:\\Program Files\\Quorvane\\Quorvane.Log", "/home/kim", "/home/kim/Quorvane.Log", 30201},
        {"c:data.log", "/home/kim/", "/home/kim/data.log", 30201},
        {"\\\\server\\share\\Caf\xe9.log", "/home/kim", "/home/kim/Caf\xc3\xa9.log", 30201},
        {"D:\\", "/home/kim", "/home/kim/Quorvane.Log", 30201},
        {"Quorvane.Log", "/home/kim", "/home/kim/Quorvane.Log", 0},
        {"Quorvane.Log", "/home/\xd0\x94\xd0\xb8\xd0\xbc\xd0\xb0",
         "/home/\xd0\x94\xd0\xb8\xd0\xbc\xd0\xb0/Quorvane.Log", 30200},
    };
    for (const LogNameCase& c : cases) {
        const LogFileTarget target = ResolveLogFileName(c.setting, c.home);
        EXPECT_EQ(target.path, c.path) << c.setting;
        EXPECT_EQ(target.noticeId, c.noticeId) << c.setting;
    }
}

// Runs with HOME set to a given folder and restores it afterwards.
class LogInHomeFolder : public LogDelivery {
  protected:
    void SetHome(const char* home) {
        if (const char* old = std::getenv("HOME")) savedHome_ = old;
        setenv("HOME", home, 1);
    }
    void TearDown() override { setenv("HOME", savedHome_.c_str(), 1); }

  private:
    std::string savedHome_ = "/";
};

TEST_F(LogInHomeFolder, DefaultLogInANonAsciiHomeIsOpenedUnderItsRealName) {
    SetHome("/home/j\xc3\xb3zef");
    ResetToDefaults(g, HomeDirectory());
    g.Mode = kModeLog;
    EXPECT_EQ(g.LogFileName, "/home/j\xf3zef/Quorvane.Log");  // code-page bytes
    Start();
    Feed("1\r");
    EXPECT_EQ(log.lastPath, "/home/j\xc3\xb3zef/Quorvane.Log");
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(LogInHomeFolder, AHomeTheCodePageCannotHoldKeepsTheLogThereWithOneNotice) {
    SetHome("/home/\xd0\x94\xd0\xb8\xd0\xbc\xd0\xb0");
    ResetToDefaults(g, HomeDirectory());
    g.Mode = kModeLog;
    EXPECT_EQ(g.LogFileName, "Quorvane.Log");
    Start();
    Feed("1\r2\r");
    EXPECT_EQ(log.lastPath, "/home/\xd0\x94\xd0\xb8\xd0\xbc\xd0\xb0/Quorvane.Log");
    EXPECT_EQ(Logged(), "1\r2\r");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text,
              LoadString(30200) + " /home/\xd0\x94\xd0\xb8\xd0\xbc\xd0\xb0/Quorvane.Log");
}

TEST_F(LogInHomeFolder, AWindowsLogPathIsMappedIntoTheHomeFolderWithOneNotice) {
    SetHome("/home/kim");
    g.LogFileName = "C:\\Lab\\Quorvane.Log";
    Start();
    Feed("1\r2\r");
    EXPECT_EQ(log.lastPath, "/home/kim/Quorvane.Log");
    EXPECT_EQ(Logged(), "1\r2\r");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, LoadString(30201) + " /home/kim/Quorvane.Log");
    EXPECT_EQ(g.LogFileName, "C:\\Lab\\Quorvane.Log");  // saved back as it came
}

class RealLogFile : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("quorvane-log-" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir;
};

TEST_F(RealLogFile, CreatesAppendsAndAddsNothing) {
    FileLogSink sink;
    const fs::path file = dir / "Quorvane.Log";
    for (const char* part : {"ab\r", "", "c"}) {
        ASSERT_TRUE(sink.Open(file.string()).ok);
        size_t written = 0;
        ASSERT_TRUE(sink.Write(part, written).ok);
        ASSERT_TRUE(sink.Close().ok);
    }
    ASSERT_TRUE(sink.Open(file.string()).ok);
    size_t written = 0;
    ASSERT_TRUE(sink.Write(std::string_view("x\0y", 3), written).ok);
    EXPECT_EQ(written, 3u);
    ASSERT_TRUE(sink.Close().ok);
    EXPECT_EQ(ReadFile(file), std::string("ab\rcx\0y", 7));
}

TEST_F(RealLogFile, MissingDirectoryShowsTheSystemErrorUntilCancel) {
    SetupGlobals g;
    ResetToDefaults(g, dir.string());
    g.Mode = kModeLog;
    g.LogFileName = (dir / "missing" / "Quorvane.Log").string();
    RuntimeFlags flags;
    LocaleInfo locale = LocaleInfo::EnUs();
    FakeMessages messages;
    messages.answers = {MessageAnswer::Retry, MessageAnswer::Retry, MessageAnswer::Cancel};
    FakeClock clock;
    FakeEngineView view;
    FakeKeystrokeTarget keys;
    FakeDdeClient dde;
    FileLogSink sink;
    RecordEngine engine(g, flags, locale, {messages, clock, view, keys, dde, sink});
    engine.Activate();
    const std::string bytes = "12.5\r";
    engine.RunBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    ASSERT_EQ(messages.shown.size(), 3u);
    EXPECT_EQ(messages.shown[2].text,
              "File I/O Error Writing To: " + g.LogFileName + "\rNo such file or directory");
    EXPECT_TRUE(flags.Suspended);
    EXPECT_FALSE(fs::exists(dir / "missing"));

    // Once the directory exists the next record is written.
    fs::create_directories(dir / "missing");
    flags.Suspended = false;
    engine.RunBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    EXPECT_EQ(ReadFile(g.LogFileName), "12.5\r");
    EXPECT_EQ(view.recordNumber, "1");
}

}  // namespace
}  // namespace quorvane
