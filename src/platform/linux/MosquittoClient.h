// The MQTT client over libmosquitto, driven from the Qt event loop: a socket notifier reads
// whenever the broker sends, a second one writes while the library has bytes waiting, and a
// one-second timer runs the library's keep-alive and retry work. No call waits on the
// network: the library looks the broker's host name up and opens the socket inside its
// connect call, so that call runs on a thread of its own, and the instance comes back to the
// event loop when it returns (a slow name server holds up the connection, never the poll
// tick). Until then nothing else touches the instance.
//
// Each Connect makes a new libmosquitto instance, so that messages of an old connection are
// never resent by the library behind the station's back. Events raised inside a library
// call are handed to the listener after the call returns, so a listener may connect again
// or publish from its callbacks.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/MqttClient.h"

struct mosquitto;
struct mosquitto_message;

namespace quorvane {

class MosquittoClient final : public QObject, public MqttClient {
    Q_OBJECT
  public:
    explicit MosquittoClient(QObject* parent = nullptr);
    ~MosquittoClient() override;

    void SetListener(MqttClientListener* listener) override { listener_ = listener; }
    MqttStatus Connect(const MqttConnectOptions& options) override;
    void Disconnect() override;
    MqttStatus Publish(const std::string& topic, std::string_view payload, int qos, bool retain,
                       int& messageId) override;
    MqttStatus Subscribe(const std::string& topic, int qos) override;

  private:
    struct Event {
        enum Kind { Connected, Refused, Lost, Published, Message } kind;
        int number = 0;  // Published: the message id; Refused/Lost: the library's code
        std::string topic, payload;
    };

    // A connect call running on its own thread. Whoever comes last destroys the instance of
    // a connect the client no longer waits for: the thread, or Abandon once it is done.
    struct PendingConnect {
        std::mutex mutex;
        mosquitto* mosq = nullptr;
        bool done = false;       // the call returned and its outcome is on its way
        bool abandoned = false;  // the client went on without it
        int rc = 0;
        std::string error;  // the call's reason when rc is not success
    };

    void ConnectReturned(const std::shared_ptr<PendingConnect>& pending);
    void AbandonPending();

    static void OnConnect(mosquitto*, void* self, int rc);
    static void OnDisconnect(mosquitto*, void* self, int rc);
    static void OnPublish(mosquitto*, void* self, int mid);
    static void OnMessage(mosquitto*, void* self, const mosquitto_message* message);

    void ReadReady();
    void WriteReady();
    void Housekeeping();
    // After a library call: a failure ends the connection; then the events go out.
    void AfterLoop(int rc);
    void WatchSocket();
    void UpdateWriteWatch();
    void Close();
    void Dispatch();

    MqttClientListener* listener_ = nullptr;
    mosquitto* mosq_ = nullptr;
    std::shared_ptr<PendingConnect> pending_;
    std::unique_ptr<QSocketNotifier> readNotifier_;
    std::unique_ptr<QSocketNotifier> writeNotifier_;
    QTimer misc_;
    std::vector<Event> events_;
    bool lostReported_ = false;  // the end of this connection is in events_ already
    bool dispatching_ = false;
    uint64_t generation_ = 0;  // counts connections, so a callback that reconnects ends a dispatch
};

}  // namespace quorvane
