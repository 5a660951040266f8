#include "runtime/BusDdeHooks.h"

#include "delivery/DdeBusMessages.h"
#include "strings/StringTable.h"

namespace quorvane {

BusDdeHooks::BusDdeHooks(DdeServer& server, Messages& messages, DdeLinks* links,
                         DdeExecuteHandler execute)
    : server_(server), messages_(messages), links_(links) {
    server_.SetExecuteHandler(std::move(execute));
}

BusDdeHooks::~BusDdeHooks() {
    // The server may outlive these hooks; it must not read the items or run commands after.
    server_.Release();
    server_.SetExecuteHandler(nullptr);
    server_.SetItemSource(nullptr);
    if (items_) items_->SetListener(nullptr);
}

void BusDdeHooks::ShutdownClient() {
    if (links_) links_->Unload();
    server_.Release();
    servedTopic_.clear();
    topicTried_ = false;
}

void BusDdeHooks::SetTopic(const std::string& topic) {
    if (topicTried_ && topic == servedTopic_) return;
    topicTried_ = true;
    servedTopic_ = topic;
    const DdeServeStatus status = server_.Serve(topic);
    if (status.result == DdeServeResult::Serving) return;
    messages_.Show(DdeServeMessage(status, topic), LoadString(kStrQuorvaneTitle),
                   MessageButtons::Ok, MessageIcon::Exclamation);
}

void BusDdeHooks::AttachItems(DdeServerItems* items) {
    if (items_ && items_ != items) items_->SetListener(nullptr);
    items_ = items;
    server_.SetItemSource(items);
    if (items) items->SetListener(&server_);
}

void BusDdeHooks::EstablishCommandLink() {
    if (links_) links_->EstablishCommandLink();
}

void BusDdeHooks::EstablishBufferLink() {
    if (links_) links_->EstablishBufferLink();
}

}  // namespace quorvane
