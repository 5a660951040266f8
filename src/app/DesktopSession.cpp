#include "app/DesktopSession.h"

#include "delivery/DdeBusMessages.h"
#include "platform/linux/SessionBus.h"
#include "strings/StringIds.h"
#include "strings/StringTable.h"

namespace quorvane {

namespace {
constexpr int kPollIntervalMs = 50;
}  // namespace

// The members that are handed to each other before they are built (commandHost_ to the hot
// keys, interpreter_ and session_ to the D-Bus side) are only reached once bytes, commands or
// keys arrive, which is after the constructor.
DesktopSession::DesktopSession(SetupGlobals& g, RuntimeView& view, Messages& messages,
                               const LocaleInfo& locale, PortDeviceMap devices,
                               VirtualDevice* virtualDevice)
    : messages_(messages),
      devices_(std::move(devices)),
      port_([this](const std::string& name) { return devices_.DevicePathFor(name); }),
      desktop_(g, messages, clock_, settings_, commandHost_),
      bus_(SessionBusAvailable()),
      ddeClient_([this](DdeConversationId id) { session_.DeliveryConversationEnded(id); }),
      links_(
          g, linkClient_, messages, &clipboard_,
          [this](const std::string& text) { return interpreter_.Execute(text); },
          [this](DdeLinkKind kind) {
              if (kind == DdeLinkKind::Command)
                  session_.RequestCommandLink();
              else
                  session_.RequestBufferLink();
          }),
      linksMenu_(links_),
      busHooks_(ddeServer_, messages, &links_,
                [this](const std::string& command) { return interpreter_.Execute(command); }),
      session_(RuntimeServices{g, port_, clock_, messages, locale, desktop_.Keys(),
                               bus_ ? static_cast<DdeClient&>(ddeClient_) : noDdeClient_, log_,
                               settings_, bus_ ? static_cast<DdeHooks&>(busHooks_) : noDdeHooks_,
                               desktop_.Hooks(), virtualDevice},
               view),
      commandHost_(session_, g, port_, messages, &linksMenu_, links_.UsableClipboard()),
      interpreter_(g, commandHost_, messages, clock_, locale) {}

DesktopSession::~DesktopSession() {
    if (!mqtt_) return;
    session_.SetRecordListener(nullptr);
    mqtt_->Stop();
}

bool DesktopSession::StartMqtt(const MqttSettings& settings, std::vector<std::string>& problems) {
    if (mqtt_) return true;
    mqtt_ = MqttPublisher::Create(
        settings, session_.ServedTopic(), messages_,
        [this](const std::string& command) { return interpreter_.Execute(command); }, problems);
    if (!mqtt_) return false;
    session_.SetRecordListener(mqtt_.get());
    mqtt_->Start();
    return true;
}

void DesktopSession::Activate() {
    if (!bus_ && !noBusShown_) {
        noBusShown_ = true;
        messages_.Show(DdeNoBusText(), LoadString(kStrQuorvaneTitle), MessageButtons::Ok,
                       MessageIcon::Exclamation);
    }
    session_.Activate();
}

void DesktopSession::StartPolling(std::function<void()> afterTick) {
    afterTick_ = std::move(afterTick);
    if (!pollTimer_.isActive()) {
        pollTimer_.setInterval(kPollIntervalMs);
        QObject::connect(&pollTimer_, &QTimer::timeout, [this] {
            session_.PollTick();
            if (afterTick_) afterTick_();
        });
    }
    pollTimer_.start();
}

void DesktopSession::StopPolling() {
    pollTimer_.stop();
    pollTimer_.disconnect();
}

}  // namespace quorvane
