// Publishes the records of one running topic to an MQTT broker without losing any. Every
// delivered record is pushed to the record queue, and is published (QoS 1) only once Flush
// has made it durable; it leaves the queue when the broker confirms it, and confirmations
// arriving out of turn wait for the older ones (RecordQueue). The program flushes once the
// poll tick that delivered records has ended, so the records of one tick cost one disk sync. After
// a reconnect every record still waiting goes out again, oldest first, so a subscriber sees each
// record in order, a record at most repeated (and then with its record number) as QoS 1 allows.
//
// The connection is the station's to keep: a failed or lost connection is tried again after
// 1 s, then 2, 4 ... up to 60 s, back to 1 s once the broker accepted. The status topic
// holds "online" (retained) while connected and the will "offline" otherwise; the items of
// the last record are retained under .../item/<name>. Commands on .../cmd, when enabled,
// are run the way a D-Bus Execute runs them and answered on .../cmd/reply.
//
// Driven by Tick() from the poll tick and by the client's events; nothing here waits.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "mqtt/MqttMessage.h"
#include "mqtt/MqttTopic.h"
#include "mqtt/RecordQueue.h"
#include "platform/Clock.h"
#include "platform/Messages.h"
#include "platform/MqttClient.h"

namespace quorvane {

inline constexpr uint32_t kMqttFirstRetryMs = 1000;
inline constexpr uint32_t kMqttLongestRetryMs = 60000;
// Records published and not yet confirmed at one time: enough to keep a link busy, few
// enough that a long queue is not copied into the client library at once.
inline constexpr size_t kMqttRecordsInFlight = 64;
// A command message longer than this is refused without being read.
inline constexpr size_t kMqttMaxCommandBytes = 1024 * 1024;

inline constexpr const char* kMqttCommandAccepted = "accepted";
inline constexpr const char* kMqttCommandRefused = "refused";

struct MqttStationSetup {
    MqttConnectOptions connect;  // its will is set by the station
    MqttTopics topics;
    std::string brokerShown;  // the broker address as messages show it (UTF-8)
    std::string queuePath;    // the queue's file, for its messages (UTF-8)
    bool commands = false;    // run commands from .../cmd
};

// Runs one command (code-page bytes); true when accepted.
using MqttCommandHandler = std::function<bool(const std::string& command)>;

class MqttStation : public MqttClientListener {
  public:
    // Every reference must outlive the station; the queue is open already.
    MqttStation(MqttClient& client, RecordQueue& queue, Clock& clock, Messages& messages,
                MqttStationSetup setup, MqttCommandHandler commands);
    ~MqttStation() override;
    MqttStation(const MqttStation&) = delete;
    MqttStation& operator=(const MqttStation&) = delete;

    // Starts connecting; records delivered before the broker answers wait in the queue.
    void Start();
    // Says "offline" and ends the connection (the program quits).
    void Stop();
    // A record was delivered: queued, and published by the next Flush when connected.
    void Deliver(const MqttRecord& record);
    // Makes the records delivered since the last flush durable and publishes them.
    void Flush();
    // Connects again when the back-off has passed.
    void Tick();

    bool Connected() const { return connected_; }
    // The wait before the attempt due after the last failure (1 s .. 60 s).
    uint32_t RetryDelayMs() const { return retryWaitMs_; }

    // MqttClientListener
    void MqttConnected() override;
    void MqttDisconnected(const std::string& reason) override;
    void MqttPublished(int messageId) override;
    void MqttMessageArrived(const std::string& topic, const std::string& payload) override;

  private:
    void Attempt();
    void Failed(const std::string& reason);
    // Publishes waiting records, oldest first, while fewer than kMqttRecordsInFlight wait.
    void PublishWaiting();
    void PublishRetained(const std::string& topic, const std::string& payload, int qos);
    void PublishDropped();
    void NoteDropped(uint64_t dropped);
    void NoteStoreStatus(const QueueStoreStatus& status);
    void Say(const std::string& text);
    void Answer(bool accepted, const char* why = nullptr);

    MqttClient& client_;
    RecordQueue& queue_;
    Clock& clock_;
    Messages& messages_;
    MqttStationSetup setup_;
    MqttCommandHandler commands_;

    bool started_ = false;
    bool connecting_ = false;
    bool connected_ = false;
    uint32_t retryAt_ = 0;  // TickCount of the next attempt, while neither connecting nor connected
    bool retryDue_ = false;
    uint32_t retryWaitMs_ = kMqttFirstRetryMs;   // the wait of the attempt scheduled last
    uint32_t retryDelayMs_ = kMqttFirstRetryMs;  // the wait after the next failure
    bool outageSaid_ = false;     // the broker cannot be reached: said once until it can
    bool storeFailSaid_ = false;  // a queue write failed: said once until one succeeds
    bool tooLargeSaid_ = false;   // a record too large for the queue: said once until one fits

    std::map<int, uint64_t> inFlight_;  // message id -> record sequence, this connection only
    uint64_t lastPublished_ = 0;        // the newest sequence published on this connection
    // The last text of every item, in the order first seen: retained again on each connect.
    std::vector<std::pair<std::string, std::string>> items_;
    uint64_t droppedTotal_ = 0;
    bool droppedChanged_ = false;
    bool droppedSaid_ = false;  // said once; later drops are said when the broker is back
    uint64_t droppedUnsaid_ = 0;
};

}  // namespace quorvane
