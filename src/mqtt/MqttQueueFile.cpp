#include "mqtt/MqttQueueFile.h"

#include <cstdio>

#include "mqtt/MqttTopic.h"
#include "mqtt/RecordQueueFormat.h"
#include "strings/StringIds.h"
#include "strings/StringTable.h"

namespace quorvane {

namespace {

// File names are at most 255 bytes; the prefix, the suffix and a checksum take the rest.
constexpr size_t kMaxTopicPart = 200;

}  // namespace

std::string MqttQueueFolder(std::string_view xdgStateHome, std::string_view homeDirectory) {
    std::string base = !xdgStateHome.empty() && xdgStateHome.front() == '/'
                           ? std::string(xdgStateHome)
                           : std::string(homeDirectory) + "/.local/state";
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    return base + "/Quorvane";
}

std::string MqttQueuePath(std::string_view xdgStateHome, std::string_view homeDirectory,
                          std::string_view topicBytes) {
    std::string part = EscapeMqttTopicLevelBytes(topicBytes);
    if (part.size() > kMaxTopicPart) {
        char sum[16];
        std::snprintf(sum, sizeof sum, "~%08X", static_cast<unsigned>(Crc32(part)));
        part.resize(kMaxTopicPart);
        part += sum;
    }
    return MqttQueueFolder(xdgStateHome, homeDirectory) + "/mqtt-" + part + ".queue";
}

std::vector<std::string> MqttQueueOpenMessages(const RecordQueueOpenResult& opened,
                                               std::string_view path, uint64_t limit) {
    std::vector<std::string> out;
    if (!opened.read.ok)
        out.push_back(LoadString(kStrMqttQueueReadFailed, {path, opened.read.error}));
    if (!opened.rewrite.ok) out.push_back(MqttQueueWriteFailedMessage(path, opened.rewrite));
    if (opened.damaged > 0)
        out.push_back(LoadString(kStrMqttQueueDamaged, {path, std::to_string(opened.damaged)}));
    if (opened.tornTail) out.push_back(LoadString(kStrMqttQueueTornTail, {path}));
    if (opened.dropped > 0) out.push_back(MqttQueueDroppedMessage(limit, opened.dropped));
    return out;
}

std::string MqttQueueInUseMessage(std::string_view path) {
    return LoadString(kStrMqttQueueInUse, {path});
}

std::string MqttQueueUnavailableMessage(std::string_view path, std::string_view reason) {
    return LoadString(kStrMqttQueueReadFailed, {path, reason});
}

std::string MqttQueueWriteFailedMessage(std::string_view path, const QueueStoreStatus& status) {
    return LoadString(kStrMqttQueueWriteFailed, {path, status.error});
}

std::string MqttQueueDroppedMessage(uint64_t limit, uint64_t dropped) {
    return LoadString(kStrMqttQueueDropped, {std::to_string(limit), std::to_string(dropped)});
}

std::string MqttRecordTooLargeMessage(uint64_t recordBytes, uint64_t limit) {
    return LoadString(kStrMqttQueueRecordTooLarge,
                      {std::to_string(recordBytes), std::to_string(limit)});
}

}  // namespace quorvane
