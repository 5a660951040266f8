// The DDE client on a private bus, against peers in this process: a Quorvane-like server,
// one that never answers, and one that goes away.
#include "platform/linux/DbusDdeClient.h"

#include <gtest/gtest.h>

#include <QDBusVirtualObject>
#include <QElapsedTimer>
#include <string>
#include <vector>

#include "delivery/DbusTestBus.h"
#include "delivery/DdeServerItems.h"
#include "engine/RuntimeFlags.h"
#include "platform/linux/DbusDdeServer.h"

namespace quorvane {
namespace {

using namespace dbustest;

// A peer that takes every call and never replies.
class SilentObject : public QDBusVirtualObject {
  public:
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override {
        if (message.member() == QLatin1String("Execute")) ++calls;
        return true;
    }
    int calls = 0;
};

// A server of topic Peer that records what it is told to do.
struct Peer {
    explicit Peer(const std::string& topic = "Peer") {
        server.SetItemSource(&items);
        server.SetExecuteHandler([this](const std::string& command) {
            commands.push_back(command);
            return command != "{REFUSE}";
        });
        status = server.Serve(topic);
    }
    DdeServerItems items;
    DbusDdeServer server;
    std::vector<std::string> commands;
    DdeServeStatus status;
};

class DdeClientDbus : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(EnsurePrivateBus().empty()) << "dbus-daemon did not start";
    }
    RuntimeFlags flags_;
    DbusDdeClient client_{[this](DdeConversationId ended) {
        if (flags_.DdeConversation == ended) flags_.DdeConversation = 0;
    }};
};

TEST_F(DdeClientDbus, ExecutesCommandsOnThePeerAndIgnoresTheirOutcome) {
    Peer peer;
    ASSERT_EQ(peer.status.result, DdeServeResult::Serving);
    flags_.DdeConversation = client_.DdeClientConnect("Quorvane", "Peer");
    ASSERT_NE(flags_.DdeConversation, 0u);
    const DdeConversationId id = flags_.DdeConversation;

    client_.DdeClientExecute(flags_.DdeConversation, "{SEND(\x80)}");
    client_.DdeClientExecute(flags_.DdeConversation, "");  // nothing sent
    client_.DdeClientExecute(flags_.DdeConversation, "{REFUSE}");
    client_.DdeClientExecute(flags_.DdeConversation, std::string("{SEND(a\0b)}", 12));
    EXPECT_EQ(flags_.DdeConversation, id);  // a refusal does not end the conversation
    EXPECT_EQ(peer.commands, (std::vector<std::string>{"{SEND(\x80)}", "{REFUSE}",
                                                       std::string("{SEND(a\0b)}", 12)}));

    DdeConversationId none = 0;
    client_.DdeClientExecute(none, "{SEND(x)}");
    EXPECT_EQ(peer.commands.size(), 3u);

    client_.DdeClientDisconnect(flags_.DdeConversation);
    EXPECT_EQ(flags_.DdeConversation, 0u);
    DdeConversationId stale = id;
    client_.DdeClientExecute(stale, "{SEND(late)}");
    EXPECT_EQ(stale, 0u);
    EXPECT_EQ(peer.commands.size(), 3u);
}

TEST_F(DdeClientDbus, ConnectFailsWhenNobodyServesTheTopicAndMatchesNamesIgnoringCase) {
    EXPECT_EQ(client_.DdeClientConnect("Excel", "System"), 0u);
    EXPECT_EQ(client_.DdeClientConnect("", ""), 0u);
    EXPECT_EQ(client_.DdeClientConnect("Quorvane", std::string(300, 'x')), 0u);

    Peer peer("Lab 2");
    ASSERT_EQ(peer.status.result, DdeServeResult::Serving);
    DdeConversationId conversation = client_.DdeClientConnect("QUORVANE", "lab 2");
    ASSERT_NE(conversation, 0u);
    client_.DdeClientExecute(conversation, "{BEEP}");
    EXPECT_EQ(peer.commands, std::vector<std::string>{"{BEEP}"});
}

