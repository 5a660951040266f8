#include "mqtt/MqttSettings.h"

#include <gtest/gtest.h>

#include "fakes/FakeSettingsStore.h"
#include "strings/StringIds.h"
#include "strings/StringTable.h"

namespace quorvane {
namespace {

void Store(FakeSettingsStore& store, const std::string& key, const std::string& value) {
    store.values[FakeSettingsStore::Key("Quorvane", "Mqtt", key)] = value;
}

std::vector<int> ErrorIds(const MqttSettingsResult& result) {
    std::vector<int> ids;
    for (const auto& e : result.errors) ids.push_back(e.id);
    return ids;
}

TEST(MqttBrokerUrl, AcceptsHostsPortsAndBothSchemes) {
    struct Case {
        const char* url;
        MqttBrokerAddress expected;
    };
    const Case cases[] = {
        {"mqtt://broker.lab", {false, "broker.lab", 1883}},
        {"mqtts://broker.lab", {true, "broker.lab", 8883}},
        {"MQTT://Broker.Lab:1884", {false, "Broker.Lab", 1884}},
        {"mqtt://10.0.0.7:65535/", {false, "10.0.0.7", 65535}},
        {"mqtts://[2001:db8::1]:8884", {true, "2001:db8::1", 8884}},
        {"mqtt://[::1]", {false, "::1", 1883}},
        {"mqtt://[::ffff:10.0.0.1]:1", {false, "::ffff:10.0.0.1", 1}},
        {"mqtt://my_host-2", {false, "my_host-2", 1883}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        MqttSettingsProblem problem;
        const auto address = ParseMqttBrokerUrl(c.url, "--mqtt", problem);
        ASSERT_TRUE(address.has_value()) << problem.text;
        EXPECT_EQ(*address, c.expected);
    }
}

TEST(MqttBrokerUrl, RefusesWithTheTextOfWhatIsWrong) {
    const std::pair<const char*, int> cases[] = {
        {"tcp://broker", kStrMqttUrlScheme},
        {"broker:1883", kStrMqttUrlScheme},
        {"mqtt:/broker", kStrMqttUrlScheme},
        {"mqtt://", kStrMqttUrlHost},
        {"mqtt://:1883", kStrMqttUrlHost},
        {"mqtt://bro ker", kStrMqttUrlHost},
        {"mqtt://a..b", kStrMqttUrlHost},
        {"mqtt://2001:db8::1", kStrMqttUrlHost},  // IPv6 needs brackets
        {"mqtt://[2001:db8::1", kStrMqttUrlHost},
        {"mqtt://[broker]:1883", kStrMqttUrlHost},
        {"mqtt://[::1]1883", kStrMqttUrlHost},
        {"mqtt://broker:0", kStrMqttUrlPort},
        {"mqtt://broker:65536", kStrMqttUrlPort},
        {"mqtt://broker:", kStrMqttUrlPort},
        {"mqtt://broker:+1", kStrMqttUrlPort},
        {"mqtt://broker:99999999999999999999999", kStrMqttUrlPort},
        {"mqtt://broker/quorvane", kStrMqttUrlExtra},
        {"mqtt://broker?x=1", kStrMqttUrlExtra},
        {"mqtt://broker#top", kStrMqttUrlExtra},
        {"mqtt://broker//", kStrMqttUrlExtra},
    };
    for (const auto& [url, id] : cases) {
        SCOPED_TRACE(url);
        MqttSettingsProblem problem;
        EXPECT_FALSE(ParseMqttBrokerUrl(url, "--mqtt", problem).has_value());
        EXPECT_EQ(problem.id, id);
        EXPECT_EQ(problem.text, LoadString(id, {"--mqtt", url}));
    }
    MqttSettingsProblem problem;
    // A password in the user information is not repeated in the message.
    EXPECT_FALSE(ParseMqttBrokerUrl("mqtt://kim:pw@broker:1883", "--mqtt", problem).has_value());
    EXPECT_EQ(problem.id, kStrMqttUrlExtra);
    EXPECT_EQ(problem.text, LoadString(kStrMqttUrlExtra, {"--mqtt", "mqtt://***@broker:1883"}));
    EXPECT_FALSE(ParseMqttBrokerUrl("kim:pw@broker", "--mqtt", problem).has_value());
    EXPECT_EQ(problem.text, LoadString(kStrMqttUrlScheme, {"--mqtt", "***@broker"}));
    ParseMqttBrokerUrl("http://x", "--mqtt", problem);
    EXPECT_EQ(problem.text,
              "--mqtt: the broker address \"http://x\" must start with mqtt:// or mqtts://.");
}

TEST(MqttQueueLimit, BytesOrBinaryUnitsWithinTheRange) {
    EXPECT_EQ(ParseMqttQueueLimit("65536"), 65536u);
    EXPECT_EQ(ParseMqttQueueLimit("64K"), 65536u);
    EXPECT_EQ(ParseMqttQueueLimit("100m"), 100ull << 20);
    EXPECT_EQ(ParseMqttQueueLimit("1024G"), 1ull << 40);
    for (const char* bad :
         {"", "K", "65535", "63k", "1025G", "10 M", "-1M", "1.5G", "10MB", "99999999999999999999G"})
        EXPECT_FALSE(ParseMqttQueueLimit(bad).has_value()) << bad;
}

TEST(MqttSettings, OffWithoutABrokerAndNoOtherOption) {
    FakeSettingsStore store;
    const MqttSettingsResult result = ResolveMqttSettings(store, {}, "bench-3");
    EXPECT_FALSE(result.enabled);
    EXPECT_TRUE(result.errors.empty());
}

TEST(MqttSettings, DefaultsFromTheUrlAndTheHostName) {
    FakeSettingsStore store;
    const MqttSettingsResult result =
        ResolveMqttSettings(store, {{"--mqtt", "mqtt://b"}}, "bench-3");
    ASSERT_TRUE(result.enabled);
    const MqttSettings& s = result.settings;
    EXPECT_EQ(s.url, "mqtt://b");
    EXPECT_EQ(s.broker, (MqttBrokerAddress{false, "b", 1883}));
    EXPECT_EQ(s.station, "bench-3");
    EXPECT_EQ(s.keepAliveSeconds, 60);
    EXPECT_EQ(s.queueLimit, 100ull * 1024 * 1024);
    EXPECT_TRUE(s.clientId.empty());
    EXPECT_TRUE(s.userName.empty());
    EXPECT_TRUE(s.passwordFile.empty());
    EXPECT_TRUE(s.caFile.empty());
    EXPECT_FALSE(s.commands);
}

TEST(MqttSettings, StoreGivesEverySettingAndOptionsOverrideOneByOne) {
    FakeSettingsStore store;
    Store(store, "Url", "mqtts://stored:9000");
    Store(store, "CaFile", "/etc/lab/ca.pem");
    Store(store, "ClientId", "stored-id");
    Store(store, "UserName", "kim");
    Store(store, "PasswordFile", "/home/kim/.mqtt-pw");
    Store(store, "KeepAlive", "30");
    Store(store, "Station", "Waage 2");
    Store(store, "QueueLimit", "1M");
    Store(store, "Commands", "Yes");
    MqttSettingsResult result = ResolveMqttSettings(store, {}, "host");
    ASSERT_TRUE(result.enabled) << (result.errors.empty() ? "" : result.errors[0].text);
    EXPECT_EQ(result.settings.broker, (MqttBrokerAddress{true, "stored", 9000}));
    EXPECT_EQ(result.settings.caFile, "/etc/lab/ca.pem");
    EXPECT_EQ(result.settings.clientId, "stored-id");
    EXPECT_EQ(result.settings.userName, "kim");
    EXPECT_EQ(result.settings.passwordFile, "/home/kim/.mqtt-pw");
    EXPECT_EQ(result.settings.keepAliveSeconds, 30);
    EXPECT_EQ(result.settings.station, "Waage 2");
    EXPECT_EQ(result.settings.queueLimit, 1u << 20);
    EXPECT_TRUE(result.settings.commands);

    result = ResolveMqttSettings(store,
                                 {{"--mqtt", "mqtts://given"},
                                  {"--mqtt-keepalive", "5"},
                                  {"--mqtt-station", "Band \xC3\xA9"},
                                  {"--mqtt-queue-limit", "64K"},
                                  {"--mqtt-client-id", "cli"},
                                  {"--mqtt-commands", "off"}},
                                 "host");
    ASSERT_TRUE(result.enabled);
    EXPECT_FALSE(result.settings.commands);
    EXPECT_EQ(result.settings.broker, (MqttBrokerAddress{true, "given", 8883}));
    EXPECT_EQ(result.settings.keepAliveSeconds, 5);
    EXPECT_EQ(result.settings.station, "Band \xC3\xA9");
    EXPECT_EQ(result.settings.queueLimit, 65536u);
    EXPECT_EQ(result.settings.clientId, "cli");
    EXPECT_EQ(result.settings.userName, "kim");  // not overridden
    EXPECT_EQ(result.settings.caFile, "/etc/lab/ca.pem");
}

TEST(MqttSettings, ErrorsNameTheirSourceAndAllAreListed) {
    FakeSettingsStore store;
    Store(store, "KeepAlive", "4");
    Store(store, "Commands", "sometimes");
    const MqttSettingsResult result = ResolveMqttSettings(
        store, {{"--mqtt", "mqtt://b"}, {"--mqtt-queue-limit", "lots"}, {"--mqtt-ca", "ca.pem"}},
        "h");
    EXPECT_FALSE(result.enabled);
    EXPECT_EQ(ErrorIds(result), (std::vector<int>{kStrMqttCaWithoutTls, kStrMqttKeepAlive,
                                                  kStrMqttQueueLimit, kStrMqttCommandsValue}));
    EXPECT_EQ(result.errors[1].text,
              "Mqtt/KeepAlive in the per-user settings: the keep-alive \"4\" must be a number of "
              "seconds from 5 to 65535.");
    EXPECT_EQ(result.errors[2].text,
              LoadString(kStrMqttQueueLimit, {"--mqtt-queue-limit", "lots"}));
    EXPECT_EQ(result.errors[0].text, LoadString(kStrMqttCaWithoutTls, {"--mqtt-ca"}));
}

TEST(MqttSettings, OptionMistakes) {
    FakeSettingsStore store;
    const struct {
        MqttOptions options;
        std::vector<int> ids;
    } cases[] = {
        {{{"--mqtt", "mqtt://b"}, {"--mqtt-colour", "x"}}, {kStrMqttOptionUnknown}},
        {{{"--mqtt", "mqtt://b"}, {"--mqtt-password", "secret"}}, {kStrMqttPasswordOption}},
        {{{"--mqtt", "mqtt://b"}, {"--mqtt", "mqtt://c"}}, {kStrMqttOptionTwice}},
        {{{"--mqtt", "mqtt://b"}, {"--mqtt-user", ""}}, {kStrMqttOptionEmpty}},
        {{{"--mqtt-station", "s"}}, {kStrMqttNoBroker}},
        {{{"--mqtt", "mqtt://b"}, {"--mqtt-password-file", "/pw"}}, {kStrMqttPasswordWithoutUser}},
        {{{"--mqtt", "mqtt://b"}, {"--mqtt-keepalive", "65536"}}, {kStrMqttKeepAlive}},
        {{{"--mqtt", "mqtt://b"}, {"--mqtt-keepalive", "0x10"}}, {kStrMqttKeepAlive}},
        {{{"--mqtt", "mqtt://b"}, {"--mqtt-station", "a\tb"}}, {kStrMqttTextInvalid}},
        {{{"--mqtt", "mqtt://b"}, {"--mqtt-user", "\xC3"}}, {kStrMqttTextInvalid}},
        {{{"--mqtt", "mqtt://b"}, {"--mqtt-client-id", std::string(65536, 'x')}},
         {kStrMqttTextTooLong}},
        {{{"--mqtt", "ftp://b"}, {"--mqtt-station", "\x7F"}},
         {kStrMqttUrlScheme, kStrMqttTextInvalid}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options.back().first);
        const MqttSettingsResult result = ResolveMqttSettings(store, c.options, "h");
        EXPECT_FALSE(result.enabled);
        EXPECT_EQ(ErrorIds(result), c.ids);
    }
    const MqttSettingsResult result =
        ResolveMqttSettings(store, {{"--mqtt", "mqtt://b"}, {"--mqtt-password", "s3cret"}}, "h");
    ASSERT_EQ(result.errors.size(), 1u);
    EXPECT_EQ(result.errors[0].text.find("s3cret"), std::string::npos)
        << "the password is not echoed";
}

TEST(MqttSettings, StationNeedsAHostNameOrAName) {
    FakeSettingsStore store;
    EXPECT_EQ(ErrorIds(ResolveMqttSettings(store, {{"--mqtt", "mqtt://b"}}, "")),
              std::vector<int>{kStrMqttStationEmpty});
    const MqttSettingsResult named =
        ResolveMqttSettings(store, {{"--mqtt", "mqtt://b"}, {"--mqtt-station", "s"}}, "");
    EXPECT_TRUE(named.enabled);
    EXPECT_EQ(named.settings.station, "s");
}

TEST(MqttSettings, DefaultClientIdKeepsStationsAndTopicsApart) {
    EXPECT_EQ(DefaultMqttClientId("bench-3", "COM1"), "quorvane-bench-3-COM1");
    EXPECT_EQ(DefaultMqttClientId("Band \xC3\xA9", "L\xE4/1"), "quorvane-Band___-L__1");
    EXPECT_NE(DefaultMqttClientId("a", "COM1"), DefaultMqttClientId("a", "COM2"));
    EXPECT_EQ(DefaultMqttClientId(std::string(70000, 's'), "COM1").size(), 65535u);
}

}  // namespace
}  // namespace quorvane
