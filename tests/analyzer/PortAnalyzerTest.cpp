#include "analyzer/PortAnalyzer.h"

#include <gtest/gtest.h>

#include <string>

#include "analyzer/BestGuess.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeMessages.h"
#include "fakes/FakeSerialPort.h"

namespace quorvane {
namespace {

using namespace std::string_literals;

class PortAnalyzerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g.InputTranslation = DefaultInputTranslation();
        ASSERT_TRUE(analyzer.Open(messages));
    }
    int Count(const std::string& what) const {
        int n = 0;
        for (const std::string& c : port.CallNames()) n += c == what;
        return n;
    }

    SetupGlobals g;
    FakeSerialPort port;
    FakeClock clock;
    FakeMessages messages;
    PortAnalyzer analyzer{g, port, clock};
};

TEST(AnalyzerCaption, NamesTheConnectorAndTheLineSettingsAsThePortDialogShowsThem) {
    SetupGlobals g;
    g.PortIndex = 0;
    g.BaudRateIndex = 6;
    g.Parity = 2;
    g.DataBitsIndex = 2;
    g.StopBits = 0;
    EXPECT_EQ(AnalyzerCaption(g), "Port Analyze - COM1:9600,Even,7,1");
    g.PortIndex = 11;
    g.BaudRateIndex = 11;
    g.Parity = 0;
    g.DataBitsIndex = 3;
    g.StopBits = 1;
    EXPECT_EQ(AnalyzerCaption(g), "Port Analyze - COM12:115200,None,8,1.5");
}

TEST_F(PortAnalyzerTest, ReceivedBytesShowAsTheyCameWithNulAs255) {
    port.Play("12\0,4\r\n"s);
    EXPECT_TRUE(analyzer.Tick());
    EXPECT_EQ(analyzer.Display(), "12\xFF,4\r\n");
    EXPECT_TRUE(port.input.empty());
    EXPECT_FALSE(analyzer.Tick());
    analyzer.ClearDisplay();
    EXPECT_EQ(analyzer.Display(), "");
}

TEST_F(PortAnalyzerTest, WithTranslationIgnoredBytesVanishAndTheGuessNeverSeesThem) {
    g.InputTranslation['\r'] = "Ignore";
    g.InputTranslation['\n'] = "Void Record";
    g.InputTranslation['a'] = "b";
    g.InputTranslation['z'] = "\0"s;
    analyzer.SetTranslate(true);
    port.Play("a,z\r\n");
    analyzer.Tick();
    EXPECT_EQ(analyzer.Display(), "b,\xFF\n");
    // Without the CR, the guess is fixed-length records.
    EXPECT_EQ(GuessRecordStructure(analyzer.Display())->kind, GuessKind::FixedLength);
}

TEST_F(PortAnalyzerTest, SendQueuesForTheNextTickAndAnEmptyBoxSendsNothing) {
    EXPECT_TRUE(analyzer.Send(""));
    EXPECT_TRUE(analyzer.Send("P\0\r"s));
    EXPECT_EQ(port.written, "");
    analyzer.Tick();
    EXPECT_EQ(port.written, "P\0\r"s);
    EXPECT_EQ(Count("Write P\0\r"s), 1);
}

TEST_F(PortAnalyzerTest, BreakLastsTwoTicksAfterTheLastPress) {
    analyzer.Break();
    analyzer.Tick();
    analyzer.Break();  // pressed again before it ended
    analyzer.Tick();
    EXPECT_EQ(Count("EndBreak"), 0);
    analyzer.Tick();
    EXPECT_EQ(Count("StartBreak"), 2);
    EXPECT_EQ(Count("EndBreak"), 1);
    analyzer.Tick();
    EXPECT_EQ(Count("EndBreak"), 1);
}

TEST_F(PortAnalyzerTest, OptoRsAsksOnceForEachDsrRise) {
    g.FlowControl = 3;
    port.modemStatus = kModemDsr;
    analyzer.Tick();
    analyzer.Tick();
    EXPECT_EQ(port.written, "?\r");
    port.modemStatus = kModemDsr | kModemCts;  // DSR not alone: no rise
    analyzer.Tick();
    port.modemStatus = kModemDsr;
    analyzer.Tick();
    EXPECT_EQ(port.written, "?\r?\r");
    g.FlowControl = 0;
    port.modemStatus = 0;
    analyzer.Tick();
    port.modemStatus = kModemDsr;
    analyzer.Tick();
    EXPECT_EQ(port.written, "?\r?\r");
}

TEST_F(PortAnalyzerTest, ClosingEndsABreakLowersTheLinesAndClosesThePort) {
    analyzer.Break();
    analyzer.Close();
    const auto calls = port.CallNames();
    const std::vector<std::string> tail(calls.end() - 4, calls.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"EndBreak", "SetDtr 0", "SetRts 0", "Close"}));
    EXPECT_FALSE(analyzer.IsOpen());
    port.Play("x");
    EXPECT_FALSE(analyzer.Tick());
}

TEST_F(PortAnalyzerTest, ThePastTheBoundCutStartsAtARecordAndCountsWhatWent) {
    const std::string record = std::string(999, '7') + "\r";
    for (size_t sent = 0; sent <= kAnalyzerDisplayLimit; sent += record.size()) port.Play(record);
    port.Play("tail");
    analyzer.Tick();
    const std::string& shown = analyzer.Display();
    EXPECT_LE(shown.size(), kAnalyzerDisplayLimit);
    EXPECT_EQ(shown.substr(0, 1000), record);  // whole records from the front
    EXPECT_EQ(shown.substr(shown.size() - 4), "tail");
    EXPECT_EQ(analyzer.DroppedCharacters() + shown.size(),
              (kAnalyzerDisplayLimit / 1000 + 1) * 1000 + 4);

    // Without a CR the cut is exact.
    analyzer.ClearDisplay();
    port.Play(std::string(kAnalyzerDisplayLimit + 10, 'x'));
    analyzer.Tick();
    EXPECT_EQ(analyzer.Display().size(), kAnalyzerDisplayLimit);
}

TEST_F(PortAnalyzerTest, APortThatWillNotOpenShowsItsFailure) {
    SetupGlobals other;
    FakeSerialPort failing;
    failing.openResults.push_back(
        SerialError{SerialErrorKind::Unavailable, 16, "Device or resource busy", "", ""});
    PortAnalyzer closed{other, failing, clock};
    FakeMessages shown;
    EXPECT_FALSE(closed.Open(shown));
    EXPECT_EQ(shown.shown.size(), 1u);
    EXPECT_FALSE(closed.Tick());
}

}  // namespace
}  // namespace quorvane
