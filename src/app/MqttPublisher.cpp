#include "app/MqttPublisher.h"

#include <QDateTime>
#include <QSysInfo>

#include <cstdlib>
#include <iostream>

#include "config/SetupGlobals.h"
#include "mqtt/MqttQueueFile.h"
#include "mqtt/MqttTopic.h"
#include "platform/linux/MqttPasswordFile.h"
#include "platform/linux/QtSettingsStore.h"
#include "strings/StringIds.h"
#include "strings/StringTable.h"

namespace quorvane {

namespace {

// The station looks for a due reconnect this often; the client does its own timing.
constexpr int kStationTickMs = 250;

MqttRecordTime LocalTimeNow() {
    const QDateTime now = QDateTime::currentDateTime();
    const QDate date = now.date();
    const QTime time = now.time();
    MqttRecordTime out;
    out.local = {date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second()};
    out.utcOffsetMinutes = now.offsetFromUtc() / 60;
    return out;
}

void SayAll(Messages& messages, const std::vector<std::string>& texts) {
    for (const std::string& text : texts)
        messages.Show(text, LoadString(kStrQuorvaneTitle), MessageButtons::Ok,
                      MessageIcon::Exclamation);
}

}  // namespace

MqttSettingsResult ResolveMqttSettingsOfRun(const MqttOptions& options) {
    QtSettingsStore store;
    return ResolveMqttSettings(store, options, QSysInfo::machineHostName().toStdString());
}

bool PrintMqttSettingsErrors(const MqttSettingsResult& settings) {
    for (const MqttSettingsProblem& problem : settings.errors)
        std::cerr << "quorvane: " << problem.text << "\n";
    return !settings.errors.empty();
}

std::unique_ptr<MqttPublisher> MqttPublisher::Create(const MqttSettings& settings,
                                                     const std::string& topic, Messages& messages,
                                                     MqttCommandHandler commands,
                                                     std::vector<std::string>& problems) {
    problems.clear();
    MqttSettingsProblem problem;
    const std::optional<MqttTopics> topics = MakeMqttTopics(settings.station, topic, problem);
    if (!topics) {
        problems.push_back(problem.text);
        return nullptr;
    }
    MqttConnectOptions connect;
    connect.host = settings.broker.host;
    connect.port = settings.broker.port;
    connect.tls = settings.broker.tls;
    connect.caFile = settings.caFile;
    connect.clientId = settings.clientId.empty() ? DefaultMqttClientId(settings.station, topic)
                                                 : settings.clientId;
    connect.userName = settings.userName;
    connect.keepAliveSeconds = settings.keepAliveSeconds;
    if (!settings.passwordFile.empty()) {
        const MqttPasswordRead read = ReadMqttPasswordFile(settings.passwordFile);
        SayAll(messages, read.warnings);
        if (!read.ok) {
            problems.push_back(read.error);
            return nullptr;
        }
        connect.password = read.password;
    }

    const char* state = std::getenv("XDG_STATE_HOME");
    const std::string path = MqttQueuePath(state ? state : "", HomeDirectory(), topic);
    auto store = std::make_unique<DiskRecordQueue>(path);
    const DiskQueueOpen opened = store->Open();
    if (opened.kind == DiskQueueOpen::InUse) {
        problems.push_back(MqttQueueInUseMessage(path));
        return nullptr;
    }
    if (opened.kind == DiskQueueOpen::Failed) {
        problems.push_back(MqttQueueUnavailableMessage(path, opened.error));
        return nullptr;
    }

    std::unique_ptr<MqttPublisher> publisher(new MqttPublisher(settings, topic, std::move(store)));
    publisher->queue_ = std::make_unique<RecordQueue>(*publisher->store_, settings.queueLimit);
    SayAll(messages, MqttQueueOpenMessages(publisher->queue_->Open(), path, settings.queueLimit));

    MqttStationSetup setup;
    setup.connect = std::move(connect);
    setup.topics = *topics;
    setup.brokerShown = settings.url;
    setup.queuePath = path;
    setup.commands = settings.commands;
    publisher->station_ =
        std::make_unique<MqttStation>(publisher->client_, *publisher->queue_, publisher->clock_,
                                      messages, std::move(setup), std::move(commands));
    return publisher;
}

MqttPublisher::MqttPublisher(const MqttSettings& settings, std::string topic,
                             std::unique_ptr<DiskRecordQueue> store)
    : settings_(settings), topic_(std::move(topic)), store_(std::move(store)) {
    tick_.setInterval(kStationTickMs);
    QObject::connect(&tick_, &QTimer::timeout, [this] { station_->Tick(); });
    // Runs when the event loop is back, after the poll tick that delivered the records.
    flush_.setSingleShot(true);
    flush_.setInterval(0);
    QObject::connect(&flush_, &QTimer::timeout, [this] { station_->Flush(); });
}

MqttPublisher::~MqttPublisher() {
    tick_.stop();
    flush_.stop();
    // The station goes before the client it listens to.
    station_.reset();
}

void MqttPublisher::Start() {
    station_->Start();
    tick_.start();
}

void MqttPublisher::Stop() {
    tick_.stop();
    flush_.stop();
    station_->Stop();
}

void MqttPublisher::RecordDelivered(const DeliveredRecord& delivered) {
    MqttRecord record;
    record.station = settings_.station;
    record.topic = topic_;
    record.number = delivered.number;
    record.ended = LocalTimeNow();
    record.fields = delivered.fields;
    station_->Deliver(record);
    if (!flush_.isActive()) flush_.start();
}

}  // namespace quorvane
