#include "delivery/DdeTopic.h"

#include <gtest/gtest.h>

#include "delivery/DdeBusMessages.h"
#include "strings/StringTable.h"

namespace quorvane {
namespace {

TEST(DdeTopicTest, ConfiguredTopicIsTheTopicNameElseThePortName) {
    SetupGlobals g;
    g.PortName = "COM2";
    EXPECT_EQ(ConfiguredDdeTopic(g), "COM2");
    g.DdeTopicName = "Balance";
    EXPECT_EQ(ConfiguredDdeTopic(g), "Balance");
}

TEST(DdeTopicTest, ActivationReplacesOnlyThePlaceholder) {
    SetupGlobals g;
    g.PortName = "COM1";
    DdeTopic topic;
    EXPECT_EQ(topic.Current(), "SYSTEM");
    EXPECT_TRUE(topic.ApplyActivation(g));
    EXPECT_EQ(topic.Current(), "COM1");

    // A reloaded configuration on the same window keeps the topic served.
    g.DdeTopicName = "Other";
    EXPECT_FALSE(topic.ApplyActivation(g));
    EXPECT_EQ(topic.Current(), "COM1");

    topic.Reset();
    EXPECT_TRUE(topic.ApplyActivation(g));
    EXPECT_EQ(topic.Current(), "Other");
}

TEST(DdeTopicTest, ATopicNamedSystemLeavesThePlaceholderInPlace) {
    SetupGlobals g;
    g.PortName = "COM1";
    g.DdeTopicName = "SYSTEM";
    DdeTopic topic;
    EXPECT_FALSE(topic.ApplyActivation(g));
    EXPECT_TRUE(topic.IsPlaceholder());
    g.DdeTopicName = "system";  // the comparison is exact
    EXPECT_TRUE(topic.ApplyActivation(g));
    EXPECT_EQ(topic.Current(), "system");
}

TEST(DdeTopicTest, ServeMessagesNameTheTopicInTheInterfaceLanguage) {
    const std::string taken = DdeNameTakenText("Lab \xE9", "Quorvane.Lab_20_E9");
    EXPECT_NE(taken.find("\"Lab \xC3\xA9\""), std::string::npos) << taken;
    EXPECT_NE(taken.find("Quorvane.Lab_20_E9"), std::string::npos);

    DdeServeStatus status{DdeServeResult::Serving, "Quorvane.COM1", {}};
    EXPECT_TRUE(DdeServeMessage(status, "COM1").empty());
    status.result = DdeServeResult::NoBus;
    EXPECT_EQ(DdeServeMessage(status, "COM1"), DdeNoBusText());
    status.result = DdeServeResult::Failed;
    status.detail = "too long";
    SetInterfaceLanguage(Language::Japanese);
    const std::string failed = DdeServeMessage(status, "COM1");
    SetInterfaceLanguage(Language::English);
    EXPECT_NE(failed.find("(too long)"), std::string::npos) << failed;
    EXPECT_NE(failed, DdeServeMessage(status, "COM1"));
}

}  // namespace
}  // namespace quorvane
