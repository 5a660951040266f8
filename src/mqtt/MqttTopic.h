// The MQTT topic names of one running topic: records go to quorvane/<station>/<topic>/record,
// the last value of each item, retained, to quorvane/<station>/<topic>/item/<item name>, and the
// connection state, retained, to quorvane/<station>/<topic>/status. Commands arrive on .../cmd
// and are answered on .../cmd/reply; .../dropped, retained, counts records the queue dropped.
//
// A level holds its text as UTF-8 (a DDE topic converted from the code page), with the
// characters that MQTT would read as syntax or that brokers may refuse written as "%" and two
// upper-case hex digits per UTF-8 byte: "+", "#", "/", "%" itself, U+0000..U+001F and
// U+007F..U+009F. A byte that is not part of well-formed UTF-8 is written the same way, so
// every text has exactly one level and UnescapeMqttTopicLevel gives it back byte for byte.
// "COM1" stays "COM1"; "a/b#1" becomes "a%2Fb%231"; a NUL byte of a topic becomes "%00".
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "mqtt/MqttSettings.h"

namespace quorvane {

inline constexpr const char* kMqttTopicRoot = "quorvane";
// MQTT topic names are at most 65535 bytes of UTF-8.
inline constexpr size_t kMqttMaxTopicBytes = 65535;

// A UTF-8 text as one topic level.
std::string EscapeMqttTopicLevel(std::string_view utf8);
// Code-page bytes as one topic level (converted to UTF-8 first).
std::string EscapeMqttTopicLevelBytes(std::string_view codePageBytes);
// The text of a level made by EscapeMqttTopicLevel. A "%" without two hex digits stays as it is.
std::string UnescapeMqttTopicLevel(std::string_view level);

struct MqttTopics {
    std::string record;        // quorvane/<station>/<topic>/record
    std::string status;        // quorvane/<station>/<topic>/status
    std::string itemPrefix;    // quorvane/<station>/<topic>/item/
    std::string dropped;       // quorvane/<station>/<topic>/dropped: records the queue lost
    std::string command;       // quorvane/<station>/<topic>/cmd
    std::string commandReply;  // quorvane/<station>/<topic>/cmd/reply
    // The retained topic of an item, by its canonical name ("Field(3)", "RecordNumber").
    std::string Item(std::string_view itemName) const;
};

// The topics of a station (UTF-8) and a DDE topic (code-page bytes); nothing, with problem
// set, when the longest of them (the RecordNumber item) would pass the MQTT limit.
std::optional<MqttTopics> MakeMqttTopics(std::string_view station, std::string_view topicBytes,
                                         MqttSettingsProblem& problem);

}  // namespace quorvane
