// The two DDE links on a private bus, against a peer that is a real DDE server in this
// process: the current value on establish, every change after it, names and items in any
// letter case, the missing server, and the peer going away.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "delivery/DbusTestBus.h"
#include "delivery/DdeServerItems.h"
#include "fakes/FakeMessages.h"
#include "platform/linux/DbusDdeLink.h"
#include "platform/linux/DbusDdeServer.h"
#include "runtime/DdeLinks.h"

namespace quorvane {
namespace {

using namespace dbustest;
using Texts = std::vector<std::string>;

// Another program serving topic Peer with three fields.
struct Peer {
    Peer() {
        items.SetListener(&server);
        items.SetFieldCount(3);
        server.SetItemSource(&items);
        status = server.Serve("Peer");
    }
    DdeServerItems items;
    DbusDdeServer server;
    DdeServeStatus status;
};

class DdeLinksDbus : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(EnsurePrivateBus().empty()) << "dbus-daemon did not start";
        g_.StripCrLfFromBuffer = kTrue;
    }
    void LinkCommand(const std::string& topic, const std::string& item) {
        g_.CommandLinkApp = "Quorvane";
        g_.CommandLinkTopic = topic;
        g_.CommandLinkItem = item;
        links_.EstablishCommandLink();
    }
    void LinkBuffer(const std::string& topic, const std::string& item) {
        g_.BufferLinkApp = "Quorvane";
        g_.BufferLinkTopic = topic;
        g_.BufferLinkItem = item;
        links_.EstablishBufferLink();
    }

    SetupGlobals g_;
    DbusDdeLink client_;
    FakeMessages messages_;
    Texts commands_;
    DdeLinks links_{g_, client_, messages_, nullptr, [this](const std::string& text) {
                        commands_.push_back(text);
                        return true;
                    }};
};

TEST_F(DdeLinksDbus, CurrentValueFirstThenEveryChangeOfTheItem) {
    Peer peer;
    ASSERT_EQ(peer.status.result, DdeServeResult::Serving);
    peer.items.SetField(1, "{SEND(\xE9)}");
    LinkCommand("Peer", "Field(1)");
    ASSERT_EQ(links_.Mode(DdeLinkKind::Command), DdeLinkMode::Automatic);
    EXPECT_TRUE(commands_.empty());  // the answer comes later, never inside the establish
    ASSERT_TRUE(SpinUntil([&] { return commands_.size() == 1; }));
    EXPECT_EQ(commands_[0], "{SEND(\xE9)}");

    LinkBuffer("Peer", "field(2)");  // item names in any letter case
    peer.items.SetField(1, "{BEEP}");
    peer.items.SetField(1, "{BEEP}");  // a repeat is a change too
    peer.items.SetField(2, "AB\r\n");
    peer.items.SetField(3, "{NOT FOR US}");
    ASSERT_TRUE(SpinUntil([&] { return g_.OutputQueue == "AB"; })) << g_.OutputQueue;
    EXPECT_EQ(commands_, (Texts{"{SEND(\xE9)}", "{BEEP}", "{BEEP}"}));
    EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(DdeLinksDbus, BusNameIsFoundIgnoringLetterCase) {
    Peer peer;
    peer.items.SetField(2, "x");
    LinkBuffer("PEER", "Field(2)");
    ASSERT_EQ(links_.Mode(DdeLinkKind::Buffer), DdeLinkMode::Automatic);
    EXPECT_TRUE(SpinUntil([&] { return g_.OutputQueue == "x"; }));
}

TEST_F(DdeLinksDbus, MissingServerFailsAtOnceWithTheMessage) {
    LinkCommand("Nobody", "Field(1)");
    EXPECT_EQ(links_.Mode(DdeLinkKind::Command), DdeLinkMode::None);
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].text,
              "Cannot Establish DDE Command Link With: Quorvane,Nobody,Field(1)");
    EXPECT_EQ(client_.ActiveLinks(), 0u);
}

TEST_F(DdeLinksDbus, ItemThePeerDoesNotServeFailsTheEstablishWithTheMessage) {
    Peer peer;
    LinkCommand("Peer", "Field(9)");
    LinkBuffer("Peer", "Nothing");
    EXPECT_TRUE(SpinUntil([&] {
        return links_.Mode(DdeLinkKind::Command) == DdeLinkMode::None &&
               links_.Mode(DdeLinkKind::Buffer) == DdeLinkMode::None;
    }));
    ASSERT_EQ(messages_.shown.size(), 2u);
    EXPECT_EQ(messages_.shown[0].text,
              "Cannot Establish DDE Command Link With: Quorvane,Peer,Field(9)");
    EXPECT_EQ(messages_.shown[1].text,
              "Cannot Establish DDE Output Buffer Link With: Quorvane,Peer,Nothing");
    EXPECT_EQ(client_.ActiveLinks(), 0u);
}

TEST_F(DdeLinksDbus, TerminatedLinkHearsNothingMore) {
    Peer peer;
    LinkCommand("Peer", "Field(1)");
    LinkBuffer("Peer", "Field(2)");
    links_.Terminate(DdeLinkKind::Command);
    EXPECT_EQ(client_.ActiveLinks(), 1u);
    peer.items.SetField(1, "{BEEP}");
    peer.items.SetField(2, "done");  // sent after the first: it arrives after it too
    ASSERT_TRUE(SpinUntil([&] { return g_.OutputQueue == "done"; }));
    EXPECT_TRUE(commands_.empty());
}

TEST_F(DdeLinksDbus, PeerGoingAwayEndsTheCommandLinkOnly) {
    auto peer = std::make_unique<Peer>();
    peer->items.SetField(1, "{BEEP}");
    peer->items.SetField(2, "v");
    LinkCommand("Peer", "Field(1)");
    LinkBuffer("Peer", "Field(2)");
    // Both current values first: the peer then has no question of ours left to answer.
    ASSERT_TRUE(SpinUntil([&] { return commands_.size() == 1 && g_.OutputQueue == "v"; }));
    g_.OutputQueue.clear();
    peer.reset();
    ASSERT_TRUE(SpinUntil([&] { return links_.Mode(DdeLinkKind::Command) == DdeLinkMode::None; }));
    EXPECT_EQ(links_.Mode(DdeLinkKind::Buffer), DdeLinkMode::Automatic);

    // The buffer link carries on once the topic is served again.
    Peer again;
    ASSERT_EQ(again.status.result, DdeServeResult::Serving);
    ASSERT_TRUE(SpinUntil([&] {
        again.items.SetField(2, "back");
        return !g_.OutputQueue.empty();
    }));
    EXPECT_EQ(g_.OutputQueue.substr(0, 4), "back");
    EXPECT_EQ(commands_, Texts{"{BEEP}"});
}

}  // namespace
}  // namespace quorvane
