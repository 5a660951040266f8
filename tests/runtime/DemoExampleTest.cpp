// examples/demo-balance.qv3, the configuration of the README's demo, is written by our writer
// from the settings built here (QUORVANE_REGENERATE_EXAMPLES=1 rewrites it instead of
// comparing), and a session running it turns balance readings into log lines.
#include <gtest/gtest.h>

#include <cstdlib>

#include "config/ConfigParser.h"
#include "config/ConfigTestSupport.h"
#include "runtime/SessionFixture.h"

namespace quorvane {
namespace {

const std::string kDemoFile = std::string(QUORVANE_SOURCE_DIR) + "/examples/demo-balance.qv3";

// Readings like "+0012.50 g" CR LF: each becomes "hh:mm:ss +0012.50 g" LF on standard output,
// and the balance gets an ACK back.
SetupGlobals DemoBalance() {
    SetupGlobals g = testing::FileNewSettings();
    g.Parity = 0;
    g.DataBitsIndex = 3;       // 8 data bits
    g.StartOfRecordEvent = 1;  // a printable byte starts a record, so the LF is passed over
    g.Mode = kModeLog;
    g.LogFileName = "/dev/stdout";
    g.RecordPreamble = "{HOUR}:{MINUTE}:{SECOND} ";
    g.TransferCharTableLog[13] = '\n';  // the CR that ends the record ends the log line
    g.AckString = "\x06";
    return g;
}

TEST(DemoExample, CommittedFileIsWhatTheWriterProduces) {
    const std::string bytes = testing::Serialize(DemoBalance());
    const char* regenerate = std::getenv("QUORVANE_REGENERATE_EXAMPLES");
    if (regenerate && std::string(regenerate) == "1") testing::WriteBytes(kDemoFile, bytes);
    EXPECT_EQ(testing::ReadBytes(kDemoFile), bytes);
}

class DemoSession : public SessionFixture {};

TEST_F(DemoSession, LogsEachReadingAndAcknowledgesIt) {
    ASSERT_EQ(ParseConfigBytes(testing::ReadBytes(kDemoFile), g).status, ConfigParseStatus::Ok);
    g.RunMode = kRunNormal;
    Start();
    Tick("+0012.50 g\r\n+00");
    Tick("12.51 g\r\n");
    Tick();
    EXPECT_EQ(logSink.contents, "09:30:15 +0012.50 g\n09:30:15 +0012.51 g\n");
    EXPECT_EQ(logSink.lastPath, "/dev/stdout");
    EXPECT_EQ(port.written, "\x06\x06");
    EXPECT_EQ(view.recordNumber, "2");
}

}  // namespace
}  // namespace quorvane
