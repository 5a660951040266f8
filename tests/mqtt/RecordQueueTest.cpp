#include "mqtt/RecordQueue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "fakes/FakeRecordQueueStore.h"
#include "mqtt/RecordQueueFormat.h"

namespace quorvane {
namespace {

constexpr uint64_t kLimit = 1 << 20;

std::vector<std::string> Payloads(const RecordQueue& queue) {
    std::vector<std::string> out;
    for (const QueuedRecord& r : queue.Records()) out.push_back(r.payload);
    return out;
}

// What a restarted program finds in the store.
std::vector<std::string> Reopened(FakeRecordQueueStore& store,
                                  RecordQueueOpenResult* result = nullptr,
                                  uint64_t limit = kLimit) {
    RecordQueue queue(store, limit);
    const RecordQueueOpenResult opened = queue.Open();
    if (result) *result = opened;
    return Payloads(queue);
}

std::vector<std::string> Numbered(int first, int last) {
    std::vector<std::string> out;
    for (int i = first; i <= last; ++i) out.push_back("record " + std::to_string(i));
    return out;
}

void PushAll(RecordQueue& queue, const std::vector<std::string>& payloads) {
    for (const std::string& p : payloads) ASSERT_TRUE(queue.Push(p).status.ok);
}

TEST(RecordQueueFormat, CrcAndEntryLayout) {
    EXPECT_EQ(Crc32("123456789"), 0xCBF43926u);  // the CRC-32 check value
    EXPECT_EQ(Crc32(""), 0u);
    std::string entry;
    AppendQueueEntry(entry, QueueEntryKind::Record, 0x0102030405060708ull, "abc");
    ASSERT_EQ(entry.size(), kQueueEntryOverhead + 3);
    EXPECT_EQ(entry.substr(0, 8), std::string("QVQ1\x01\0\0\0", 8));
    EXPECT_EQ(entry.substr(8, 8), "\x08\x07\x06\x05\x04\x03\x02\x01");
    EXPECT_EQ(entry.substr(16, 4), std::string("\x03\0\0\0", 4));
    EXPECT_EQ(entry.substr(24, 3), "abc");
    const QueueScan scan = ScanQueueEntries(entry);
    ASSERT_EQ(scan.entries.size(), 1u);
    EXPECT_EQ(scan.entries[0].sequence, 0x0102030405060708ull);
    EXPECT_EQ(scan.entries[0].payload, "abc");
    EXPECT_EQ(scan.damaged + scan.tornBytes, 0u);
}

TEST(RecordQueue, OrderKeptAcrossReopenAndSequencesGoOn) {
    FakeRecordQueueStore store;
    {
        RecordQueue queue(store, kLimit);
        queue.Open();
        PushAll(queue, Numbered(1, 5));
        EXPECT_TRUE(queue.Acknowledge(queue.Records()[0].sequence).ok);
        EXPECT_TRUE(queue.Acknowledge(queue.Records()[0].sequence).ok);
        EXPECT_EQ(Payloads(queue), Numbered(3, 5));
    }
    RecordQueue queue(store, kLimit);
    const RecordQueueOpenResult opened = queue.Open();
    EXPECT_TRUE(opened.read.ok);
    EXPECT_TRUE(opened.rewrite.ok);
    EXPECT_EQ(opened.records, 3u);
    EXPECT_EQ(opened.damaged, 0u);
    EXPECT_FALSE(opened.tornTail);
    EXPECT_EQ(Payloads(queue), Numbered(3, 5));
    const uint64_t last = queue.Records().back().sequence;
    EXPECT_GT(queue.Push("record 6").sequence, last);
    EXPECT_EQ(Reopened(store), Numbered(3, 6));
    EXPECT_EQ(store.replaces, 0) << "a clean store is only appended to";
}

TEST(RecordQueue, RecordsBecomeDurableTogetherAtTheSync) {
    FakeRecordQueueStore store;
    RecordQueue queue(store, kLimit);
    queue.Open();
    const uint64_t a = queue.Push("a").sequence;
    const uint64_t b = queue.Push("b").sequence;
    EXPECT_LT(queue.SyncedThrough(), a);
    ASSERT_TRUE(queue.Sync().ok);
    EXPECT_EQ(queue.SyncedThrough(), b);
    EXPECT_EQ(store.syncs, 1);
    EXPECT_EQ(store.syncedBytes, store.bytes.size());
    EXPECT_TRUE(queue.Sync().ok);
    EXPECT_EQ(store.syncs, 1) << "nothing new: no sync";
    queue.Acknowledge(a);
    queue.Acknowledge(b);
    EXPECT_EQ(store.appends, std::vector<bool>(4, false));  // two records, two head marks
    EXPECT_EQ(store.syncs, 1) << "a lost head mark only repeats records";
    EXPECT_TRUE(queue.Empty());
    EXPECT_TRUE(Reopened(store).empty());
    // What Open reads is on the disk already.
    PushAll(queue, Numbered(1, 2));
    RecordQueue restarted(store, kLimit);
    restarted.Open();
    EXPECT_EQ(restarted.SyncedThrough(), restarted.Records().back().sequence);
}

TEST(RecordQueue, AFailedSyncRewritesTheStoreWholeAtTheNextWrite) {
    FakeRecordQueueStore store;
    RecordQueue queue(store, kLimit);
    queue.Open();
    PushAll(queue, Numbered(1, 2));
    store.failSyncs = 1;
    EXPECT_FALSE(queue.Sync().ok);
    // Still published: the records are kept in memory.
    EXPECT_EQ(queue.SyncedThrough(), queue.Records().back().sequence);
    queue.Push("record 3");
    EXPECT_EQ(store.replaces, 1);
    EXPECT_EQ(Reopened(store), Numbered(1, 3));
}

TEST(RecordQueue, ConfirmationsOutOfOrderWaitForTheOldest) {
    FakeRecordQueueStore store;
    RecordQueue queue(store, kLimit);
    queue.Open();
    PushAll(queue, Numbered(1, 3));
    const uint64_t first = queue.Records()[0].sequence;
    const uint64_t second = queue.Records()[1].sequence;
    queue.Acknowledge(second);
    EXPECT_EQ(Payloads(queue), Numbered(1, 3));
    EXPECT_TRUE(queue.Records()[1].acknowledged);
    EXPECT_EQ(Reopened(store), Numbered(1, 3)) << "nothing is done on disk before the oldest";
    queue.Acknowledge(first);
    EXPECT_EQ(Payloads(queue), Numbered(3, 3));
    EXPECT_EQ(Reopened(store), Numbered(3, 3));
    queue.Acknowledge(9999);  // dropped or never ours: no change
    EXPECT_EQ(Payloads(queue), Numbered(3, 3));
}

TEST(RecordQueue, TornTailDroppedEarlierEntriesKept) {
    for (const size_t cut : {size_t{1}, size_t{10}, kQueueHeaderBytes, kQueueHeaderBytes + 5,
                             kQueueEntryOverhead + 7}) {
        SCOPED_TRACE(cut);
        FakeRecordQueueStore store;
        RecordQueue queue(store, kLimit);
        queue.Open();
        PushAll(queue, Numbered(1, 3));
        const size_t whole = store.bytes.size();
        queue.Push("record 4 is long enough to be cut");
        store.bytes.resize(whole + cut);  // power lost while it was written
        RecordQueueOpenResult opened;
        EXPECT_EQ(Reopened(store, &opened), Numbered(1, 3));
        EXPECT_TRUE(opened.tornTail);
        EXPECT_EQ(opened.damaged, 0u);
        EXPECT_EQ(store.bytes.size(), whole) << "the store is rewritten without the torn part";
        // The next program appends after good entries only.
        RecordQueue next(store, kLimit);
        next.Open();
        next.Push("record 5");
        EXPECT_EQ(Reopened(store, &opened),
                  (std::vector<std::string>{"record 1", "record 2", "record 3", "record 5"}));
        EXPECT_FALSE(opened.tornTail);
    }
}

TEST(RecordQueue, ZerosAfterTheLastEntryAreATornTail) {
    FakeRecordQueueStore store;
    RecordQueue queue(store, kLimit);
    queue.Open();
    PushAll(queue, Numbered(1, 2));
    store.bytes.append(4096, '\0');  // a block the file system extended but never filled
    RecordQueueOpenResult opened;
    EXPECT_EQ(Reopened(store, &opened), Numbered(1, 2));
    EXPECT_TRUE(opened.tornTail);
    EXPECT_EQ(opened.damaged, 0u);
}

TEST(RecordQueue, FlippedByteDropsOneEntryAndKeepsTheRest) {
    // Entry 2 of 4, each record the same size: a byte of its payload, its length, its magic
    // and its checksum.
    const size_t entry = kQueueEntryOverhead + std::string("record 1").size();
    for (const size_t offset : {entry + 26, entry + 16, entry + 0, entry + 20, 2 * entry - 1}) {
        SCOPED_TRACE(offset);
        FakeRecordQueueStore store;
        RecordQueue queue(store, kLimit);
        queue.Open();
        PushAll(queue, Numbered(1, 4));
        ASSERT_EQ(store.bytes.size(), 4 * entry);
        store.bytes[offset] = static_cast<char>(store.bytes[offset] ^ 0x10);
        RecordQueueOpenResult opened;
        EXPECT_EQ(Reopened(store, &opened),
                  (std::vector<std::string>{"record 1", "record 3", "record 4"}));
        EXPECT_EQ(opened.damaged, 1u);
        EXPECT_FALSE(opened.tornTail);
        EXPECT_EQ(store.bytes.size(), 3 * entry) << "rewritten without the damaged entry";
    }
}

// Whatever happens to the bytes, the queue keeps an ordered part of what was pushed: it never
// makes up a record, repeats one or changes their order, and says when it lost one.
TEST(RecordQueue, RandomDamageLeavesAnOrderedPartOfThePushedRecords) {
    std::mt19937 random(20261209);
    const std::vector<std::string> pushed = Numbered(1, 60);
    FakeRecordQueueStore pristine;
    std::vector<size_t> ends;  // where each entry ends
    {
        RecordQueue queue(pristine, kLimit);
        queue.Open();
        for (const std::string& p : pushed) {
            queue.Push(p);
            ends.push_back(pristine.bytes.size());
        }
    }
    const auto byNumber = [](const std::string& a, const std::string& b) {
        return std::stoi(a.substr(7)) < std::stoi(b.substr(7));
    };
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE(round);
        FakeRecordQueueStore store;
        store.bytes = pristine.bytes;
        const int flips = static_cast<int>(random() % 4);
        for (int i = 0; i < flips; ++i)
            store.bytes[random() % store.bytes.size()] ^= static_cast<char>(1 + random() % 255);
        if (random() % 2) store.bytes.resize(random() % store.bytes.size());
        // A cut between two entries looks like a queue that was never longer.
        const size_t whole = static_cast<size_t>(
            std::upper_bound(ends.begin(), ends.end(), store.bytes.size()) - ends.begin());
        RecordQueueOpenResult opened;
        const std::vector<std::string> kept = Reopened(store, &opened);
        EXPECT_TRUE(
            std::includes(pushed.begin(), pushed.end(), kept.begin(), kept.end(), byNumber));
        if (kept.size() < whole) {
            EXPECT_TRUE(opened.damaged > 0 || opened.tornTail);
        }
        EXPECT_EQ(Reopened(store), kept) << "the repaired store reads the same";
    }
}

TEST(RecordQueue, BoundDropsTheOldestAndCountsThem) {
    const uint64_t entry = kQueueEntryOverhead + std::string("record 1").size();
    FakeRecordQueueStore store;
    RecordQueue queue(store, 3 * entry);
    queue.Open();
    PushAll(queue, Numbered(1, 3));
    EXPECT_EQ(queue.TakeDroppedCount(), 0u);
    EXPECT_EQ(queue.Push("record 4").dropped, 1u);
    EXPECT_EQ(queue.Push("record 5").dropped, 1u);
    EXPECT_EQ(Payloads(queue), Numbered(3, 5));
    EXPECT_EQ(queue.WaitingBytes(), 3 * entry);
    EXPECT_EQ(queue.TakeDroppedCount(), 2u);
    EXPECT_EQ(queue.TakeDroppedCount(), 0u) << "counted once";
    // A longer record takes the room of two.
    EXPECT_EQ(queue.Push("record 6 with more").dropped, 2u);
    EXPECT_EQ(Payloads(queue), (std::vector<std::string>{"record 5", "record 6 with more"}));
    EXPECT_EQ(Reopened(store, nullptr, 3 * entry), Payloads(queue));
    // Larger than the whole bound: refused, the queue untouched.
    const RecordQueuePushResult refused = queue.Push(std::string(3 * entry, 'x'));
    EXPECT_TRUE(refused.tooLarge);
    EXPECT_EQ(refused.sequence, 0u);
    EXPECT_EQ(Payloads(queue), (std::vector<std::string>{"record 5", "record 6 with more"}));
}

TEST(RecordQueue, BoundCountsOnlyRecordsNotYetConfirmed) {
    const uint64_t entry = kQueueEntryOverhead + std::string("record 1").size();
    FakeRecordQueueStore store;
    RecordQueue queue(store, 3 * entry);
    queue.Open();
    PushAll(queue, Numbered(1, 3));
    queue.Acknowledge(queue.Records()[1].sequence);  // record 2, while record 1 still waits
    EXPECT_EQ(queue.WaitingBytes(), 2 * entry);
    EXPECT_EQ(queue.Push("record 4").dropped, 0u);
    // Record 1 goes for the bound; record 2, done, leaves with it and is not counted.
    EXPECT_EQ(queue.Push("record 5").dropped, 1u);
    EXPECT_EQ(Payloads(queue), Numbered(3, 5));
    EXPECT_EQ(queue.WaitingBytes(), 3 * entry);
    EXPECT_EQ(queue.TakeDroppedCount(), 1u);
    EXPECT_EQ(Reopened(store, nullptr, 3 * entry), Numbered(3, 5));
}

TEST(RecordQueue, ALowerBoundAtReopenDropsTheOldest) {
    const uint64_t entry = kQueueEntryOverhead + std::string("record 1").size();
    FakeRecordQueueStore store;
    {
        RecordQueue queue(store, kLimit);
        queue.Open();
        PushAll(queue, Numbered(1, 5));
    }
    RecordQueue queue(store, 2 * entry);
    const RecordQueueOpenResult opened = queue.Open();
    EXPECT_EQ(Payloads(queue), Numbered(4, 5));
    EXPECT_EQ(opened.dropped, 3u);
    EXPECT_EQ(opened.records, 2u);
    EXPECT_EQ(queue.TakeDroppedCount(), 0u) << "said with the opening, not again";
    EXPECT_EQ(Reopened(store), Numbered(4, 5));
}

TEST(RecordQueue, CompactionRewritesOnceTheDoneHeadIsLarge) {
    // Each confirmation of the oldest of 20 records moves its 37 bytes into the done part and
    // adds a 28-byte head mark: after k of them 65k bytes are done against 37(20-k) waiting.
    const uint64_t entry = kQueueEntryOverhead + std::string("record 10").size();
    ASSERT_EQ(entry, 37u);
    const struct {
        uint64_t compactAt;
        int firstRewriteAt;
    } cases[] = {
        {10 * entry, 8},  // 65k >= 370 from k = 6, but the waiting bytes weigh more until k = 8
        {600, 10},        // 65k outweighs the waiting from k = 8, but stays below 600 until k = 10
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.compactAt);
        FakeRecordQueueStore store;
        RecordQueue queue(store, kLimit, c.compactAt);
        queue.Open();
        PushAll(queue, Numbered(10, 29));
        for (int k = 1; k < c.firstRewriteAt; ++k)
            queue.Acknowledge(queue.Records().front().sequence);
        EXPECT_EQ(store.replaces, 0);
        EXPECT_EQ(queue.StoredBytes(), 20 * entry + (c.firstRewriteAt - 1) * 28u);
        queue.Acknowledge(queue.Records().front().sequence);
        EXPECT_EQ(store.replaces, 1);
        EXPECT_EQ(queue.StoredBytes(), queue.WaitingBytes());
        EXPECT_EQ(store.bytes.size(), (20u - c.firstRewriteAt) * entry);
        EXPECT_EQ(Reopened(store), Numbered(10 + c.firstRewriteAt, 29));
        queue.Push("record 30");
        EXPECT_EQ(Reopened(store), Numbered(10 + c.firstRewriteAt, 30));
    }
}

