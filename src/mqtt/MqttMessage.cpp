#include "mqtt/MqttMessage.h"

#include <cstdio>
#include <cstdlib>

#include "config/CodePage.h"
#include "delivery/DdeBusText.h"
#include "delivery/DdeServerItems.h"

namespace quorvane {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";
constexpr char32_t kReplacement = 0xFFFD;

void AppendUnicodeEscape(std::string& out, char32_t cp) {
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(cp >> shift) & 0x0F];
}

void AppendTwoDigits(std::string& out, int value) {
    out += static_cast<char>('0' + value / 10 % 10);
    out += static_cast<char>('0' + value % 10);
}

}  // namespace

std::string FormatMqttTime(const MqttRecordTime& time) {
    const DateTimeParts& t = time.local;
    char date[32];
    std::snprintf(date, sizeof date, "%04d-%02d-%02dT%02d:%02d:%02d", t.Year, t.Month, t.Day,
                  t.Hour, t.Minute, t.Second);
    std::string out = date;
    const int offset = std::abs(time.utcOffsetMinutes);
    out += time.utcOffsetMinutes < 0 ? '-' : '+';
    AppendTwoDigits(out, offset / 60);
    out += ':';
    AppendTwoDigits(out, offset % 60);
    return out;
}

void AppendJsonString(std::string& out, std::string_view utf8) {
    out += '"';
    size_t pos = 0;
    while (pos < utf8.size()) {
        const size_t start = pos;
        char32_t cp = 0;
        if (!DecodeUtf8(utf8, pos, cp)) {
            AppendUtf8(out, kReplacement);
        } else if (cp == '"' || cp == '\\') {
            out += '\\';
            out += static_cast<char>(cp);
        } else if (cp < 0x20 || cp == 0x7F || cp == 0x2028 || cp == 0x2029) {
            AppendUnicodeEscape(out, cp);
        } else {
            out += utf8.substr(start, pos - start);
        }
    }
    out += '"';
}

std::string MakeMqttRecordMessage(const MqttRecord& record) {
    std::string out = "{\"station\":";
    AppendJsonString(out, record.station);
    out += ",\"topic\":";
    AppendJsonString(out, DdeTextToBus(record.topic));
    out += ",\"record\":";
    out += std::to_string(record.number);
    out += ",\"time\":";
    AppendJsonString(out, FormatMqttTime(record.ended));
    out += ",\"fields\":[";
    for (size_t i = 0; i < record.fields.size(); ++i) {
        if (i > 0) out += ',';
        AppendJsonString(out, DdeTextToBus(record.fields[i]));
    }
    out += "]}";
    return out;
}

MqttItemMessage MakeMqttItemMessage(const MqttTopics& topics, std::string_view itemName,
                                    std::string_view valueBytes) {
    return {topics.Item(itemName), DdeTextToBus(valueBytes)};
}

std::vector<MqttItemMessage> MakeMqttItemMessages(const MqttTopics& topics,
                                                  const MqttRecord& record) {
    std::vector<MqttItemMessage> out;
    out.reserve(record.fields.size() + 2);
    for (size_t i = 0; i < record.fields.size(); ++i) {
        const DdeItemId id{DdeItemId::Field, static_cast<int>(i + 1)};
        out.push_back(MakeMqttItemMessage(topics, DdeItemName(id), record.fields[i]));
    }
    out.push_back(
        {topics.Item(DdeItemName({DdeItemId::RecordNumber, 0})), std::to_string(record.number)});
    out.push_back(
        {topics.Item(DdeItemName({DdeItemId::DateTime, 0})), FormatMqttTime(record.ended)});
    return out;
}

}  // namespace quorvane
