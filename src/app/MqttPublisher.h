// Record publishing over MQTT for one running topic, assembled from its settings: the queue
// file under the XDG state folder, the libmosquitto client on the event loop, the station
// over both, and the clock that times its reconnects. The session tells it of every
// delivered record (RecordListener); commands from the broker go to the same interpreter
// as a D-Bus Execute.
#pragma once

#include <QTimer>

#include <memory>
#include <string>
#include <vector>

#include "mqtt/MqttSettings.h"
#include "mqtt/MqttStation.h"
#include "mqtt/RecordQueue.h"
#include "platform/Messages.h"
#include "platform/linux/DiskRecordQueue.h"
#include "platform/linux/MosquittoClient.h"
#include "platform/linux/SteadyClock.h"
#include "runtime/RecordListener.h"

namespace quorvane {

// The MQTT settings of this run: the per-user store (section Mqtt) overridden by options,
// the host name as the default station.
MqttSettingsResult ResolveMqttSettingsOfRun(const MqttOptions& options);
// Prints each error of settings on standard error ("quorvane: ..."); true when there was one
// (the run ends with exit status 2).
bool PrintMqttSettingsErrors(const MqttSettingsResult& settings);

class MqttPublisher : public RecordListener {
  public:
    // Opens the queue of topic (code-page bytes) and reads the password file. Nothing, with
    // problems holding why (UTF-8, interface language), when either fails; warnings (a
    // password file others can read, damage found in the queue) are said through messages.
    static std::unique_ptr<MqttPublisher> Create(const MqttSettings& settings,
                                                 const std::string& topic, Messages& messages,
                                                 MqttCommandHandler commands,
                                                 std::vector<std::string>& problems);
    ~MqttPublisher() override;

    // Connects; records wait in the queue until the broker takes them.
    void Start();
    // Says "offline" and disconnects; what the broker has not confirmed stays queued for the
    // next run.
    void Stop();

    void RecordDelivered(const DeliveredRecord& record) override;

    MqttStation& Station() { return *station_; }

  private:
    MqttPublisher(const MqttSettings& settings, std::string topic,
                  std::unique_ptr<DiskRecordQueue> store);

    MqttSettings settings_;
    std::string topic_;
    std::unique_ptr<DiskRecordQueue> store_;
    std::unique_ptr<RecordQueue> queue_;
    MosquittoClient client_;
    SteadyClock clock_;
    std::unique_ptr<MqttStation> station_;
    QTimer tick_;
    QTimer flush_;  // one queue sync and publish after the poll tick that delivered records
};

}  // namespace quorvane
