// One poll tick reads a bounded amount of input, so that a device (or a pseudo-terminal) that
// sends as fast as we read never keeps the event loop from signals, D-Bus calls and the
// window. What is left waits for the next tick, nothing is lost, and the time gap is judged
// only on a tick that read everything there was.
#include <gtest/gtest.h>

#include "engine/EngineFixture.h"

namespace quorvane {
namespace {

class TickBudget : public EngineFixture {};

TEST_F(TickBudget, ATickTakesAtMostItsBytesAndTheRestFollowsInOrder) {
    g.FieldPostamble[1] = "|";
    Start();
    std::string records;
    for (int n = 0; records.size() < 3 * kTickByteBudget; ++n)
        records += std::to_string(n % 1000) + "\r";
    Tick(records);
    EXPECT_LE(records.size() - source.waiting.size(), kTickByteBudget);
    EXPECT_GT(records.size() - source.waiting.size(), kTickByteBudget - 5) << "not much less";
    int ticks = 1;
    while (!source.waiting.empty()) {
        Tick();
        ++ticks;
    }
    EXPECT_EQ(ticks, 4);
    std::string expected;
    for (size_t at = 0; at < records.size();) {
        const size_t end = records.find('\r', at);
        expected += records.substr(at, end - at + 1) + "|";
        at = end + 1;
    }
    EXPECT_EQ(Logged(), expected);
}

TEST_F(TickBudget, ATickThatLeftBytesSawNoTimeGap) {
    g.EndOfRecordEvent = 1;
    g.RecordGapTicks = 1;
    g.FieldPostamble[1] = "|";
    Start();
    const std::string burst(2 * kTickByteBudget + 10, 'x');
    Tick(burst);
    Tick();
    EXPECT_EQ(Logged(), "") << "the burst is one record, not cut where a tick stopped";
    Tick();  // the rest read, now nothing more: the gap counts from here
    Tick();
    EXPECT_EQ(Logged(), burst + "|");
}

TEST_F(TickBudget, ASlowDeliveryEndsTheTickAfterItsRecord) {
    // Each record's delivery takes 10 ms of the clock (as typing with pauses would).
    g.FieldPostamble[1] = "|";
    Start();
    log.onWrite = [this] { clock.ticks += 10; };
    Tick("1\r2\r3\r4\r5\r");
    EXPECT_EQ(Logged(), "1\r|2\r|3\r|") << "25 ms reached after the third record";
    Tick();
    EXPECT_EQ(Logged(), "1\r|2\r|3\r|4\r|5\r|");
}

}  // namespace
}  // namespace quorvane
