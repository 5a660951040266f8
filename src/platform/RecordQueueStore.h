// The bytes of one record queue, kept where they survive a restart (a file on Linux). The
// queue's format and rules live in the core (mqtt/RecordQueue.h); this is only the storage.
// Errors carry the system's own text (UTF-8), captured where the call failed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quorvane {

struct QueueStoreStatus {
    bool ok = true;
    std::string error;  // the system's reason when !ok
};

class RecordQueueStore {
  public:
    virtual ~RecordQueueStore() = default;
    // Everything stored, in the order it was appended; empty for a store never written.
    virtual QueueStoreStatus ReadAll(std::string& bytes) = 0;
    // Adds bytes at the end. durable: the bytes are on the disk when this returns (a power
    // loss keeps them); otherwise they get there in the system's own time. A failure may
    // leave a part of the bytes stored.
    virtual QueueStoreStatus Append(std::string_view bytes, bool durable) = 0;
    // Makes everything appended so far durable (one disk sync for many appends).
    virtual QueueStoreStatus Sync() = 0;
    // Cuts the store back to its first size bytes (after an append that failed part way).
    virtual QueueStoreStatus Truncate(uint64_t size) = 0;
    // Replaces everything with bytes, durably and at once: after a power loss the store holds
    // either the old bytes or the new ones.
    virtual QueueStoreStatus Replace(std::string_view bytes) = 0;
};

}  // namespace quorvane
