// Records what the station asks of the broker and lets a test play the broker: accept or
// drop the connection, confirm published messages, send messages to the station.
#pragma once

#include <string>
#include <vector>

#include "platform/MqttClient.h"

namespace quorvane {

class FakeMqttClient : public MqttClient {
  public:
    struct Published {
        std::string topic, payload;
        int qos = 0;
        bool retain = false;
        int messageId = 0;
        int connection = 0;  // the number of the Connect it went out on (1 = the first)
    };

    void SetListener(MqttClientListener* listener) override { listener_ = listener; }
    MqttStatus Connect(const MqttConnectOptions& options) override {
        ++connects;
        lastOptions = options;
        connected = false;
        if (!failConnect.empty()) return {false, failConnect};
        connecting = true;
        return {};
    }
    void Disconnect() override {
        ++disconnects;
        connected = connecting = false;
    }
    MqttStatus Publish(const std::string& topic, std::string_view payload, int qos, bool retain,
                       int& messageId) override {
        messageId = 0;
        if (!connected) return {false, "not connected"};
        messageId = nextId++;
        published.push_back({topic, std::string(payload), qos, retain, messageId, connects});
        return {};
    }
    MqttStatus Subscribe(const std::string& topic, int) override {
        if (!connected) return {false, "not connected"};
        subscriptions.push_back(topic);
        return {};
    }

    // The broker's side.
    void AcceptConnection() {
        connecting = false;
        connected = true;
        listener_->MqttConnected();
    }
    void DropConnection(const std::string& reason = "connection lost") {
        connecting = connected = false;
        listener_->MqttDisconnected(reason);
    }
    void Acknowledge(int messageId) { listener_->MqttPublished(messageId); }
    void Deliver(const std::string& topic, const std::string& payload) {
        listener_->MqttMessageArrived(topic, payload);
    }
    // The messages published on topic, in order.
    std::vector<Published> On(const std::string& topic) const {
        std::vector<Published> out;
        for (const Published& p : published)
            if (p.topic == topic) out.push_back(p);
        return out;
    }

    MqttClientListener* listener_ = nullptr;
    MqttConnectOptions lastOptions;
    std::vector<Published> published;
    std::vector<std::string> subscriptions;
    std::string failConnect;  // not empty: Connect fails at once with this reason
    int connects = 0, disconnects = 0;
    int nextId = 1;
    bool connected = false, connecting = false;
};

}  // namespace quorvane
