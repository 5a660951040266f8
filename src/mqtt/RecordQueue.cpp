#include "mqtt/RecordQueue.h"

#include <algorithm>
#include <utility>

#include "mqtt/RecordQueueFormat.h"

namespace quorvane {

namespace {

uint64_t EntryBytes(std::string_view payload) {
    return kQueueEntryOverhead + payload.size();
}

}  // namespace

RecordQueue::RecordQueue(RecordQueueStore& store, uint64_t limit, uint64_t compactAt)
    : store_(store), limit_(limit), compactAt_(compactAt) {}

RecordQueueOpenResult RecordQueue::Open() {
    RecordQueueOpenResult result;
    records_.clear();
    waitingBytes_ = storedBytes_ = 0;
    std::string bytes;
    result.read = store_.ReadAll(bytes);
    if (!result.read.ok) return result;
    QueueScan scan = ScanQueueEntries(bytes);
    result.damaged = scan.damaged;
    result.tornTail = scan.tornBytes > 0;
    uint64_t doneThrough = 0;
    for (QueueEntry& entry : scan.entries) {
        nextSequence_ = std::max(nextSequence_, entry.sequence + 1);
        if (entry.kind == QueueEntryKind::HeadMark) {
            doneThrough = std::max(doneThrough, entry.sequence);
            continue;
        }
        records_.push_back({entry.sequence, std::move(entry.payload), false, true});
    }
    // A record is done when a later head mark covers it; a rewrite may have put records
    // of any age after older marks, so the marks are applied once all are known.
    std::erase_if(records_, [&](const QueuedRecord& r) { return r.sequence <= doneThrough; });
    std::stable_sort(
        records_.begin(), records_.end(),
        [](const QueuedRecord& a, const QueuedRecord& b) { return a.sequence < b.sequence; });
    for (const QueuedRecord& r : records_) waitingBytes_ += EntryBytes(r.payload);
    storedBytes_ = bytes.size();
    // A limit lowered since the last run: the oldest go now.
    while (waitingBytes_ > limit_ && !records_.empty()) {
        waitingBytes_ -= EntryBytes(records_.front().payload);
        records_.pop_front();
        ++result.dropped;
    }
    result.records = records_.size();
    syncedThrough_ = nextSequence_ - 1;
    if (result.damaged > 0 || result.tornTail || result.dropped > 0) {
        result.rewrite = Rewrite();
        // Nothing may be appended after bad bytes: the next write tries again.
        rewriteNeeded_ = !result.rewrite.ok;
    } else {
        result.rewrite = CompactIfLarge();
    }
    return result;
}

RecordQueuePushResult RecordQueue::Push(std::string_view payload) {
    RecordQueuePushResult result;
    const uint64_t size = EntryBytes(payload);
    if (size > limit_ || payload.size() > kQueueMaxPayload) {
        result.tooLarge = true;
        return result;
    }
    uint64_t lastDropped = 0;
    // Records confirmed out of order no longer count; once at the head they leave with it.
    while (!records_.empty() && (waitingBytes_ + size > limit_ || records_.front().acknowledged)) {
        const QueuedRecord& front = records_.front();
        lastDropped = front.sequence;
        if (!front.acknowledged) {
            waitingBytes_ -= EntryBytes(front.payload);
            ++result.dropped;
        }
        records_.pop_front();
    }
    droppedCount_ += result.dropped;
    result.sequence = nextSequence_++;
    records_.push_back({result.sequence, std::string(payload), false, true});
    waitingBytes_ += size;
    std::string entries;
    if (lastDropped != 0) AppendQueueEntry(entries, QueueEntryKind::HeadMark, lastDropped, {});
    AppendQueueEntry(entries, QueueEntryKind::Record, result.sequence, payload);
    result.status = Write(entries, result.sequence);
    syncDue_ = true;
    if (result.status.ok) result.status = CompactIfLarge();
    return result;
}

QueueStoreStatus RecordQueue::Sync() {
    if (!syncDue_) return {};
    syncDue_ = false;
    syncedThrough_ = nextSequence_ - 1;
    QueueStoreStatus status = store_.Sync();
    if (!status.ok) rewriteNeeded_ = true;
    return status;
}

QueueStoreStatus RecordQueue::Acknowledge(uint64_t sequence) {
    const auto it = std::find_if(records_.begin(), records_.end(),
                                 [&](const QueuedRecord& r) { return r.sequence == sequence; });
    if (it == records_.end() || it->acknowledged) return {};
    it->acknowledged = true;
    waitingBytes_ -= EntryBytes(it->payload);
    uint64_t lastRemoved = 0;
    bool removed = false;
    while (!records_.empty() && records_.front().acknowledged) {
        lastRemoved = records_.front().sequence;
        records_.pop_front();
        removed = true;
    }
    QueueStoreStatus status;
    if (removed) {
        // A lost head mark only means records published twice, which QoS 1 allows: no fsync.
        std::string mark;
        AppendQueueEntry(mark, QueueEntryKind::HeadMark, lastRemoved, {});
        status = Write(mark, 0);
    }
    if (status.ok) status = CompactIfLarge();
    return status;
}

uint64_t RecordQueue::TakeDroppedCount() {
    return std::exchange(droppedCount_, 0);
}

QueueStoreStatus RecordQueue::Write(std::string_view entries, uint64_t addedRecord) {
    if (rewriteNeeded_) return Rewrite();
    std::string bytes;
    // Records whose write failed before go first, and are made durable at once.
    const bool durable = someUnstored_;
    if (someUnstored_) {
        for (const QueuedRecord& r : records_)
            if (!r.stored) AppendQueueEntry(bytes, QueueEntryKind::Record, r.sequence, r.payload);
    }
    bytes += entries;
    QueueStoreStatus status = store_.Append(bytes, durable);
    if (status.ok) {
        storedBytes_ += bytes.size();
        if (someUnstored_)
            for (QueuedRecord& r : records_) r.stored = true;
        someUnstored_ = false;
        return status;
    }
    // The part that reached the store would stand between whole entries.
    if (!store_.Truncate(storedBytes_).ok) rewriteNeeded_ = true;
    if (addedRecord != 0 && !records_.empty() && records_.back().sequence == addedRecord) {
        records_.back().stored = false;
        someUnstored_ = true;
    }
    return status;
}

QueueStoreStatus RecordQueue::Rewrite() {
    // Records confirmed out of order are done: they leave the memory with the store.
    std::erase_if(records_, [](const QueuedRecord& r) { return r.acknowledged; });
    std::string bytes;
    bytes.reserve(static_cast<size_t>(waitingBytes_));
    for (const QueuedRecord& r : records_)
        AppendQueueEntry(bytes, QueueEntryKind::Record, r.sequence, r.payload);
    waitingBytes_ = bytes.size();
    QueueStoreStatus status = store_.Replace(bytes);
    if (status.ok) {
        rewriteNeeded_ = false;
        syncDue_ = false;
        syncedThrough_ = nextSequence_ - 1;
        storedBytes_ = bytes.size();
        for (QueuedRecord& r : records_) r.stored = true;
        someUnstored_ = false;
    }
    return status;
}

QueueStoreStatus RecordQueue::CompactIfLarge() {
    const uint64_t done = storedBytes_ - std::min(storedBytes_, waitingBytes_);
    if (done < std::max(compactAt_, retryCompactAt_) || done < waitingBytes_) return {};
    QueueStoreStatus status = Rewrite();
    // A store that cannot take a rewrite now (a full disk) is not asked at every record.
    retryCompactAt_ = status.ok ? 0 : 2 * done;
    return status;
}

}  // namespace quorvane