TEST(RecordQueue, CompactionLeavesOutRecordsConfirmedOutOfOrder) {
    FakeRecordQueueStore store;
    RecordQueue queue(store, kLimit, /*compactAt=*/1);
    queue.Open();
    PushAll(queue, Numbered(1, 4));
    queue.Acknowledge(queue.Records()[2].sequence);  // record 3
    queue.Acknowledge(queue.Records()[0].sequence);  // record 1: the head moves, a rewrite
    EXPECT_GE(store.replaces, 1);
    EXPECT_EQ(Payloads(queue), (std::vector<std::string>{"record 2", "record 4"}));
    EXPECT_EQ(Reopened(store), (std::vector<std::string>{"record 2", "record 4"}));
}

TEST(RecordQueue, AFailedWriteIsCutBackAndItsRecordWrittenWithTheNext) {
    FakeRecordQueueStore store;
    RecordQueue queue(store, kLimit);
    queue.Open();
    PushAll(queue, Numbered(1, 2));
    const size_t whole = store.bytes.size();
    store.failAppends = 2;
    store.failAppendKeeps = 9;  // a piece of the entry reached the disk
    const RecordQueuePushResult failed = queue.Push("record 3");
    EXPECT_FALSE(failed.status.ok);
    EXPECT_EQ(failed.status.error, "No space left on device");
    EXPECT_NE(failed.sequence, 0u);
    EXPECT_EQ(store.bytes.size(), whole) << "the piece is cut off";
    EXPECT_FALSE(queue.Push("record 4").status.ok);
    EXPECT_EQ(Payloads(queue), Numbered(1, 4)) << "kept in memory";
    EXPECT_FALSE(queue.Records()[3].stored);
    EXPECT_EQ(Reopened(store), Numbered(1, 2));
    // The disk has room again: the two missing records go with the next one.
    EXPECT_TRUE(queue.Push("record 5").status.ok);
    EXPECT_TRUE(queue.Records()[2].stored);
    EXPECT_EQ(store.replaces, 0);
    RecordQueueOpenResult opened;
    EXPECT_EQ(Reopened(store, &opened), Numbered(1, 5));
    EXPECT_FALSE(opened.tornTail);
    EXPECT_EQ(opened.damaged, 0u);
}

