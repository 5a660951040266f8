// The byte format of a record queue: a sequence of entries, each
//   offset  size
//    0       4   magic "QVQ1"
//    4       1   kind: 1 a record, 2 a head mark (every record up to sequence is done)
//    5       3   zero
//    8       8   sequence, little-endian
//   16       4   payload length n, little-endian
//   20       4   CRC-32 of bytes 0..19, little-endian
//   24       n   payload
//   24+n     4   CRC-32 of the payload, little-endian
// The header has a checksum of its own so that a damaged length is never followed: a reader
// that meets a bad header looks for the next good one instead.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

enum class QueueEntryKind : uint8_t { Record = 1, HeadMark = 2 };

inline constexpr size_t kQueueHeaderBytes = 24;
inline constexpr size_t kQueueEntryOverhead = kQueueHeaderBytes + 4;
// No payload is larger: a header that claims more is taken for damage.
inline constexpr uint32_t kQueueMaxPayload = 1u << 30;

// CRC-32 (the polynomial of zlib and Ethernet).
uint32_t Crc32(std::string_view bytes);

// Appends one entry; payload must not be longer than kQueueMaxPayload.
void AppendQueueEntry(std::string& out, QueueEntryKind kind, uint64_t sequence,
                      std::string_view payload);

struct QueueEntry {
    QueueEntryKind kind = QueueEntryKind::Record;
    uint64_t sequence = 0;
    std::string payload;
};

struct QueueScan {
    std::vector<QueueEntry> entries;  // the good ones, in file order
    // Stretches that could not be read and lie before a good entry: each is counted once,
    // whether it held one entry or several.
    size_t damaged = 0;
    // The bytes after the last good entry that are not a whole entry: a write cut short.
    uint64_t tornBytes = 0;
};

QueueScan ScanQueueEntries(std::string_view bytes);

}  // namespace quorvane
