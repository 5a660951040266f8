#include "mqtt/MqttQueueFile.h"

#include <gtest/gtest.h>

#include "strings/StringIds.h"
#include "strings/StringTable.h"

namespace quorvane {
namespace {

TEST(MqttQueueFile, StateFolderFromXdgOrTheHome) {
    EXPECT_EQ(MqttQueueFolder("/var/lib/kim", "/home/kim"), "/var/lib/kim/Quorvane");
    EXPECT_EQ(MqttQueueFolder("/var/lib/kim/", "/home/kim"), "/var/lib/kim/Quorvane");
    EXPECT_EQ(MqttQueueFolder("", "/home/kim"), "/home/kim/.local/state/Quorvane");
    // A relative XDG_STATE_HOME is not valid and is ignored.
    EXPECT_EQ(MqttQueueFolder("state", "/home/kim"), "/home/kim/.local/state/Quorvane");
}

TEST(MqttQueueFile, OneFilePerTopicWithASafeName) {
    EXPECT_EQ(MqttQueuePath("", "/home/kim", "COM1"),
              "/home/kim/.local/state/Quorvane/mqtt-COM1.queue");
    EXPECT_EQ(MqttQueuePath("/s", "/h", "../x"), "/s/Quorvane/mqtt-..%2Fx.queue");
    EXPECT_EQ(MqttQueuePath("/s", "/h", std::string("L\xE9\0", 3)),
              "/s/Quorvane/mqtt-L\xC3\xA9%00.queue");
    const std::string a = MqttQueuePath("/s", "/h", std::string(300, 'a'));
    const std::string b = MqttQueuePath("/s", "/h", std::string(300, 'a') + "b");
    EXPECT_NE(a, b) << "long topics that share their start stay apart";
    EXPECT_LE(a.size() - std::string("/s/Quorvane/").size(), 255u);
}

TEST(MqttQueueFile, OpeningSaysWhatWasLostInOrder) {
    EXPECT_TRUE(MqttQueueOpenMessages({}, "/q", 1000).empty());
    RecordQueueOpenResult opened;
    opened.damaged = 2;
    opened.tornTail = true;
    opened.dropped = 7;
    opened.rewrite = {false, "Read-only file system"};
    const std::vector<std::string> expected = {
        "The MQTT queue /q cannot be written: Read-only file system. Records not yet published "
        "are kept in memory only.",
        "The MQTT queue /q was damaged: 2 unreadable entries were dropped, the others kept.",
        LoadString(kStrMqttQueueTornTail, {"/q"}),
        "The MQTT queue reached its limit of 1000 bytes: the 7 oldest records were dropped.",
    };
    EXPECT_EQ(MqttQueueOpenMessages(opened, "/q", 1000), expected);
    RecordQueueOpenResult unreadable;
    unreadable.read = {false, "Permission denied"};
    EXPECT_EQ(MqttQueueOpenMessages(unreadable, "/q", 1000),
              std::vector<std::string>{"The MQTT queue /q cannot be read: Permission denied."});
}

TEST(MqttQueueFile, OpenFailuresNameTheFile) {
    EXPECT_EQ(MqttQueueInUseMessage("/q"), "The MQTT queue /q is in use by another Quorvane.");
    EXPECT_EQ(MqttQueueUnavailableMessage("/q", "/s: Not a directory"),
              "The MQTT queue /q cannot be read: /s: Not a directory.");
}

TEST(MqttQueueFile, RecordTooLargeNamesBothSizes) {
    EXPECT_EQ(MqttRecordTooLargeMessage(70000, 65536),
              "A record of 70000 bytes is larger than the MQTT queue limit of 65536 bytes and was "
              "dropped.");
}

}  // namespace
}  // namespace quorvane
