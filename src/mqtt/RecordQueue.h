// Records waiting for the broker, kept in order in a store that survives a restart. A record
// is pushed before it is published and acknowledged once the broker has confirmed it (the
// PUBACK of QoS 1); the oldest waiting records are the first to go out again after a
// reconnect or a restart. The store only ever grows at its end (RecordQueueFormat.h): a
// record entry for each push, a head mark whenever the oldest records are done, and a
// rewrite holding only the waiting records once the done part at the head is large.
//
// The waiting records may take at most `limit` bytes of the store (entry overhead
// included); a push beyond it drops the oldest ones and counts them. Waiting records are
// also held in memory, so a store that fails to write loses nothing while the program runs:
// the store is cut back to its last whole entry, and records that missed it are written
// with the next entry that is (the order comes from their sequence numbers, not their place).
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

#include "platform/RecordQueueStore.h"

namespace quorvane {

struct QueuedRecord {
    uint64_t sequence = 0;
    std::string payload;
    bool acknowledged = false;  // confirmed while an older record still waits
    bool stored = true;         // false: its write failed, it waits in memory only
};

struct RecordQueueOpenResult {
    QueueStoreStatus read;     // reading failed: the queue starts empty
    QueueStoreStatus rewrite;  // the rewrite without the dropped parts failed
    size_t records = 0;        // records waiting from the last run
    size_t damaged = 0;        // unreadable stretches dropped (each counted once)
    bool tornTail = false;     // the last write had been cut short and was dropped
    size_t dropped = 0;        // the oldest records dropped for a limit lowered since
};

struct RecordQueuePushResult {
    QueueStoreStatus status;  // the store failed: the record waits in memory only
    uint64_t sequence = 0;    // the record's number; 0 when it was refused
    bool tooLarge = false;    // refused: the record alone is larger than the limit
    size_t dropped = 0;       // oldest records dropped to make room for this one
};

inline constexpr uint64_t kQueueDefaultCompactAt = 1024 * 1024;

class RecordQueue {
  public:
    // store must outlive the queue. compactAt: the done bytes at the head that start a
    // rewrite, once they also outweigh the waiting ones.
    RecordQueue(RecordQueueStore& store, uint64_t limit,
                uint64_t compactAt = kQueueDefaultCompactAt);

    // Reads what the store holds. Damaged or torn parts are dropped and the store is
    // rewritten without them, so that new entries never follow bad bytes.
    RecordQueueOpenResult Open();

    // Writes the record; it is durable once Sync() has run, so that records coming together
    // cost one disk sync, not one each.
    RecordQueuePushResult Push(std::string_view payload);
    // Makes every pushed record durable. A sync that fails leaves them in memory, and the
    // next write rewrites the store whole: a failed sync says nothing of which bytes made it.
    QueueStoreStatus Sync();
    // The newest record that has been through a Sync (or was read by Open): the records up
    // to it may be published.
    uint64_t SyncedThrough() const { return syncedThrough_; }
    // The broker confirmed the record of sequence; an unknown sequence (dropped meanwhile)
    // is ignored. The oldest records that are confirmed leave the queue.
    QueueStoreStatus Acknowledge(uint64_t sequence);

    // The waiting records, oldest first (confirmed ones among them are marked).
    const std::deque<QueuedRecord>& Records() const { return records_; }
    bool Empty() const { return records_.empty(); }
    // The bytes the records not yet confirmed take in the store, and the bytes it holds.
    uint64_t WaitingBytes() const { return waitingBytes_; }
    uint64_t StoredBytes() const { return storedBytes_; }
    uint64_t Limit() const { return limit_; }
    // The records that Push dropped for the limit since the last call.
    uint64_t TakeDroppedCount();

  private:
    // Appends entries, durable only at the next Sync; a failure marks the record of sequence
    // addedRecord (0 for none) as waiting in memory only.
    QueueStoreStatus Write(std::string_view entries, uint64_t addedRecord);
    QueueStoreStatus Rewrite();
    QueueStoreStatus CompactIfLarge();

    RecordQueueStore& store_;
    uint64_t limit_;
    uint64_t compactAt_;
    std::deque<QueuedRecord> records_;
    uint64_t nextSequence_ = 1;
    uint64_t waitingBytes_ = 0;
    uint64_t storedBytes_ = 0;
    uint64_t droppedCount_ = 0;
    uint64_t syncedThrough_ = 0;
    bool syncDue_ = false;         // records were written since the last sync
    uint64_t retryCompactAt_ = 0;  // after a failed compaction: the done bytes to try again at
    bool someUnstored_ = false;    // a record's write failed since the last good write
    // A failed write could not be cut back: the store may end in a piece of an entry, so the
    // next write rewrites it whole.
    bool rewriteNeeded_ = false;
};

}  // namespace quorvane
