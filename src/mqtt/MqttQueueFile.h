// Where the MQTT queue of a topic lives, and what is said about it. One file per DDE topic,
// since two programs serving different topics publish independently:
//   $XDG_STATE_HOME/Quorvane/mqtt-<topic>.queue   ($XDG_STATE_HOME unset, empty or relative:
//   ~/.local/state). <topic> is the topic as a topic level (MqttTopic.h), so no "/" or NUL
//   reaches the name; a very long one is cut and told apart by its checksum.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "mqtt/RecordQueue.h"

namespace quorvane {

// The folder of the queue files (UTF-8, without a trailing "/").
std::string MqttQueueFolder(std::string_view xdgStateHome, std::string_view homeDirectory);
// The queue file of a DDE topic (code-page bytes) in that folder.
std::string MqttQueuePath(std::string_view xdgStateHome, std::string_view homeDirectory,
                          std::string_view topicBytes);

// The messages (UTF-8, interface language) an opened queue at path (UTF-8) deserves, in this
// order: its read or rewrite failure, the damaged entries dropped, the torn last write, and
// the records dropped for a limit lowered since the last run. Empty when all went well.
std::vector<std::string> MqttQueueOpenMessages(const RecordQueueOpenResult& opened,
                                               std::string_view path, uint64_t limit);
// The queue file could not be opened: another program holds its lock, or the system refused
// (reason: the system's text with the file or folder it concerns).
std::string MqttQueueInUseMessage(std::string_view path);
std::string MqttQueueUnavailableMessage(std::string_view path, std::string_view reason);
std::string MqttQueueWriteFailedMessage(std::string_view path, const QueueStoreStatus& status);
// Records dropped for the limit: said once for all dropped since it was last said.
std::string MqttQueueDroppedMessage(uint64_t limit, uint64_t dropped);
std::string MqttRecordTooLargeMessage(uint64_t recordBytes, uint64_t limit);

}  // namespace quorvane
