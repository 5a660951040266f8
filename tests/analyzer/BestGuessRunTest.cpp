// The best guess and the record engine agree: a guess taken from an instrument's first record
// and written into a File New configuration cuts the instrument's next records into the fields
// the guess counted.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analyzer/BestGuess.h"
#include "engine/EngineFixture.h"

namespace quorvane {
namespace {

struct GuessRun {
    const char* name;
    std::string firstRecord;  // what the display shows, cleared before it came
    std::vector<std::string> nextRecords;  // each one tick's bytes
    bool ignoreLf;                         // the pre-input translation a CR LF instrument needs
    std::string logged;                    // every field followed by "|"
};

void PrintTo(const GuessRun& run, std::ostream* out) {
    *out << run.name;
}

class BestGuessRun : public EngineFixture, public ::testing::WithParamInterface<GuessRun> {};

TEST_P(BestGuessRun, TheGuessedConfigurationCutsTheNextRecordsIntoTheCountedFields) {
    const GuessRun& run = GetParam();
    const auto guess = GuessRecordStructure(run.firstRecord);
    ASSERT_TRUE(guess);
    ApplyBestGuess(*guess, g);
    MarkFields(guess->fields);
    if (run.ignoreLf) g.InputTranslation['\n'] = "Ignore";
    Start();
    for (const std::string& record : run.nextRecords) {
        TickUntilRead(record);
        // Quiet ticks after each record: a pause longer than the record gap.
        for (int quiet = 0; quiet <= g.RecordGapTicks; ++quiet) Tick();
    }
    EXPECT_EQ(Logged(), run.logged);
}

INSTANTIATE_TEST_SUITE_P(
    , BestGuessRun,
    ::testing::Values(
        GuessRun{"balance", "+0012.50 g\r\n", {"+0012.50 g\r\n", "+0012.51 g\r\n"}, true,
                 "+0012.50|g\r|+0012.51|g\r|"},
        // Blanks in front of the reading: the run counts once, as a delimiter before an
        // empty first field, for the guess and for the engine alike.
        GuessRun{"padded_balance", "   12.50 g\r\n", {"   12.50 g\r\n", "  112.50 g\r\n"}, true,
                 "|12.50|g\r||112.50|g\r|"},
        GuessRun{"meter", "23.0,7.00,1013\r\n", {"23.1,7.03,1014\r\n", "23.2,7.06,1015\r\n"},
                 true, "23.1|7.03|1014\r|23.2|7.06|1015\r|"},
        // A comma beats the blank inside a field.
        GuessRun{"labelled_meter", "T 23.0,U 7.00\r\n", {"T 23.1,U 7.03\r\n"}, true,
                 "T 23.1|U 7.03\r|"},
        GuessRun{"tabbed", "A1\t5\r\n", {"A1\t5\r\n", "B22\t17\r\n"}, true, "A1|5\r|B22|17\r|"},
        // CR alone: nothing to ignore.
        GuessRun{"caliper", "+0025.40\r", {"+0025.41\r", "+0025.39\r"}, false,
                 "+0025.41\r|+0025.39\r|"},
        // The length of the first code does not bind the others.
        GuessRun{"barcode", "4006381333931\r\n",
                 {"036000291452\r\n", "73513537\r\n", "4006381333931\r\n"}, true,
                 "036000291452\r|73513537\r|4006381333931\r|"},
        // No CR: records end at the pause after them.
        GuessRun{"paused", "+0012.50", {"+0012.50", "-0003.75"}, false,
                 "+0012.50|-0003.75|"}),
    [](const ::testing::TestParamInfo<GuessRun>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quorvane
