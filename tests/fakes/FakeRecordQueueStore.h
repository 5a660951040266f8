// A record queue store in memory. Tests read and damage `bytes` directly; failures are set
// in advance: the next failAppends appends fail after storing failAppendKeeps bytes of
// what they were given (a write cut short), the next failSyncs syncs, failTruncates
// truncates and failReplaces replaces fail and keep the bytes as they are.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "platform/RecordQueueStore.h"

namespace quorvane {

class FakeRecordQueueStore : public RecordQueueStore {
  public:
    QueueStoreStatus ReadAll(std::string& out) override {
        if (failReads > 0) {
            --failReads;
            return {false, "Input/output error"};
        }
        out = bytes;
        return {};
    }
    QueueStoreStatus Append(std::string_view data, bool durable) override {
        if (failAppends > 0) {
            --failAppends;
            bytes.append(data.substr(0, std::min(data.size(), failAppendKeeps)));
            return {false, "No space left on device"};
        }
        bytes.append(data);
        appends.push_back(durable);
        return {};
    }
    QueueStoreStatus Sync() override {
        if (failSyncs > 0) {
            --failSyncs;
            return {false, "Input/output error"};
        }
        ++syncs;
        syncedBytes = bytes.size();
        return {};
    }
    QueueStoreStatus Truncate(uint64_t size) override {
        if (failTruncates > 0) {
            --failTruncates;
            return {false, "Input/output error"};
        }
        bytes.resize(std::min<size_t>(bytes.size(), size));
        ++truncates;
        return {};
    }
    QueueStoreStatus Replace(std::string_view data) override {
        if (failReplaces > 0) {
            --failReplaces;
            return {false, "No space left on device"};
        }
        bytes = std::string(data);
        ++replaces;
        return {};
    }

    std::string bytes;
    std::vector<bool> appends;  // the durable flag of each append that succeeded
    int syncs = 0;           // syncs that succeeded
    size_t syncedBytes = 0;  // the size of bytes at the last of them
    int failSyncs = 0;
    int replaces = 0;
    int truncates = 0;
    int failTruncates = 0;
    int failReads = 0;
    int failAppends = 0;
    size_t failAppendKeeps = 0;
    int failReplaces = 0;
};

}  // namespace quorvane
