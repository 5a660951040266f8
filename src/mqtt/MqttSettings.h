// The settings of record publishing over MQTT: the broker address, the client's identity, the
// password file, the keep-alive, the station name and the bound of the disk queue. They come
// from the per-user settings store (section "Mqtt") and from command-line options, an option
// overriding the stored value of the same setting. Every text here is UTF-8, as the command
// line and the store give it; none is a code-page text.
//
// Options, each with one value:          stored key (section Mqtt):
//   --mqtt URL                            Url
//   --mqtt-ca FILE                        CaFile
//   --mqtt-client-id ID                   ClientId
//   --mqtt-user NAME                      UserName
//   --mqtt-password-file FILE             PasswordFile
//   --mqtt-keepalive SECONDS              KeepAlive
//   --mqtt-station NAME                   Station
//   --mqtt-queue-limit SIZE               QueueLimit
//   --mqtt-commands on|off                Commands (the command line's flag gives "on")
// An empty stored value counts as not set. The password itself is never an option.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/SettingsStore.h"

namespace quorvane {

inline constexpr const char* kMqttSettingsApplication = "Quorvane";
inline constexpr const char* kMqttSettingsSection = "Mqtt";

inline constexpr uint16_t kMqttDefaultPort = 1883;
inline constexpr uint16_t kMqttDefaultTlsPort = 8883;
inline constexpr int kMqttDefaultKeepAliveSeconds = 60;
// libmosquitto refuses a keep-alive under 5 s; MQTT carries at most 65535.
inline constexpr int kMqttMinKeepAliveSeconds = 5;
inline constexpr int kMqttMaxKeepAliveSeconds = 65535;
inline constexpr uint64_t kMqttDefaultQueueLimit = 100ull * 1024 * 1024;
inline constexpr uint64_t kMqttMinQueueLimit = 64ull * 1024;
inline constexpr uint64_t kMqttMaxQueueLimit = 1024ull * 1024 * 1024 * 1024;
// MQTT strings (client id, user name, password) are at most 65535 bytes long.
inline constexpr size_t kMqttMaxStringBytes = 65535;

struct MqttBrokerAddress {
    bool tls = false;  // mqtts://
    std::string host;  // a host name or an IPv4 address, or an IPv6 address without brackets
    uint16_t port = kMqttDefaultPort;
    bool operator==(const MqttBrokerAddress&) const = default;
};

// One problem found in the settings: the string id of its text, and the text (UTF-8, in the
// interface language) with the setting's source and value put in.
struct MqttSettingsProblem {
    int id = 0;
    std::string text;
};

// Reads a broker address: "mqtt://" or "mqtts://" (any letter case), a host name, an IPv4
// address or an IPv6 address in brackets, then optionally ":" and a port 1..65535; a single
// "/" may end it. No user name, path, query or fragment. source names where the text came
// from (an option name, or the stored key) for the error text.
std::optional<MqttBrokerAddress> ParseMqttBrokerUrl(std::string_view url, std::string_view source,
                                                    MqttSettingsProblem& problem);

// Reads a queue limit: a number of bytes, or a number followed by K, M or G (any case; 1024,
// 1024^2, 1024^3 bytes), from kMqttMinQueueLimit to kMqttMaxQueueLimit.
std::optional<uint64_t> ParseMqttQueueLimit(std::string_view text);

struct MqttSettings {
    MqttBrokerAddress broker;
    std::string url;           // as given
    std::string caFile;        // mqtts:// only; empty for the system's certificate authorities
    std::string clientId;      // as given; empty when DefaultMqttClientId is to be used
    std::string userName;      // empty for none
    std::string passwordFile;  // empty for none; read through the platform (MqttPasswordFile)
    int keepAliveSeconds = kMqttDefaultKeepAliveSeconds;
    std::string station;                           // never empty
    uint64_t queueLimit = kMqttDefaultQueueLimit;  // bytes
    bool commands = false;                         // run commands that arrive on the command topic
};

struct MqttSettingsResult {
    bool enabled = false;  // a broker address was given (and the settings hold no error)
    MqttSettings settings;
    std::vector<MqttSettingsProblem> errors;  // any error: enabled is false
};

using MqttOptions = std::vector<std::pair<std::string, std::string>>;

// The settings from the store, overridden by options (name as written, "--mqtt-ca", with its
// value). hostName is the station's default. With no broker address anywhere, MQTT stays off
// and other MQTT options are an error; every problem found is listed, not only the first.
MqttSettingsResult ResolveMqttSettings(SettingsStore& store, const MqttOptions& options,
                                       std::string_view hostName);

// The client id used when none is set: "quorvane-" and the station and the DDE topic (code-page
// bytes), every byte outside A-Z a-z 0-9 "-" "_" written as "_"; at most 65535 bytes.
std::string DefaultMqttClientId(std::string_view station, std::string_view topicBytes);

}  // namespace quorvane
