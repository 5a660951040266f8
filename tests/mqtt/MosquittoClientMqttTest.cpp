// The libmosquitto client in this process against a broker of the test's own: the connect
// call (the host name's lookup among it) runs off the event loop, its outcome arrives from
// the event loop, and a connect given up for another, or with the client, is never heard of.
#include "platform/linux/MosquittoClient.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "config/ConfigTestSupport.h"
#include "e2e/ChildProcess.h"
#include "mqtt/LocalBroker.h"

namespace quorvane {
namespace {

using namespace std::chrono_literals;

struct Heard : MqttClientListener {
    void MqttConnected() override { events.push_back("connected"); }
    void MqttDisconnected(const std::string& reason) override {
        events.push_back("disconnected: " + reason);
    }
    void MqttPublished(int messageId) override {
        events.push_back("published " + std::to_string(messageId));
    }
    void MqttMessageArrived(const std::string& topic, const std::string&) override {
        events.push_back("message " + topic);
    }
    std::vector<std::string> events;
};

class MosquittoClientMqtt : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "quorvane_mqtt_tests";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
    }
    MosquittoClientMqtt() {
        testing::WriteBytes(
            folder.File("broker.conf"),
            "listener " + std::to_string(port) + " 127.0.0.1\n" + "allow_anonymous true\n");
    }
    ~MosquittoClientMqtt() override { broker.Signal(SIGKILL); }

    bool StartBroker() {
        return broker.Start({"/usr/sbin/mosquitto", "-c", folder.File("broker.conf")},
                            folder.File("broker.err"), folder.File("broker.out")) &&
               testing::WaitUntilAccepts(port, e2e::In(20s));
    }
    MqttConnectOptions To(const std::string& host) const {
        MqttConnectOptions options;
        options.host = host;
        options.port = port;
        options.clientId = "quorvane-client-test";
        return options;
    }
    // Runs the event loop until done() holds or the limit has passed.
    static bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 20s) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return true;
    }

    testing::ScratchFolder folder;
    const uint16_t port = testing::FreePort();
    e2e::ChildProcess broker;
};

TEST_F(MosquittoClientMqtt, ConnectsByNameAndHearsOnlyFromTheEventLoop) {
    ASSERT_TRUE(StartBroker());
    MosquittoClient client;
    Heard heard;
    client.SetListener(&heard);
    ASSERT_TRUE(client.Connect(To("localhost")).ok);
    EXPECT_TRUE(heard.events.empty()) << "an outcome before the event loop ran";
    ASSERT_TRUE(RunUntil([&] { return !heard.events.empty(); }));
    ASSERT_EQ(heard.events, std::vector<std::string>{"connected"});
    int id = 0;
    ASSERT_TRUE(client.Publish("quorvane/test/record", "{}", 1, false, id).ok);
    ASSERT_TRUE(RunUntil([&] { return heard.events.size() == 2; }));
    EXPECT_EQ(heard.events[1], "published " + std::to_string(id));
}

TEST_F(MosquittoClientMqtt, AHostThatDoesNotResolveIsSaidThroughTheListenerOnce) {
    MosquittoClient client;
    Heard heard;
    client.SetListener(&heard);
    ASSERT_TRUE(client.Connect(To("no-such-broker.invalid")).ok);
    ASSERT_TRUE(RunUntil([&] { return !heard.events.empty(); }));
    RunUntil([] { return false; }, 300ms);
    ASSERT_EQ(heard.events.size(), 1u);
    // The resolver's reason, not the library's bare "Lookup error.".
    EXPECT_EQ(heard.events[0].rfind("disconnected: no-such-broker.invalid: ", 0), 0u)
        << heard.events[0];
    int id = 0;
    EXPECT_FALSE(client.Publish("quorvane/test/record", "{}", 1, false, id).ok);
}

TEST_F(MosquittoClientMqtt, AConnectGivenUpIsNeverHeardOf) {
    ASSERT_TRUE(StartBroker());
    Heard heard;
    {
        // Gone with its client while the connect call may still run: nothing reaches anyone,
        // not even the broker, which would otherwise publish its (retained) will.
        MosquittoClient gone;
        gone.SetListener(&heard);
        MqttConnectOptions options = To("localhost");
        options.will = {"quorvane/test/will", "offline", 1, true};
        ASSERT_TRUE(gone.Connect(options).ok);
    }
    MosquittoClient client;
    client.SetListener(&heard);
    ASSERT_TRUE(client.Connect(To("no-such-broker.invalid")).ok);
    ASSERT_TRUE(client.Connect(To("localhost")).ok);
    ASSERT_TRUE(RunUntil([&] { return !heard.events.empty(); }));
    RunUntil([] { return false; }, 300ms);
    EXPECT_EQ(heard.events, std::vector<std::string>{"connected"});
    ASSERT_TRUE(client.Subscribe("quorvane/test/#", 1).ok);
    int id = 0;
    ASSERT_TRUE(client.Publish("quorvane/test/probe", "probe", 1, false, id).ok);
    ASSERT_TRUE(RunUntil([&] {
        return std::find(heard.events.begin(), heard.events.end(), "message quorvane/test/probe") !=
               heard.events.end();
    }));
    EXPECT_EQ(std::find(heard.events.begin(), heard.events.end(), "message quorvane/test/will"),
              heard.events.end())
        << "the given-up connect reached the broker";
    // Disconnected while connecting: no event either.
    heard.events.clear();
    ASSERT_TRUE(client.Connect(To("localhost")).ok);
    client.Disconnect();
    RunUntil([] { return false; }, 300ms);
    EXPECT_TRUE(heard.events.empty());
}

}  // namespace
}  // namespace quorvane