TEST_F(DdeClientDbus, AnExecuteWaitsAtMostOneSecondForAPeerThatNeverAnswers) {
    QDBusConnection silentBus = ProbeConnection(QStringLiteral("silent-peer"));
    SilentObject silent;
    ASSERT_TRUE(silentBus.registerVirtualObject(QStringLiteral("/org/quorvane/Dde"), &silent));
    ASSERT_TRUE(silentBus.registerService(QStringLiteral("Quorvane.Silent")));

    DdeConversationId conversation = client_.DdeClientConnect("Quorvane", "Silent");
    ASSERT_NE(conversation, 0u);
    QElapsedTimer clock;
    clock.start();
    client_.DdeClientExecute(conversation, "{SUSPEND}");
    const qint64 waited = clock.elapsed();
    EXPECT_EQ(silent.calls, 1);
    EXPECT_GE(waited, 900);
    EXPECT_LT(waited, 2500);                     // bounded; the slack is for a loaded machine
    EXPECT_EQ(conversation, client_.Current());  // a time-out does not end it either
    silentBus.unregisterService(QStringLiteral("Quorvane.Silent"));
    silentBus.unregisterObject(QStringLiteral("/org/quorvane/Dde"));
}

TEST_F(DdeClientDbus, ThePeerGoingAwayClearsTheConversationAndTheNextRecordReconnects) {
    auto peer = std::make_unique<Peer>();
    ASSERT_EQ(peer->status.result, DdeServeResult::Serving);
    flags_.DdeConversation = client_.DdeClientConnect("Quorvane", "Peer");
    ASSERT_NE(flags_.DdeConversation, 0u);
    client_.DdeClientExecute(flags_.DdeConversation, "{A}");
    EXPECT_EQ(peer->commands, std::vector<std::string>{"{A}"});

    peer->server.Release();  // what {APPEXIT} does before the program quits
    EXPECT_TRUE(SpinUntil([&] { return flags_.DdeConversation == 0; }));
    EXPECT_EQ(client_.Current(), 0u);

    // The next record finds no conversation and connects to whoever serves the topic now.
    Peer successor;
    ASSERT_EQ(successor.status.result, DdeServeResult::Serving);
    ASSERT_EQ(flags_.DdeConversation, 0u);
    flags_.DdeConversation = client_.DdeClientConnect("Quorvane", "Peer");
    ASSERT_NE(flags_.DdeConversation, 0u);
    client_.DdeClientExecute(flags_.DdeConversation, "{B}");
    EXPECT_EQ(successor.commands, std::vector<std::string>{"{B}"});
    EXPECT_EQ(peer->commands, std::vector<std::string>{"{A}"});
}

TEST_F(DdeClientDbus, AConversationIsBoundToTheOwnerFoundAtConnect) {
    auto peer = std::make_unique<Peer>();
    ASSERT_EQ(peer->status.result, DdeServeResult::Serving);
    DbusDdeClient client;  // nobody clears the handle between records
    DdeConversationId conversation = client.DdeClientConnect("Quorvane", "Peer");
    ASSERT_NE(conversation, 0u);
    const QString firstOwner = client.PeerUniqueName();
    peer.reset();
    Peer successor;
    ASSERT_EQ(successor.status.result, DdeServeResult::Serving);
    ASSERT_TRUE(SpinUntil([&] { return client.Current() == 0; }));

    // The old handle reaches neither the new owner nor anyone else; it is cleared.
    client.DdeClientExecute(conversation, "{C}");
    EXPECT_EQ(conversation, 0u);
    EXPECT_TRUE(successor.commands.empty());
    conversation = client.DdeClientConnect("Quorvane", "Peer");
    EXPECT_NE(client.PeerUniqueName(), firstOwner);
}

}  // namespace
}  // namespace quorvane
