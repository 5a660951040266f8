// A connection to an MQTT broker. The client does the MQTT protocol (a library's, never
// framing of our own); this interface only says what the station asks for and hears back.
// Nothing here blocks: Connect starts a connection and its outcome arrives through the
// listener, from the event loop, like every other event. Each Connect is a fresh session:
// messages published on an earlier connection are forgotten by the client (the station
// republishes what the broker never confirmed), so an acknowledgement always belongs to a
// message id of the current connection.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quorvane {

struct MqttWill {
    std::string topic;  // UTF-8; empty for no will
    std::string payload;
    int qos = 1;
    bool retain = true;
};

struct MqttConnectOptions {
    std::string host;  // a host name or an address (IPv6 without brackets)
    uint16_t port = 1883;
    bool tls = false;
    std::string caFile;    // tls: the certificate authorities' file; empty for the system's
    std::string clientId;  // UTF-8, never empty
    std::string userName;  // empty for none
    std::string password;  // with a user name only; empty for none
    int keepAliveSeconds = 60;
    MqttWill will;
};

struct MqttStatus {
    bool ok = true;
    std::string error;  // when !ok: the library's or the system's reason (UTF-8)
};

class MqttClientListener {
  public:
    virtual ~MqttClientListener() = default;
    // The broker accepted the connection.
    virtual void MqttConnected() = 0;
    // A connection ended or could not be made (also after a refused CONNECT); reason says
    // why, in the library's words. Once per Connect that did not fail at once.
    virtual void MqttDisconnected(const std::string& reason) = 0;
    // The broker confirmed the QoS 1 message of messageId (its PUBACK).
    virtual void MqttPublished(int messageId) = 0;
    // A message arrived on a subscribed topic.
    virtual void MqttMessageArrived(const std::string& topic, const std::string& payload) = 0;
};

class MqttClient {
  public:
    virtual ~MqttClient() = default;
    // The listener must outlive the client's connection, or be cleared first (nullptr).
    virtual void SetListener(MqttClientListener* listener) = 0;
    // Starts connecting; a connection in place is dropped first. A failure reported here
    // (a bad option, no socket) gets no MqttDisconnected.
    virtual MqttStatus Connect(const MqttConnectOptions& options) = 0;
    // Ends the connection without the will being sent; no MqttDisconnected follows.
    virtual void Disconnect() = 0;
    // Publishes; messageId is the id that MqttPublished will name (QoS 1). Only while
    // connected; the message may still be on its way when this returns.
    virtual MqttStatus Publish(const std::string& topic, std::string_view payload, int qos,
                               bool retain, int& messageId) = 0;
    virtual MqttStatus Subscribe(const std::string& topic, int qos) = 0;
};

}  // namespace quorvane
