// The port analyzer on a real pseudo-terminal, for every instrument the simulator plays: its
// readings show in the display, the best guess of a whole record proposes the structure the
// instrument really sends, Yes writes it, and the configuration saved from there runs headless
// against the same instrument and logs its fields. Send reaching the device is checked on the
// balance.
#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "config/ConfigTestSupport.h"
#include "e2e/ChildProcess.h"
#include "fakes/FakeMessages.h"
#include "gui/GuiApp.h"
#include "gui/analyzer/ComShow.h"
#include "gui/setup/MainForm.h"
#include "gui/setup/SetupDriving.h"
#include "strings/StringIds.h"

namespace quorvane {
namespace {

using namespace std::chrono_literals;
using testing::ReadBytes;

// Between fields in the log: the postamble of every field, so that the log shows where the
// engine cut each record.
constexpr char kFieldMark = '|';

// One instrument of the simulator, as its manual would describe it.
struct Instrument {
    const char* profile;
    // The readings it cycles through, byte for byte, and each reading's fields as the log
    // should show them once the structure is right (the CR ending a record stays in the last
    // field; a CR LF instrument has its LF ignored on input).
    std::vector<std::string> readings;
    std::vector<std::vector<std::string>> fields;
    // The proposal, in the words of the question up to the question itself.
    std::string proposal;
    int endOfRecordEvent;
    int recordStructure;
    std::optional<std::string> delimiter;  // nothing: the guess leaves the delimiter as it was
    bool sendsLfAfterCr;
};

std::vector<Instrument> Instruments() {
    std::vector<Instrument> all;
    all.push_back(
        {"balance",
         {"+0012.50 g\r\n", "+0012.50 g\r\n", "+0012.51 g\r\n", "+0012.50 g\r\n", "+0012.49 g\r\n"},
         {{"+0012.50", "g\r"},
          {"+0012.50", "g\r"},
          {"+0012.51", "g\r"},
          {"+0012.50", "g\r"},
          {"+0012.49", "g\r"}},
         "Space delimited records with  2 fields and Cr or CrLf at end of record.",
         0,
         1,
         " ",
         true});
    Instrument meter{"meter",
                     {},
                     {},
                     "Comma delimited records with  3 fields and Cr or CrLf "
                     "at end of record.",
                     0,
                     1,
                     ",",
                     true};
    const char* temperatures[] = {"23.0", "23.1", "23.2", "23.3", "23.4",
                                  "23.5", "23.6", "23.7", "23.8", "23.9"};
    const char* voltages[] = {"7.00", "7.03", "7.06", "7.09", "7.12",
                              "7.15", "7.18", "7.21", "7.24", "7.27"};
    for (int k = 0; k < 10; ++k) {
        const std::string pressure = std::to_string(1013 + k);
        meter.readings.push_back(std::string(temperatures[k]) + "," + voltages[k] + "," + pressure +
                                 "\r\n");
        meter.fields.push_back({temperatures[k], voltages[k], pressure + "\r"});
    }
    all.push_back(meter);
    all.push_back({"caliper",
                   {"+0025.40\r", "+0025.41\r", "+0025.40\r", "+0025.39\r"},
                   {{"+0025.40\r"}, {"+0025.41\r"}, {"+0025.40\r"}, {"+0025.39\r"}},
                   "Single Field Records with Cr or CrLf at end of record.",
                   0,
                   0,
                   std::nullopt,
                   false});
    all.push_back({"barcode",
                   {"4006381333931\r\n", "036000291452\r\n", "73513537\r\n", "QV-10042\r\n"},
                   {{"4006381333931\r"}, {"036000291452\r"}, {"73513537\r"}, {"QV-10042\r"}},
                   "Single Field Records with Cr or CrLf at end of record.",
                   0,
                   0,
                   std::nullopt,
                   true});
    return all;
}

// Failures name the instrument, not the bytes of its row.
void PrintTo(const Instrument& instrument, std::ostream* out) {
    *out << instrument.profile;
}

// The reading the text starts with, or nothing.
// Starts the simulated instrument of profile, sending a reading every 20 ms; the device path
// it offers, or nothing when it did not start (its errors in errPath).
std::optional<std::string> StartInstrument(e2e::ChildProcess& sim, const std::string& profile,
                                           const std::string& errPath) {
    if (!sim.Start({QUORVANE_SIM_PROGRAM, "--profile", profile, "--interval", "20"}, errPath))
        return std::nullopt;
    auto pty = sim.ReadLine(e2e::In(20s));
    if (!pty || pty->rfind("/dev/", 0) != 0) return std::nullopt;
    return pty;
}

std::optional<size_t> ReadingAtStart(const Instrument& instrument, const std::string& text) {
    for (size_t i = 0; i < instrument.readings.size(); ++i)
        if (text.rfind(instrument.readings[i], 0) == 0) return i;
    return std::nullopt;
}

std::vector<std::string> SplitAtMarks(const std::string& log) {
    std::vector<std::string> pieces;
    size_t from = 0;
    for (size_t at = log.find(kFieldMark); at != std::string::npos;
         at = log.find(kFieldMark, from)) {
        pieces.push_back(log.substr(from, at - from));
        from = at + 1;
    }
    return pieces;  // the text after the last mark is a record still being written
}

std::string Printable(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

class AnalyzerSimTest : public ::testing::TestWithParam<Instrument> {};

TEST_P(AnalyzerSimTest, TheGuessOfAWholeRecordIsTheInstrumentsStructureAndRunsHeadless) {
    const Instrument& instrument = GetParam();
    const std::string profile = instrument.profile;
    GuiApp();
    testing::ScratchFolder folder;
    setenv("XDG_CONFIG_HOME", folder.File("config").c_str(), 1);
    e2e::ChildProcess sim;
    const auto pty = StartInstrument(sim, profile, folder.File("sim.err"));
    ASSERT_TRUE(pty) << ReadBytes(folder.File("sim.err"));

    SetupGlobals g;
    FakeMessages messages;
    LocaleInfo locale;
    PortDeviceMap devices(folder.File("ports.ini"));
    ASSERT_TRUE(devices.AddOverride("COM1=" + *pty));
    MainForm form(g, messages, locale, std::move(devices));
    form.Controller().Start("");

    // Every simulated instrument sends 8 data bits without parity.
    WhenModal("PortSetup", [](QWidget* port) {
        Click(port, "Parity_0");
        Click(port, "Databits_3");
        Click(port, "OK_Button");
    });
    MenuItem(form, kStrMenuPortSettings)->trigger();
    ASSERT_EQ(g.Parity, 0);
    ASSERT_EQ(g.DataBitsIndex, 3);

    MenuItem(form, kStrMenuPortAnalyze)->trigger();
    ComShow* analyzer = form.Analyzer();
    ASSERT_NE(analyzer, nullptr) << (messages.shown.empty() ? "" : messages.shown[0].text);
    auto* buffer = analyzer->findChild<QPlainTextEdit*>("Buffer");
    ASSERT_NE(buffer, nullptr);
    const auto showsAReading = [&] {
        const QString text = buffer->toPlainText();
        for (const std::string& reading : instrument.readings)
            if (text.contains(QString::fromStdString(reading.substr(0, reading.find('\r')))))
                return true;
        return false;
    };
    EXPECT_TRUE(QTest::qWaitFor(showsAReading, 20000)) << buffer->toPlainText().toStdString();

    // Cleared just after a record's last byte, the display starts with a whole record.
    const char lastByte = instrument.sendsLfAfterCr ? '\n' : '\r';
    const std::string& shown = analyzer->Analyzer().Display();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !shown.empty() && shown.back() == lastByte; }, 20000))
        << Printable(shown);
    Click(analyzer, "ClearButton");
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown.find('\r') != std::string::npos; }, 20000));
    const std::optional<size_t> first = ReadingAtStart(instrument, shown);
    ASSERT_TRUE(first) << "not a whole reading first: " << Printable(shown);
    const std::string& firstReading = instrument.readings[*first];

    const std::string delimiterBefore = g.DelimiterChar;
    messages.answers = {MessageAnswer::Yes};
    const size_t shownBefore = messages.shown.size();
    Click(analyzer, "AnalyzeButton");
    ASSERT_EQ(messages.shown.size(), shownBefore + 1);
    const std::string& question = messages.shown.back().text;
    EXPECT_EQ(question.substr(0, question.find("\n\n")), instrument.proposal);
    EXPECT_EQ(messages.shown.back().buttons, MessageButtons::YesNo);
    EXPECT_EQ(g.EndOfRecordEvent, instrument.endOfRecordEvent);
    EXPECT_EQ(g.RecordStructure, instrument.recordStructure);
    EXPECT_EQ(g.DelimiterChar, instrument.delimiter.value_or(delimiterBefore));
    const int fields = static_cast<int>(instrument.fields[0].size());
    EXPECT_EQ(g.NumberOfFields, fields);
    // The record ends at its CR, counted; an LF after it is not part of the record.
    EXPECT_EQ(g.RecordLength, static_cast<int>(firstReading.find('\r')) + 1);

    Click(analyzer, "QuitButton");
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.Analyzer() == nullptr; }, 10000));

    // The LF after each CR would start the next record: a technician ignores it on input.
    if (instrument.sendsLfAfterCr) {
        IgnoreLfOnInput(form);
        ASSERT_EQ(g.InputTranslation.at('\n'), "Ignore");
    }

    const std::string log = folder.File(profile + ".log");
    AnswerFileDialog(log);
    MenuItem(form, kStrMenuModeLog)->trigger();
    ASSERT_EQ(g.Mode, kModeLog);
    ASSERT_EQ(g.LogFileName, log);
    for (int n = 1; n <= fields; ++n)
        g.FieldPostamble[static_cast<size_t>(n)] = std::string(1, kFieldMark);

    const std::string saved = folder.File(profile + ".qv3");
    AnswerFileDialog(saved);
    MenuItem(form, kStrMenuFileSaveAs)->trigger();
    ASSERT_FALSE(ReadBytes(saved).empty()) << "nothing saved";

    // A fresh instrument, and the saved file run headless over it: four records logged.
    e2e::ChildProcess device, program;
    const auto devicePty = StartInstrument(device, profile, folder.File("device.err"));
    ASSERT_TRUE(devicePty) << ReadBytes(folder.File("device.err"));
    ASSERT_TRUE(
        program.Start({QUORVANE_PROGRAM, "--headless", saved, "--port", "COM1=" + *devicePty},
                      folder.File("program.err"), folder.File("program.out")));
    const size_t wanted = 4 * static_cast<size_t>(fields);
    const bool logged =
        QTest::qWaitFor([&] { return SplitAtMarks(ReadBytes(log)).size() >= wanted; }, 30000);
    program.Signal(SIGTERM);
    EXPECT_EQ(program.Wait(e2e::In(20s)), 0) << ReadBytes(folder.File("program.err"));
    const std::string text = ReadBytes(log);
    ASSERT_TRUE(logged) << Printable(text) << ReadBytes(folder.File("program.err"));

    // The records come whole and in the instrument's order, each cut into its fields.
    const std::vector<std::string> pieces = SplitAtMarks(text);
    std::optional<size_t> start;
    for (size_t i = 0; i < instrument.fields.size() && !start; ++i)
        if (std::equal(instrument.fields[i].begin(), instrument.fields[i].end(), pieces.begin()))
            start = i;
    ASSERT_TRUE(start) << "the first record logged is none of the instrument's: "
                       << Printable(text);
    for (size_t r = 0; r < 4; ++r) {
        const std::vector<std::string>& expected =
            instrument.fields[(*start + r) % instrument.fields.size()];
        const std::vector<std::string> got(pieces.begin() + r * fields,
                                           pieces.begin() + (r + 1) * fields);
        std::ostringstream printed;
        for (const std::string& field : got) printed << '[' << Printable(field) << ']';
        EXPECT_EQ(got, expected) << "record " << r << ": " << printed.str();
    }
}

