// The payloads published for a delivered record. The record message is one JSON object:
//   {"station":"lab-2","topic":"COM1","record":42,"time":"2026-12-09T05:38:56+01:00",
//    "fields":["12.5","kg",""]}
// with the fields in order, as many as the record delivered (empty ones included). Texts are
// the station (UTF-8) and code-page bytes converted the way the D-Bus server converts them
// (DdeTextToBus: a NUL byte becomes U+2400), so a subscriber sees what a D-Bus client sees.
// The item messages carry the bare UTF-8 text of one item, published retained.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "mqtt/MqttTopic.h"
#include "platform/Clock.h"

namespace quorvane {

// A local time and its offset from UTC, east positive (+60 for UTC+01:00).
struct MqttRecordTime {
    DateTimeParts local;
    int utcOffsetMinutes = 0;
};

// ISO 8601 with the zone offset: "2026-12-09T05:38:56+01:00"; UTC is "+00:00".
std::string FormatMqttTime(const MqttRecordTime& time);

// Appends text as a JSON string with its quotes: '"' and '\' escaped, U+0000..U+001F, U+007F,
// U+2028 and U+2029 as \uXXXX; a byte that is not well-formed UTF-8 becomes U+FFFD, so the
// result is always valid UTF-8.
void AppendJsonString(std::string& out, std::string_view utf8);

struct MqttRecord {
    std::string station;              // UTF-8
    std::string topic;                // the DDE topic, code-page bytes
    uint64_t number = 0;              // the record number
    MqttRecordTime ended;             // when the record ended
    std::vector<std::string> fields;  // field 1..count, code-page bytes
};

std::string MakeMqttRecordMessage(const MqttRecord& record);

struct MqttItemMessage {
    std::string topic;    // topic name (UTF-8)
    std::string payload;  // UTF-8
    bool operator==(const MqttItemMessage&) const = default;
};

// One item with its text (code-page bytes).
MqttItemMessage MakeMqttItemMessage(const MqttTopics& topics, std::string_view itemName,
                                    std::string_view valueBytes);
// The items a record sets: Field(1)..Field(count), then RecordNumber (decimal) and DateTime
// (FormatMqttTime of the record's end).
std::vector<MqttItemMessage> MakeMqttItemMessages(const MqttTopics& topics,
                                                  const MqttRecord& record);

// The retained payloads of the status topic: "online" on connect, "offline" as the last will.
inline constexpr const char* kMqttOnline = "online";
inline constexpr const char* kMqttOffline = "offline";

}  // namespace quorvane
