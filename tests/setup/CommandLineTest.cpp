#include "setup/CommandLine.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

struct Row {
    std::vector<std::string> args;
    CommandKind kind;
    std::string path;
    std::string output;
    bool directKeys;
};

TEST(CommandLine, Table) {
    const Row rows[] = {
        {{}, CommandKind::Start, "", "", false},
        {{"/K"}, CommandKind::Start, "", "", true},
        {{"/k"}, CommandKind::Start, "", "", true},
        {{"/home/kim/Scale.qv3"}, CommandKind::Start, "/home/kim/Scale.qv3", "", false},
        // "/k" inside a path is part of the path, and the path keeps its letter case.
        {{"/kim/k.qv3"}, CommandKind::Start, "/kim/k.qv3", "", false},
        {{"\"/data/My Scale.qv3\"", "/K"}, CommandKind::Start, "/data/My Scale.qv3", "", true},
        {{"/K", "\"a.qv3"}, CommandKind::Start, "a.qv3", "", true},
        {{"\"\""}, CommandKind::Start, "", "", false},
        {{"--", "--odd-name.qv3"}, CommandKind::Start, "--odd-name.qv3", "", false},
        {{"--show-config", "x.qv3"}, CommandKind::ShowConfig, "x.qv3", "", false},
        {{"x.qv3", "--show-config"}, CommandKind::ShowConfig, "x.qv3", "", false},
        {{"/K", "--show-config", "x.qv3"}, CommandKind::ShowConfig, "x.qv3", "", true},
        {{"--convert-config", "in.qv3", "out.qv3"},
         CommandKind::ConvertConfig,
         "in.qv3",
         "out.qv3",
         false},
        {{"--help"}, CommandKind::Help, "", "", false},
        {{"-h"}, CommandKind::Help, "", "", false},
        {{"--version"}, CommandKind::Version, "", "", false},
    };
    for (const Row& row : rows) {
        const CommandLine c = ParseCommandLine(row.args);
        const std::string label = ::testing::PrintToString(row.args);
        EXPECT_EQ(c.Kind, row.kind) << label << ": " << c.ErrorText;
        EXPECT_EQ(c.ConfigPath, row.path) << label;
        EXPECT_EQ(c.OutputPath, row.output) << label;
        EXPECT_EQ(c.DirectKeyEvents, row.directKeys) << label;
    }
}

TEST(CommandLine, MistakesAreErrorsThatSayWhat) {
    const std::pair<std::vector<std::string>, std::string> rows[] = {
        {{"--bogus"}, "--bogus"},
        {{"-x", "a.qv3"}, "-x"},
        {{"--show-config"}, "one configuration file"},
        {{"--show-config", "a", "b"}, "one configuration file"},
        {{"--convert-config", "in.qv3"}, "an input and an output file"},
        {{"--help", "--version"}, "cannot be combined"},
        {{"--version", "a.qv3"}, "no file"},
        {{"a.qv3", "b.qv3"}, "more than one"},
        {{"--headless", "a.qv3", "--mqtt"}, "--mqtt needs a value"},
        {{"--headless", "a.qv3", "--mqtt-station"}, "--mqtt-station needs a value"},
        {{"--show-config", "a.qv3", "--mqtt-commands"}, "--mqtt-commands works with a run"},
        {{"--help", "--mqtt", "mqtt://b"}, "--mqtt works with a run"},
    };
    for (const auto& [args, says] : rows) {
        const CommandLine c = ParseCommandLine(args);
        EXPECT_EQ(c.Kind, CommandKind::Error) << ::testing::PrintToString(args);
        EXPECT_NE(c.ErrorText.find(says), std::string::npos) << c.ErrorText;
    }
    const std::string usage = UsageText();
    for (const char* option :
         {"--show-config", "--convert-config", "--help", "--version", "/K", "--mqtt", "--mqtt-ca",
          "--mqtt-client-id", "--mqtt-user", "--mqtt-password-file", "--mqtt-keepalive",
          "--mqtt-station", "--mqtt-queue-limit", "--mqtt-commands"}) {
        EXPECT_NE(usage.find(option), std::string::npos) << option;
    }
}

TEST(CommandLine, MqttOptionsAreKeptInOrderForTheSettings) {
    const CommandLine c =
        ParseCommandLine({"--headless", "a.qv3", "--mqtt", "mqtt://b", "--mqtt-commands",
                          "--mqtt-station", "--odd", "--mqtt-bogus", "x", "/K"});
    ASSERT_EQ(c.Kind, CommandKind::Headless) << c.ErrorText;
    EXPECT_EQ(c.ConfigPath, "a.qv3");
    EXPECT_TRUE(c.DirectKeyEvents);
    // A value may start with "-"; an unknown MQTT option is for the settings to name.
    EXPECT_EQ(c.Mqtt, (MqttOptions{{"--mqtt", "mqtt://b"},
                                   {"--mqtt-commands", "on"},
                                   {"--mqtt-station", "--odd"},
                                   {"--mqtt-bogus", "x"}}));
    EXPECT_TRUE(ParseCommandLine({"--", "--mqtt"}).Mqtt.empty());
    const CommandLine windowed = ParseCommandLine({"a.qv3", "--mqtt", "mqtt://b"});
    EXPECT_EQ(windowed.Kind, CommandKind::Start);
    EXPECT_EQ(windowed.Mqtt, (MqttOptions{{"--mqtt", "mqtt://b"}}));
}

}  // namespace
}  // namespace quorvane
