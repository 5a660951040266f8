// The session's DDE hooks over a recording server and a hand-fed link client.
#include "runtime/BusDdeHooks.h"

#include <gtest/gtest.h>

#include <vector>

#include "delivery/DdeBusMessages.h"
#include "fakes/FakeDdeLinkClient.h"
#include "fakes/FakeMessages.h"

namespace quorvane {
namespace {

class RecordingServer : public DdeServer {
  public:
    DdeServeStatus Serve(const std::string& topic) override {
        serves.push_back(topic);
        serving = answer == DdeServeResult::Serving;
        return {answer, "Quorvane." + topic, {}};
    }
    bool Serving() const override { return serving; }
    void Release() override {
        ++releases;
        serving = false;
    }
    void SetItemSource(const DdeItemSource* s) override { source = s; }
    void SetExecuteHandler(DdeExecuteHandler h) override { handler = std::move(h); }
    void ItemChanged(const std::string& item, const std::string& value) override {
        changes.push_back(item + "=" + value);
    }

    DdeServeResult answer = DdeServeResult::Serving;
    std::vector<std::string> serves, changes;
    bool serving = false;
    int releases = 0;
    const DdeItemSource* source = nullptr;
    DdeExecuteHandler handler;
};

class BusDdeHooksTest : public ::testing::Test {
  protected:
    SetupGlobals g;
    RecordingServer server;
    FakeMessages messages;
};

TEST_F(BusDdeHooksTest, TheAttachedItemsAreServedAndEveryUpdateIsSent) {
    DdeServerItems items;
    items.SetFieldCount(3);
    BusDdeHooks hooks(server, messages, nullptr, nullptr);
    hooks.AttachItems(&items);
    ASSERT_EQ(server.source, &items);
    hooks.SetTopic("COM1");
    EXPECT_EQ(server.serves, std::vector<std::string>{"COM1"});
    EXPECT_TRUE(messages.shown.empty());

    items.SetField(2, "12.5");
    items.SetField(2, "12.5");  // a repeat is a new update for linked clients
    items.SetRecordNumber("7");
    items.SetField(4, "x");  // beyond the served fields
    EXPECT_EQ(server.changes,
              (std::vector<std::string>{"Field(2)=12.5", "Field(2)=12.5", "RecordNumber=7"}));
    std::string value;
    ASSERT_TRUE(server.source->ItemValue("field(2)", value));
    EXPECT_EQ(value, "12.5");
    EXPECT_FALSE(server.source->ItemValue("Field(4)", value));  // beyond NumberOfFields
}

TEST_F(BusDdeHooksTest, AReloadWithTheSameTopicKeepsTheServedName) {
    BusDdeHooks hooks(server, messages, nullptr, nullptr);
    hooks.SetTopic("Balance");
    hooks.SetTopic("Balance");
    EXPECT_EQ(server.serves.size(), 1u);
    EXPECT_EQ(server.releases, 0);
    hooks.SetTopic("Other");
    EXPECT_EQ(server.serves, (std::vector<std::string>{"Balance", "Other"}));
}

TEST_F(BusDdeHooksTest, ATopicServedElsewhereIsSaidOnceAndTheProgramGoesOn) {
    server.answer = DdeServeResult::NameTaken;
    BusDdeHooks hooks(server, messages, nullptr, nullptr);
    hooks.SetTopic("COM1");
    hooks.SetTopic("COM1");  // the reload does not say it again
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, DdeNameTakenText("COM1", "Quorvane.COM1"));
    EXPECT_EQ(messages.shown[0].buttons, MessageButtons::Ok);
}

TEST_F(BusDdeHooksTest, QuitOverDdeAndUnloadGiveTheNameBack) {
    BusDdeHooks hooks(server, messages, nullptr, nullptr);
    hooks.SetTopic("COM1");
    hooks.DisconnectServerClients();
    EXPECT_FALSE(server.serving);
    EXPECT_EQ(server.releases, 1);
    hooks.ShutdownClient();
    hooks.SetTopic("COM1");  // a new activation serves again
    EXPECT_EQ(server.serves.size(), 2u);
    EXPECT_TRUE(server.serving);
}

TEST_F(BusDdeHooksTest, TheHooksLeaveTheServerWithoutItsItemsWhenTheyGo) {
    DdeServerItems items;
    {
        BusDdeHooks hooks(server, messages, nullptr, nullptr);
        hooks.AttachItems(&items);
        hooks.SetTopic("COM1");
    }
    EXPECT_EQ(server.source, nullptr);
    EXPECT_FALSE(server.serving);
    items.SetField(1, "after");  // no listener left to reach
    EXPECT_TRUE(server.changes.empty());
}

TEST_F(BusDdeHooksTest, CommandsReachTheHandlerAndLinksOpenAndEndThroughTheHooks) {
    FakeDdeLinkClient client;
    client.served.insert({"Quorvane", "Peer"});
    g.CommandLinkApp = "Quorvane";
    g.CommandLinkTopic = "Peer";
    g.CommandLinkItem = "Field(1)";
    DdeLinks links(g, client, messages, nullptr);
    std::vector<std::string> commands;
    BusDdeHooks hooks(server, messages, &links, [&](const std::string& c) {
        commands.push_back(c);
        return c != "{BAD}";
    });
    ASSERT_TRUE(server.handler);
    EXPECT_TRUE(server.handler("{SEND(A)}"));
    EXPECT_FALSE(server.handler("{BAD}"));
    EXPECT_EQ(commands, (std::vector<std::string>{"{SEND(A)}", "{BAD}"}));

    hooks.EstablishCommandLink();
    EXPECT_EQ(links.Mode(DdeLinkKind::Command), DdeLinkMode::Automatic);
    hooks.EstablishBufferLink();  // no buffer link configured: stays off
    EXPECT_EQ(links.Mode(DdeLinkKind::Buffer), DdeLinkMode::None);
    hooks.ShutdownClient();
    EXPECT_EQ(links.Mode(DdeLinkKind::Command), DdeLinkMode::None);
    EXPECT_TRUE(client.links.empty());
}

}  // namespace
}  // namespace quorvane