INSTANTIATE_TEST_SUITE_P(, AnalyzerSimTest, ::testing::ValuesIn(Instruments()),
                         [](const ::testing::TestParamInfo<Instrument>& info) {
                             return std::string(info.param.profile);
                         });

// The table above has a row for every profile the simulator offers, and no other.
TEST(AnalyzerSimProfilesTest, EveryProfileTheSimulatorListsIsAnalyzed) {
    testing::ScratchFolder folder;
    e2e::ChildProcess help;
    ASSERT_TRUE(help.Start({QUORVANE_SIM_PROGRAM, "--help"}, folder.File("help.err")));
    std::set<std::string> listed;
    bool inProfiles = false;
    while (const auto line = help.ReadLine(e2e::In(20s))) {
        if (line->rfind("Profiles", 0) == 0) {
            inProfiles = true;
        } else if (inProfiles && line->rfind("  ", 0) == 0) {
            std::istringstream words(*line);
            std::string name;
            words >> name;
            listed.insert(name);
        } else {
            inProfiles = false;
        }
    }
    EXPECT_EQ(help.Wait(e2e::In(20s)), 0);
    std::set<std::string> analyzed;
    for (const Instrument& instrument : Instruments()) analyzed.insert(instrument.profile);
    EXPECT_EQ(listed, analyzed);
}