TEST(RecordQueue, APieceThatCannotBeCutOffIsRewrittenAway) {
    FakeRecordQueueStore store;
    RecordQueue queue(store, kLimit);
    queue.Open();
    PushAll(queue, Numbered(1, 2));
    store.failAppends = 1;
    store.failAppendKeeps = 30;
    store.failTruncates = 1;
    EXPECT_FALSE(queue.Push("record 3").status.ok);
    EXPECT_TRUE(queue.Push("record 4").status.ok);
    EXPECT_EQ(store.replaces, 1);
    RecordQueueOpenResult opened;
    EXPECT_EQ(Reopened(store, &opened), Numbered(1, 4));
    EXPECT_EQ(opened.damaged + opened.tornTail, 0u);
}

TEST(RecordQueue, AFailedCompactionIsNotRetriedAtEveryRecord) {
    FakeRecordQueueStore store;
    RecordQueue queue(store, kLimit, /*compactAt=*/1);
    queue.Open();
    PushAll(queue, Numbered(1, 40));
    store.failReplaces = 1;
    for (int i = 0; i < 25; ++i) queue.Acknowledge(queue.Records().front().sequence);
    // The first chance failed; the next comes when twice as much is done.
    EXPECT_EQ(store.replaces, 0);
    while (store.replaces == 0 && !queue.Empty())
        queue.Acknowledge(queue.Records().front().sequence);
    EXPECT_EQ(store.replaces, 1);
    EXPECT_EQ(Reopened(store), Payloads(queue));
}

TEST(RecordQueue, AStoreThatCannotBeReadStartsEmptyWithItsReason) {
    FakeRecordQueueStore store;
    store.bytes = "whatever";
    store.failReads = 1;
    RecordQueue queue(store, kLimit);
    const RecordQueueOpenResult opened = queue.Open();
    EXPECT_FALSE(opened.read.ok);
    EXPECT_EQ(opened.read.error, "Input/output error");
    EXPECT_TRUE(queue.Empty());
}

}  // namespace
}  // namespace quorvane
