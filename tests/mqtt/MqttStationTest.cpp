#include "mqtt/MqttStation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/FakeClock.h"
#include "fakes/FakeMessages.h"
#include "fakes/FakeMqttClient.h"
#include "fakes/FakeRecordQueueStore.h"

namespace quorvane {
namespace {

// The record number of a published record message.
uint64_t NumberOf(const std::string& payload) {
    const auto at = payload.find("\"record\":");
    EXPECT_NE(at, std::string::npos) << payload;
    return std::stoull(payload.substr(at + 9));
}

class MqttStationTest : public ::testing::Test {
  protected:
    explicit MqttStationTest(uint64_t limit = 1024 * 1024, bool commands = false)
        : queue_(store_, limit) {
        queue_.Open();
        MqttSettingsProblem problem;
        setup_.topics = *MakeMqttTopics("lab", "COM1", problem);
        setup_.connect.host = "broker";
        setup_.connect.clientId = "quorvane-lab-COM1";
        setup_.brokerShown = "mqtt://broker";
        setup_.queuePath = "/state/mqtt-COM1.queue";
        setup_.commands = commands;
    }

    MqttStation& Station() {
        if (!station_) {
            station_ = std::make_unique<MqttStation>(client_, queue_, clock_, messages_, setup_,
                                                     [this](const std::string& command) {
                                                         commandsRun_.push_back(command);
                                                         return command != "[bad]";
                                                     });
        }
        return *station_;
    }

    // One record delivered by a poll tick of its own, and the flush after it.
    void Deliver(uint64_t number, std::vector<std::string> fields = {"12.5"}) {
        DeliverOnly(number, std::move(fields));
        Station().Flush();
    }
    void DeliverOnly(uint64_t number, std::vector<std::string> fields = {"12.5"}) {
        MqttRecord record;
        record.station = "lab";
        record.topic = "COM1";
        record.number = number;
        record.fields = std::move(fields);
        Station().Deliver(record);
    }

    // The record numbers published, with the connection each went out on.
    std::vector<std::pair<int, uint64_t>> Records() const {
        std::vector<std::pair<int, uint64_t>> out;
        for (const auto& p : client_.On(setup_.topics.record)) {
            EXPECT_EQ(p.qos, 1);
            EXPECT_FALSE(p.retain);
            out.emplace_back(p.connection, NumberOf(p.payload));
        }
        return out;
    }
    int IdOfRecord(uint64_t number, int connection) const {
        for (const auto& p : client_.On(setup_.topics.record))
            if (p.connection == connection && NumberOf(p.payload) == number) return p.messageId;
        ADD_FAILURE() << "record " << number << " not published on connection " << connection;
        return 0;
    }
    // Lets the clock run up to the next attempt and makes it.
    void RetryNow() {
        clock_.ticks += Station().RetryDelayMs();
        Station().Tick();
    }

