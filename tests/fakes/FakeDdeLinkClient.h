// A link client whose links the test feeds by hand (Publish, Break), and a clipboard that
// holds what the test puts on it. The client can be told which application/topic pairs are
// served; linking to any other fails as a missing server does.
#pragma once

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/Clipboard.h"
#include "platform/DdeLinkClient.h"

namespace quorvane {

class FakeDdeLinkClient : public DdeLinkClient {
  public:
    struct Link {
        std::string application, topic, item;
        ValueCallback onValue;
        ErrorCallback onError;
    };

    DdeLinkResult Subscribe(const std::string& application, const std::string& topic,
                            const std::string& item, ValueCallback onValue,
                            ErrorCallback onError) override {
        subscribes.push_back(application + "|" + topic + "!" + item);
        if (!served.count({application, topic})) return {0, "no program serves it"};
        const DdeLinkHandle handle = ++lastHandle_;
        links[handle] = {application, topic, item, std::move(onValue), std::move(onError)};
        return {handle, {}};
    }
    void Unsubscribe(DdeLinkHandle handle) override {
        if (handle != 0) unsubscribes.push_back(handle);
        links.erase(handle);
    }

    // The link to item, 0 when there is none.
    DdeLinkHandle Find(const std::string& item) const {
        for (const auto& [handle, link] : links)
            if (link.item == item) return handle;
        return 0;
    }
    // A new value of every link to item. Callbacks are copied first: they may unsubscribe.
    void Publish(const std::string& item, const std::string& value) {
        std::vector<ValueCallback> targets;
        for (const auto& [handle, link] : links)
            if (link.item == item) targets.push_back(link.onValue);
        for (const auto& callback : targets) callback(value);
    }
    void Break(DdeLinkHandle handle) {
        const auto it = links.find(handle);
        if (it == links.end()) return;
        const ErrorCallback callback = it->second.onError;
        callback();
    }

    std::set<std::pair<std::string, std::string>> served;
    std::map<DdeLinkHandle, Link> links;
    std::vector<std::string> subscribes;
    std::vector<DdeLinkHandle> unsubscribes;

  private:
    DdeLinkHandle lastHandle_ = 0;
};

class FakeClipboard : public Clipboard {
  public:
    void PutLink(const std::string& link, const std::string& text) override {
        linkData = link;
        hasLinkFormat = true;
        plainText = text;
        hasText = true;
    }
    bool Available() const override { return available; }
    bool HoldsLink() const override { return hasLinkFormat && hasText; }
    std::string LinkText() const override { return hasLinkFormat ? linkData : std::string(); }

    bool available = true;
    bool hasLinkFormat = false, hasText = false;
    std::string linkData, plainText;
};

}  // namespace quorvane
