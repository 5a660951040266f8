#include "mqtt/MqttStation.h"

#include <algorithm>

#include "delivery/DdeBusText.h"
#include "mqtt/MqttQueueFile.h"
#include "strings/StringIds.h"
#include "strings/StringTable.h"

namespace quorvane {

MqttStation::MqttStation(MqttClient& client, RecordQueue& queue, Clock& clock, Messages& messages,
                         MqttStationSetup setup, MqttCommandHandler commands)
    : client_(client),
      queue_(queue),
      clock_(clock),
      messages_(messages),
      setup_(std::move(setup)),
      commands_(std::move(commands)) {
    setup_.connect.will = {setup_.topics.status, kMqttOffline, 1, true};
    client_.SetListener(this);
}

MqttStation::~MqttStation() {
    client_.SetListener(nullptr);
}

void MqttStation::Start() {
    started_ = true;
    Attempt();
}

void MqttStation::Stop() {
    if (!started_) return;
    Flush();
    started_ = false;
    if (connected_) {
        int id = 0;
        client_.Publish(setup_.topics.status, kMqttOffline, 1, true, id);
    }
    client_.Disconnect();
    connected_ = connecting_ = retryDue_ = false;
    inFlight_.clear();
}

void MqttStation::Tick() {
    if (!started_ || !retryDue_) return;
    // Unsigned subtraction keeps this right across the wrap of the tick count.
    if (static_cast<int32_t>(clock_.TickCount() - retryAt_) < 0) return;
    Attempt();
}

void MqttStation::Attempt() {
    retryDue_ = false;
    connecting_ = true;
    const MqttStatus status = client_.Connect(setup_.connect);
    if (!status.ok) Failed(status.error);
}

void MqttStation::Failed(const std::string& reason) {
    connecting_ = connected_ = false;
    inFlight_.clear();
    if (!started_) return;
    if (!outageSaid_) {
        outageSaid_ = true;
        Say(LoadString(kStrMqttBrokerUnreachable, {setup_.brokerShown, reason}));
    }
    retryWaitMs_ = retryDelayMs_;
    retryAt_ = clock_.TickCount() + retryDelayMs_;
    retryDue_ = true;
    retryDelayMs_ = std::min(retryDelayMs_ * 2, kMqttLongestRetryMs);
}

void MqttStation::MqttConnected() {
    if (!started_) return;
    connecting_ = false;
    connected_ = true;
    retryDelayMs_ = kMqttFirstRetryMs;
    outageSaid_ = false;
    inFlight_.clear();
    lastPublished_ = 0;
    // Subscribed before "online": the broker takes a client's packets in order, so whoever
    // sees the station online may send it commands.
    if (setup_.commands) client_.Subscribe(setup_.topics.command, 1);
    PublishRetained(setup_.topics.status, kMqttOnline, 1);
    for (const auto& [topic, payload] : items_) PublishRetained(topic, payload, 0);
    if (droppedUnsaid_ > 0) {
        Say(MqttQueueDroppedMessage(queue_.Limit(), droppedUnsaid_));
        droppedUnsaid_ = 0;
    }
    PublishDropped();
    PublishWaiting();
}

void MqttStation::MqttDisconnected(const std::string& reason) {
    Failed(reason);
}

void MqttStation::MqttPublished(int messageId) {
    const auto found = inFlight_.find(messageId);
    if (found == inFlight_.end()) return;  // a status or item message, or an old connection's
    const uint64_t sequence = found->second;
    inFlight_.erase(found);
    NoteStoreStatus(queue_.Acknowledge(sequence));
    PublishWaiting();
}

void MqttStation::Deliver(const MqttRecord& record) {
    const std::string payload = MakeMqttRecordMessage(record);
    const RecordQueuePushResult pushed = queue_.Push(payload);
    if (pushed.tooLarge) {
        // Said once until a record fits again: the device may send nothing but such records.
        if (!tooLargeSaid_) Say(MqttRecordTooLargeMessage(payload.size(), queue_.Limit()));
        tooLargeSaid_ = true;
    } else {
        tooLargeSaid_ = false;
        NoteStoreStatus(pushed.status);
    }
    NoteDropped(queue_.TakeDroppedCount());

    for (MqttItemMessage& item : MakeMqttItemMessages(setup_.topics, record)) {
        auto known = std::find_if(items_.begin(), items_.end(),
                                  [&](const auto& kept) { return kept.first == item.topic; });
        if (known == items_.end()) {
            items_.emplace_back(item.topic, item.payload);
        } else {
            known->second = item.payload;
        }
        if (connected_) PublishRetained(item.topic, item.payload, 0);
    }
}

void MqttStation::Flush() {
    NoteStoreStatus(queue_.Sync());
    if (!connected_) return;
    PublishDropped();
    PublishWaiting();
}

void MqttStation::PublishWaiting() {
    if (!connected_) return;
    const auto& records = queue_.Records();
    auto next = std::upper_bound(
        records.begin(), records.end(), lastPublished_,
        [](uint64_t sequence, const QueuedRecord& record) { return sequence < record.sequence; });
    const uint64_t synced = queue_.SyncedThrough();
    for (; next != records.end() && inFlight_.size() < kMqttRecordsInFlight; ++next) {
        if (next->sequence > synced) return;  // not durable yet: the next flush sends it
        if (next->acknowledged) {
            lastPublished_ = next->sequence;
            continue;
        }
        int id = 0;
        const MqttStatus status =
            client_.Publish(setup_.topics.record, next->payload, 1, false, id);
        // Not sent: the connection is going, and its end brings the record round again.
        if (!status.ok) return;
        inFlight_[id] = next->sequence;
        lastPublished_ = next->sequence;
    }
}

void MqttStation::PublishRetained(const std::string& topic, const std::string& payload, int qos) {
    int id = 0;
    client_.Publish(topic, payload, qos, true, id);
}

void MqttStation::PublishDropped() {
    if (!droppedChanged_ || !connected_) return;
    droppedChanged_ = false;
    PublishRetained(setup_.topics.dropped, std::to_string(droppedTotal_), 1);
}

void MqttStation::NoteDropped(uint64_t dropped) {
    if (dropped == 0) return;
    droppedTotal_ += dropped;
    droppedChanged_ = true;
    // Said once when it starts; what is dropped after that is said when the broker is back,
    // so a long outage gives two messages, not one per record.
    if (!droppedSaid_) {
        droppedSaid_ = true;
        Say(MqttQueueDroppedMessage(queue_.Limit(), dropped));
    } else {
        droppedUnsaid_ += dropped;
    }
}

void MqttStation::NoteStoreStatus(const QueueStoreStatus& status) {
    if (status.ok) {
        storeFailSaid_ = false;
        return;
    }
    if (storeFailSaid_) return;
    storeFailSaid_ = true;
    Say(MqttQueueWriteFailedMessage(setup_.queuePath, status));
}

void MqttStation::MqttMessageArrived(const std::string& topic, const std::string& payload) {
    if (topic != setup_.topics.command || !setup_.commands) return;
    if (payload.size() > kMqttMaxCommandBytes) return Answer(false, "larger than 1 MB");
    bool lossless = true;
    const std::string command = DdeTextFromBus(payload, &lossless);
    // A character the code page lacks would reach the device as '?': refused, as on D-Bus.
    if (!lossless) return Answer(false, "characters the code page lacks");
    Answer(commands_ && commands_(command));
}

void MqttStation::Answer(bool accepted, const char* why) {
    std::string reply = accepted ? kMqttCommandAccepted : kMqttCommandRefused;
    if (why) reply += std::string(": ") + why;
    int id = 0;
    client_.Publish(setup_.topics.commandReply, reply, 1, false, id);
}

void MqttStation::Say(const std::string& text) {
    messages_.Show(text, LoadString(kStrQuorvaneTitle), MessageButtons::Ok,
                   MessageIcon::Exclamation);
}

}  // namespace quorvane