    FakeRecordQueueStore store_;
    RecordQueue queue_;
    FakeMqttClient client_;
    FakeClock clock_;
    FakeMessages messages_;
    MqttStationSetup setup_;
    std::vector<std::string> commandsRun_;
    std::unique_ptr<MqttStation> station_;
};

using Pairs = std::vector<std::pair<int, uint64_t>>;

TEST_F(MqttStationTest, RecordsWaitForTheBrokerAndGoOutInOrder) {
    Station().Start();
    Deliver(1);
    Deliver(2);
    EXPECT_TRUE(Records().empty());
    client_.AcceptConnection();
    Deliver(3);
    EXPECT_EQ(Records(), (Pairs{{1, 1}, {1, 2}, {1, 3}}));
    for (uint64_t n : {1, 2, 3}) client_.Acknowledge(IdOfRecord(n, 1));
    EXPECT_TRUE(queue_.Empty());
}

TEST_F(MqttStationTest, TheRecordsOfOneTickShareOneSyncAndGoOutOnlyAfterIt) {
    Station().Start();
    client_.AcceptConnection();
    for (uint64_t n = 1; n <= 3; ++n) DeliverOnly(n);
    EXPECT_TRUE(Records().empty()) << "published before it is on the disk";
    EXPECT_EQ(store_.syncs, 0);
    Station().Flush();
    EXPECT_EQ(store_.syncs, 1);
    EXPECT_EQ(Records(), (Pairs{{1, 1}, {1, 2}, {1, 3}}));
    // A confirmation lets older synced records out, never one still waiting for its sync.
    DeliverOnly(4);
    client_.Acknowledge(IdOfRecord(1, 1));
    EXPECT_EQ(Records().size(), 3u);
    // The program's end syncs what the last tick delivered.
    Station().Stop();
    EXPECT_EQ(store_.syncs, 2);
}

TEST_F(MqttStationTest, AfterADisconnectEveryUnconfirmedRecordGoesOutAgainInOrder) {
    Station().Start();
    client_.AcceptConnection();
    for (uint64_t n = 1; n <= 5; ++n) Deliver(n);
    client_.Acknowledge(IdOfRecord(1, 1));
    // Confirmed out of turn: 4 waits for 2 and 3 in the queue but is not sent again.
    client_.Acknowledge(IdOfRecord(4, 1));
    client_.DropConnection();
    Deliver(6);
    Deliver(7);
    RetryNow();
    client_.AcceptConnection();
    const Pairs second{{2, 2}, {2, 3}, {2, 5}, {2, 6}, {2, 7}};
    const Pairs all = Records();
    EXPECT_EQ(Pairs(all.begin() + 5, all.end()), second);
    // A confirmation for the old connection's id means nothing on the new one.
    client_.Acknowledge(IdOfRecord(5, 1));
    EXPECT_EQ(queue_.Records().size(), 6u);  // 2..7, 4 among them confirmed
    for (uint64_t n : {2, 3, 5, 6, 7}) client_.Acknowledge(IdOfRecord(n, 2));
    EXPECT_TRUE(queue_.Empty());
}

TEST_F(MqttStationTest, AtMostAWindowOfRecordsIsInFlight) {
    Station().Start();
    client_.AcceptConnection();
    for (uint64_t n = 1; n <= kMqttRecordsInFlight + 10; ++n) Deliver(n);
    ASSERT_EQ(Records().size(), kMqttRecordsInFlight);
    client_.Acknowledge(IdOfRecord(3, 1));
    ASSERT_EQ(Records().size(), kMqttRecordsInFlight + 1);
    EXPECT_EQ(Records().back().second, kMqttRecordsInFlight + 1);
}

TEST_F(MqttStationTest, ReconnectsWithABackOffThatDoublesToAMinuteAndResetsOnSuccess) {
    client_.failConnect = "Connection refused";
    Station().Start();
    EXPECT_EQ(client_.connects, 1);
    std::vector<uint32_t> waits;
    for (int attempt = 0; attempt < 9; ++attempt) {
        const uint32_t wait = Station().RetryDelayMs();
        // Nothing happens a millisecond early.
        clock_.ticks += wait - 1;
        Station().Tick();
        EXPECT_EQ(client_.connects, attempt + 1);
        clock_.ticks += 1;
        Station().Tick();
        EXPECT_EQ(client_.connects, attempt + 2);
        waits.push_back(wait);
    }
    EXPECT_EQ(waits,
              (std::vector<uint32_t>{1000, 2000, 4000, 8000, 16000, 32000, 60000, 60000, 60000}));
    // The outage is said once, not at every attempt.
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_NE(messages_.shown[0].text.find("Connection refused"), std::string::npos);

    client_.failConnect.clear();
    RetryNow();
    client_.AcceptConnection();
    client_.DropConnection();
    EXPECT_EQ(Station().RetryDelayMs(), 1000u);
    const int before = client_.connects;
    clock_.ticks += 1000;
    Station().Tick();
    EXPECT_EQ(client_.connects, before + 1);
    EXPECT_EQ(messages_.shown.size(), 2u);  // a new outage is said again
}

TEST_F(MqttStationTest, StatusWillAndItemsAreRetained) {
    Station().Start();
    EXPECT_EQ(client_.lastOptions.will.topic, "quorvane/lab/COM1/status");
    EXPECT_EQ(client_.lastOptions.will.payload, "offline");
    EXPECT_TRUE(client_.lastOptions.will.retain);
    Deliver(41, {"1.0", "kg"});
    Deliver(42, {"2.5", "kg"});
    client_.AcceptConnection();
    const auto status = client_.On(setup_.topics.status);
    ASSERT_EQ(status.size(), 1u);
    EXPECT_EQ(status[0].payload, "online");
    EXPECT_TRUE(status[0].retain);
    // Items delivered while away: only their last text goes out, retained.
    const auto field1 = client_.On(setup_.topics.Item("Field(1)"));
    ASSERT_EQ(field1.size(), 1u);
    EXPECT_EQ(field1[0].payload, "2.5");
    EXPECT_TRUE(field1[0].retain);
    ASSERT_EQ(client_.On(setup_.topics.Item("RecordNumber")).size(), 1u);
    EXPECT_EQ(client_.On(setup_.topics.Item("RecordNumber"))[0].payload, "42");
    EXPECT_EQ(client_.On(setup_.topics.Item("DateTime")).size(), 1u);

    Deliver(43, {"3.0", "kg"});
    EXPECT_EQ(client_.On(setup_.topics.Item("Field(1)")).back().payload, "3.0");
    // Kept for the next connection, so a broker that lost them gets them again.
    client_.DropConnection();
    RetryNow();
    client_.AcceptConnection();
    EXPECT_EQ(client_.On(setup_.topics.Item("Field(2)")).back().connection, 2);
    EXPECT_EQ(client_.On(setup_.topics.Item("Field(1)")).back().payload, "3.0");

    Station().Stop();
    EXPECT_EQ(client_.On(setup_.topics.status).back().payload, "offline");
    EXPECT_EQ(client_.disconnects, 1);
    clock_.ticks += 120000;
    Station().Tick();
    EXPECT_EQ(client_.connects, 2);
}

class MqttStationCommandsTest : public MqttStationTest {
  protected:
    MqttStationCommandsTest() : MqttStationTest(1024 * 1024, true) {}
    std::vector<std::string> Replies() const {
        std::vector<std::string> out;
        for (const auto& p : client_.On(setup_.topics.commandReply)) out.push_back(p.payload);
        return out;
    }
};

TEST_F(MqttStationTest, CommandsAreIgnoredUnlessEnabled) {
    Station().Start();
    client_.AcceptConnection();
    EXPECT_TRUE(client_.subscriptions.empty());
    client_.Deliver(setup_.topics.command, "[Reset]");
    EXPECT_TRUE(commandsRun_.empty());
    EXPECT_TRUE(client_.On(setup_.topics.commandReply).empty());
}

TEST_F(MqttStationCommandsTest, CommandsRunAndAreAnswered) {
    Station().Start();
    client_.AcceptConnection();
    EXPECT_EQ(client_.subscriptions, std::vector<std::string>{"quorvane/lab/COM1/cmd"});
    client_.Deliver(setup_.topics.command, "[Reset]");
    client_.Deliver(setup_.topics.command, "[bad]");
    // UTF-8 on the broker, code-page bytes for the interpreter, as from D-Bus.
    client_.Deliver(setup_.topics.command, "[SendOut(\xe2\x82\xac)]");
    // A character the code page lacks, and a message too large to read, are not run.
    client_.Deliver(setup_.topics.command, "[SendOut(\xe4\xb8\x80)]");
    client_.Deliver(setup_.topics.command, std::string(kMqttMaxCommandBytes + 1, 'x'));
    client_.Deliver(setup_.topics.Item("Field(1)"), "[Reset]");
    EXPECT_EQ(commandsRun_, (std::vector<std::string>{"[Reset]", "[bad]", "[SendOut(\x80)]"}));
    EXPECT_EQ(Replies(), (std::vector<std::string>{"accepted", "refused", "accepted",
                                                   "refused: characters the code page lacks",
                                                   "refused: larger than 1 MB"}));
    // A command of exactly the limit is still read.
    client_.Deliver(setup_.topics.command, std::string(kMqttMaxCommandBytes, 'x'));
    EXPECT_EQ(commandsRun_.size(), 4u);
}

class MqttStationSmallQueueTest : public MqttStationTest {
  protected:
    // Room for a few records only.
    MqttStationSmallQueueTest() : MqttStationTest(600) {}
};

TEST_F(MqttStationSmallQueueTest, DroppedRecordsAreCountedPublishedAndSaidOnce) {
    Station().Start();
    for (uint64_t n = 1; n <= 20; ++n) Deliver(n);
    ASSERT_EQ(messages_.shown.size(), 1u);  // the first drop; later ones wait for the broker
    const size_t waiting = queue_.Records().size();
    ASSERT_LT(waiting, 20u);
    client_.AcceptConnection();
    ASSERT_EQ(messages_.shown.size(), 2u);
    const auto dropped = client_.On(setup_.topics.dropped);
    ASSERT_EQ(dropped.size(), 1u);
    EXPECT_EQ(dropped[0].payload, std::to_string(20 - waiting));
    EXPECT_TRUE(dropped[0].retain);
    // The newest records are the ones kept, in order.
    const Pairs records = Records();
    ASSERT_EQ(records.size(), waiting);
    EXPECT_EQ(records.back().second, 20u);
    EXPECT_EQ(records.front().second, 20 - waiting + 1);
}

TEST_F(MqttStationSmallQueueTest, ARecordLargerThanTheQueueIsRefusedAndSaidOnceUntilOneFits) {
    Station().Start();
    client_.AcceptConnection();
    Deliver(1, {std::string(700, 'x')});
    Deliver(2, {std::string(700, 'y')});
    Deliver(3);
    Deliver(4, {std::string(700, 'z')});
    ASSERT_EQ(messages_.shown.size(), 2u);
    EXPECT_NE(messages_.shown[0].text.find("600"), std::string::npos) << messages_.shown[0].text;
    EXPECT_EQ(Records(), (Pairs{{1, 3}}));
    // Its items still go out: they are not queued.
    EXPECT_EQ(client_.On(setup_.topics.Item("Field(1)")).back().payload, std::string(700, 'z'));
}

}  // namespace
}  // namespace quorvane
