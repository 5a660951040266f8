#include "runtime/BusDdeHooks.h"

#include "delivery/DdeBusMessages.h"
#include "strings/StringTable.h"

namespace quorvane {

BusDdeHooks::BusDdeHooks(DdeServer& server, Messages& messages, DdeLinks* links)
    : server_(server), messages_(messages), links_(links) {}

BusDdeHooks::~BusDdeHooks() {
    // The server may outlive these hooks; it must not read the items after this.
    server_.Release();
    server_.SetItemSource(nullptr);
    if (items_) items_->SetListener(nullptr);
}

void BusDdeHooks::SetExecuteHandler(DdeExecuteHandler handler) {
    server_.SetExecuteHandler(std::move(handler));
}

void BusDdeHooks::ConversationEnded(DdeConversationId id) {
    if (flags_ && id != 0 && flags_->DdeConversation == id) flags_->DdeConversation = 0;
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
    const LocalizedText text = DdeServeMessage(status, topic);
    messages_.Show(text.In(CurrentStrings().language()), LoadString(kStrQuorvaneTitle),
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
