#include "mqtt/MqttTopic.h"

#include "config/CodePage.h"
#include "strings/HexPair.h"
#include "strings/StringIds.h"
#include "strings/StringTable.h"

namespace quorvane {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";
// The longest item name: its topic decides whether the names fit.
constexpr std::string_view kLongestItem = "RecordNumber";

void AppendEscaped(std::string& out, std::string_view bytes) {
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        out += '%';
        out += kHex[b >> 4];
        out += kHex[b & 0x0F];
    }
}

bool NeedsEscape(char32_t cp) {
    return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F) || cp == '+' || cp == '#' || cp == '/' ||
           cp == '%';
}

}  // namespace

std::string EscapeMqttTopicLevel(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    size_t pos = 0;
    while (pos < utf8.size()) {
        const size_t start = pos;
        char32_t cp = 0;
        const bool wellFormed = DecodeUtf8(utf8, pos, cp);
        const std::string_view sequence = utf8.substr(start, pos - start);
        if (!wellFormed || NeedsEscape(cp)) {
            AppendEscaped(out, sequence);
        } else {
            out += sequence;
        }
    }
    return out;
}

std::string EscapeMqttTopicLevelBytes(std::string_view codePageBytes) {
    return EscapeMqttTopicLevel(CodePage::ToUtf8(codePageBytes));
}

std::string UnescapeMqttTopicLevel(std::string_view level) {
    std::string out;
    out.reserve(level.size());
    for (size_t i = 0; i < level.size(); ++i) {
        const auto byte = level[i] == '%' ? HexPairAt(level, i + 1) : std::nullopt;
        if (byte) {
            out += *byte;
            i += 2;
        } else {
            out += level[i];
        }
    }
    return out;
}

std::string MqttTopics::Item(std::string_view itemName) const {
    return itemPrefix + EscapeMqttTopicLevel(itemName);
}

std::optional<MqttTopics> MakeMqttTopics(std::string_view station, std::string_view topicBytes,
                                         MqttSettingsProblem& problem) {
    const std::string base = std::string(kMqttTopicRoot) + "/" + EscapeMqttTopicLevel(station) +
                             "/" + EscapeMqttTopicLevelBytes(topicBytes) + "/";
    MqttTopics topics;
    topics.record = base + "record";
    topics.status = base + "status";
    topics.itemPrefix = base + "item/";
    topics.dropped = base + "dropped";
    topics.command = base + "cmd";
    topics.commandReply = base + "cmd/reply";
    if (topics.itemPrefix.size() + kLongestItem.size() > kMqttMaxTopicBytes) {
        problem = {kStrMqttTopicTooLong, LoadString(kStrMqttTopicTooLong, {})};
        return std::nullopt;
    }
    return topics;
}

}  // namespace quorvane
