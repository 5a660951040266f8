#include "platform/linux/MosquittoClient.h"

#include <mosquitto.h>
#include <netdb.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>
#include <thread>
#include <utility>

namespace quorvane {
namespace {

std::string LibraryError(int rc) {
    if (rc == MOSQ_ERR_ERRNO) return std::strerror(errno);
    return mosquitto_strerror(rc);
}

// The library says only "Lookup error." of a host name it could not look up; the resolver's
// own reason ("Name or service not known") is asked again for the message.
std::string ConnectError(int rc, const std::string& host) {
    if (rc != MOSQ_ERR_EAI) return LibraryError(rc);
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int lookup = ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
    if (found) ::freeaddrinfo(found);
    if (lookup == 0 || lookup == EAI_SYSTEM) return LibraryError(rc);
    return host + ": " + ::gai_strerror(lookup);
}

MqttStatus Failed(int rc) {
    return {false, LibraryError(rc)};
}

// mosquitto_lib_init once for the program; the library keeps no state worth cleaning up
// at exit.
void InitLibrary() {
    static const bool done = [] {
        mosquitto_lib_init();
        return true;
    }();
    (void)done;
}

}  // namespace

MosquittoClient::MosquittoClient(QObject* parent) : QObject(parent) {
    InitLibrary();
    misc_.setInterval(1000);
    connect(&misc_, &QTimer::timeout, this, &MosquittoClient::Housekeeping);
}

MosquittoClient::~MosquittoClient() {
    listener_ = nullptr;
    Close();
}

MqttStatus MosquittoClient::Connect(const MqttConnectOptions& options) {
    Close();
    events_.clear();
    lostReported_ = false;
    ++generation_;
    // clean session: what the broker never confirmed is the station's to send again. No
    // user data until the instance is back from the connect thread: a callback raised there
    // must not reach this object.
    mosq_ = mosquitto_new(options.clientId.c_str(), true, nullptr);
    if (!mosq_) return {false, std::strerror(errno)};
    mosquitto_connect_callback_set(mosq_, &MosquittoClient::OnConnect);
    mosquitto_disconnect_callback_set(mosq_, &MosquittoClient::OnDisconnect);
    mosquitto_publish_callback_set(mosq_, &MosquittoClient::OnPublish);
    mosquitto_message_callback_set(mosq_, &MosquittoClient::OnMessage);
    // A record goes out as soon as it is published: without this a small message waits for
    // the broker's delayed acknowledgement of the one before (up to 40 ms on Linux).
    int rc = mosquitto_int_option(mosq_, MOSQ_OPT_TCP_NODELAY, 1);
    if (rc == MOSQ_ERR_SUCCESS && !options.userName.empty()) {
        rc = mosquitto_username_pw_set(
            mosq_, options.userName.c_str(),
            options.password.empty() ? nullptr : options.password.c_str());
    }
    if (rc == MOSQ_ERR_SUCCESS && !options.will.topic.empty()) {
        rc = mosquitto_will_set(mosq_, options.will.topic.c_str(),
                                static_cast<int>(options.will.payload.size()),
                                options.will.payload.data(), options.will.qos, options.will.retain);
    }
    if (rc == MOSQ_ERR_SUCCESS && options.tls) {
        // Without a file of its own, the system's certificate authorities, found as OpenSSL
        // finds them (SSL_CERT_FILE and SSL_CERT_DIR are heeded).
        rc = options.caFile.empty() ? mosquitto_int_option(mosq_, MOSQ_OPT_TLS_USE_OS_CERTS, 1)
                                    : mosquitto_tls_set(mosq_, options.caFile.c_str(), nullptr,
                                                        nullptr, nullptr, nullptr);
    }
    if (rc != MOSQ_ERR_SUCCESS) {
        const MqttStatus status = Failed(rc);
        Close();
        return status;
    }
    // Told it is driven by another thread, the library only queues the CONNECT packet inside
    // the connect call; the event loop writes it once the instance is back. A connect given up
    // meanwhile has sent nothing: the broker never sees its client id, which would push the
    // live connection of the same id off and publish the will.
    mosquitto_threaded_set(mosq_, true);
    auto pending = std::make_shared<PendingConnect>();
    pending->mosq = std::exchange(mosq_, nullptr);
    pending_ = pending;
    std::thread([this, pending, host = options.host, port = options.port,
                 keepAlive = options.keepAliveSeconds] {
        const int rc = mosquitto_connect_async(pending->mosq, host.c_str(), port, keepAlive);
        const std::string error = rc == MOSQ_ERR_SUCCESS ? std::string() : ConnectError(rc, host);
        const std::lock_guard lock(pending->mutex);
        if (pending->abandoned) {
            mosquitto_destroy(pending->mosq);
            return;
        }
        pending->done = true;
        pending->rc = rc;
        pending->error = error;
        // Queued to this object: dropped with it, and then Abandon destroys the instance.
        QMetaObject::invokeMethod(
            this, [this, pending] { ConnectReturned(pending); }, Qt::QueuedConnection);
    }).detach();
    return {};
}

void MosquittoClient::ConnectReturned(const std::shared_ptr<PendingConnect>& pending) {
    {
        const std::lock_guard lock(pending->mutex);
        if (pending->abandoned) return;
        pending->abandoned = true;  // taken: nobody else destroys it
    }
    pending_.reset();
    mosq_ = pending->mosq;
    if (pending->rc != MOSQ_ERR_SUCCESS) {
        Close();
        if (listener_) listener_->MqttDisconnected(pending->error);
        return;
    }
    mosquitto_threaded_set(mosq_, false);
    mosquitto_user_data_set(mosq_, this);
    WatchSocket();
    misc_.start();
}

void MosquittoClient::AbandonPending() {
    if (!pending_) return;
    {
        const std::lock_guard lock(pending_->mutex);
        if (pending_->done && !pending_->abandoned) mosquitto_destroy(pending_->mosq);
        pending_->abandoned = true;
    }
    pending_.reset();
}

void MosquittoClient::Disconnect() {
    if (mosq_) {
        mosquitto_disconnect(mosq_);
        // The DISCONNECT packet may still wait in the library; it goes if the socket takes it.
        mosquitto_loop_write(mosq_, 1);
    }
    Close();
    events_.clear();
    ++generation_;
}

MqttStatus MosquittoClient::Publish(const std::string& topic, std::string_view payload, int qos,
                                    bool retain, int& messageId) {
    messageId = 0;
    if (!mosq_) return Failed(MOSQ_ERR_NO_CONN);
    const int rc = mosquitto_publish(mosq_, &messageId, topic.c_str(),
                                     static_cast<int>(payload.size()), payload.data(), qos, retain);
    UpdateWriteWatch();
    if (rc != MOSQ_ERR_SUCCESS) return Failed(rc);
    return {};
}

MqttStatus MosquittoClient::Subscribe(const std::string& topic, int qos) {
    if (!mosq_) return Failed(MOSQ_ERR_NO_CONN);
    const int rc = mosquitto_subscribe(mosq_, nullptr, topic.c_str(), qos);
    UpdateWriteWatch();
    if (rc != MOSQ_ERR_SUCCESS) return Failed(rc);
    return {};
}

void MosquittoClient::OnConnect(mosquitto*, void* self, int rc) {
    auto* client = static_cast<MosquittoClient*>(self);
    if (!client) return;
    if (rc == 0) {
        client->events_.push_back({Event::Connected, 0, {}, {}});
    } else if (!client->lostReported_) {
        client->lostReported_ = true;
        client->events_.push_back({Event::Refused, rc, {}, {}});
    }
}

void MosquittoClient::OnDisconnect(mosquitto*, void* self, int rc) {
    auto* client = static_cast<MosquittoClient*>(self);
    if (!client) return;
    if (client->lostReported_) return;
    client->lostReported_ = true;
    client->events_.push_back({Event::Lost, rc, {}, {}});
}

void MosquittoClient::OnPublish(mosquitto*, void* self, int mid) {
    if (self)
        static_cast<MosquittoClient*>(self)->events_.push_back({Event::Published, mid, {}, {}});
}

void MosquittoClient::OnMessage(mosquitto*, void* self, const mosquitto_message* message) {
    auto* client = static_cast<MosquittoClient*>(self);
    if (!client) return;
    Event event{Event::Message, 0, message->topic ? message->topic : "", {}};
    if (message->payload && message->payloadlen > 0)
        event.payload.assign(static_cast<const char*>(message->payload),
                             static_cast<size_t>(message->payloadlen));
    client->events_.push_back(std::move(event));
}

void MosquittoClient::ReadReady() {
    if (mosq_) AfterLoop(mosquitto_loop_read(mosq_, 1));
}

void MosquittoClient::WriteReady() {
    if (mosq_) AfterLoop(mosquitto_loop_write(mosq_, 1));
}

void MosquittoClient::Housekeeping() {
    if (mosq_) AfterLoop(mosquitto_loop_misc(mosq_));
}

void MosquittoClient::AfterLoop(int rc) {
    if (rc != MOSQ_ERR_SUCCESS) {
        if (!lostReported_) {
            lostReported_ = true;
            events_.push_back({Event::Lost, rc, {}, {}});
        }
    }
    if (lostReported_) {
        Close();
    } else {
        // A connect in progress may have given the library a new socket.
        if (!readNotifier_ || readNotifier_->socket() != mosquitto_socket(mosq_)) WatchSocket();
        UpdateWriteWatch();
    }
    Dispatch();
}

void MosquittoClient::WatchSocket() {
    readNotifier_.reset();
    writeNotifier_.reset();
    const int fd = mosq_ ? mosquitto_socket(mosq_) : -1;
    if (fd < 0) return;
    readNotifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(readNotifier_.get(), &QSocketNotifier::activated, this, &MosquittoClient::ReadReady);
    writeNotifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
    connect(writeNotifier_.get(), &QSocketNotifier::activated, this, &MosquittoClient::WriteReady);
    UpdateWriteWatch();
}

void MosquittoClient::UpdateWriteWatch() {
    if (writeNotifier_ && mosq_) writeNotifier_->setEnabled(mosquitto_want_write(mosq_));
}

void MosquittoClient::Close() {
    AbandonPending();
    misc_.stop();
    readNotifier_.reset();
    writeNotifier_.reset();
    if (mosq_) {
        mosquitto_destroy(mosq_);
        mosq_ = nullptr;
    }
}

void MosquittoClient::Dispatch() {
    // A listener that connects again from a callback starts a new list; the rest of the old
    // one belongs to a connection that is gone.
    if (dispatching_) return;
    dispatching_ = true;
    std::vector<Event> events;
    events.swap(events_);
    const uint64_t generation = generation_;
    for (const Event& event : events) {
        if (!listener_ || generation != generation_) break;
        switch (event.kind) {
            case Event::Connected:
                listener_->MqttConnected();
                break;
            case Event::Refused:
                listener_->MqttDisconnected(mosquitto_connack_string(event.number));
                break;
            case Event::Lost:
                listener_->MqttDisconnected(event.number == 0 ? "disconnected"
                                                              : LibraryError(event.number));
                break;
            case Event::Published:
                listener_->MqttPublished(event.number);
                break;
            case Event::Message:
                listener_->MqttMessageArrived(event.topic, event.payload);
                break;
        }
    }
    dispatching_ = false;
}

}  // namespace quorvane