// Send reaches the device: the balance hears what is typed into the output box.
TEST(AnalyzerSimSendTest, SendReachesTheBalance) {
    GuiApp();
    testing::ScratchFolder folder;
    setenv("XDG_CONFIG_HOME", folder.File("config").c_str(), 1);
    e2e::ChildProcess sim;
    const auto pty = StartInstrument(sim, "balance", folder.File("sim.err"));
    ASSERT_TRUE(pty) << ReadBytes(folder.File("sim.err"));

    SetupGlobals g;
    FakeMessages messages;
    LocaleInfo locale;
    PortDeviceMap devices(folder.File("ports.ini"));
    ASSERT_TRUE(devices.AddOverride("COM1=" + *pty));
    MainForm form(g, messages, locale, std::move(devices));
    form.Controller().Start("");
    g.Parity = 0;
    g.DataBitsIndex = 3;
    MenuItem(form, kStrMenuPortAnalyze)->trigger();
    ComShow* analyzer = form.Analyzer();
    ASSERT_NE(analyzer, nullptr) << (messages.shown.empty() ? "" : messages.shown[0].text);
    auto* buffer = analyzer->findChild<QPlainTextEdit*>("Buffer");
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return buffer->toPlainText().contains("+0012.51 g"); }, 20000));

    Type(Child(analyzer, "OutputBuffer"), "Z");
    Click(analyzer, "SendButton");
    std::string received;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            if (const auto line = sim.ReadLine(e2e::In(10ms)); line && line->rfind("RX ", 0) == 0)
                received += line->substr(3);
            return received.find('Z') != std::string::npos;
        },
        20000))
        << received;

    Click(analyzer, "QuitButton");
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.Analyzer() == nullptr; }, 10000));
}

}  // namespace
}  // namespace quorvane
