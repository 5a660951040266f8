// Log to disk: appending, failures with Retry and Cancel, and the real file sink.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "engine/EngineFixture.h"
#include "engine/FileLogSink.h"

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
