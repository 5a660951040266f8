#include "mqtt/RecordQueueFormat.h"

#include <array>
#include <cstring>

namespace quorvane {

namespace {

constexpr char kMagic[4] = {'Q', 'V', 'Q', '1'};

constexpr std::array<uint32_t, 256> MakeCrcTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}
constexpr std::array<uint32_t, 256> kCrcTable = MakeCrcTable();

void PutLe(std::string& out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

uint64_t GetLe(std::string_view bytes, size_t at, int count) {
    uint64_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<size_t>(i)]);
    return value;
}

// The header at pos, when it is whole, its checksum holds and it says something sensible.
bool GoodHeader(std::string_view bytes, size_t pos, QueueEntryKind& kind, uint64_t& sequence,
                uint32_t& length) {
    if (bytes.size() - pos < kQueueHeaderBytes) return false;
    const std::string_view header = bytes.substr(pos, kQueueHeaderBytes);
    if (std::memcmp(header.data(), kMagic, 4) != 0) return false;
    if (Crc32(header.substr(0, 20)) != GetLe(header, 20, 4)) return false;
    const auto k = static_cast<unsigned char>(header[4]);
    if (k != 1 && k != 2) return false;
    kind = static_cast<QueueEntryKind>(k);
    sequence = GetLe(header, 8, 8);
    length = static_cast<uint32_t>(GetLe(header, 16, 4));
    return length <= kQueueMaxPayload;
}

}  // namespace

uint32_t Crc32(std::string_view bytes) {
    uint32_t c = 0xFFFFFFFFu;
    for (char ch : bytes) c = kCrcTable[(c ^ static_cast<unsigned char>(ch)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void AppendQueueEntry(std::string& out, QueueEntryKind kind, uint64_t sequence,
                      std::string_view payload) {
    const size_t start = out.size();
    out.append(kMagic, 4);
    out += static_cast<char>(kind);
    out.append(3, '\0');
    PutLe(out, sequence, 8);
    PutLe(out, payload.size(), 4);
    PutLe(out, Crc32(std::string_view(out).substr(start, 20)), 4);
    out += payload;
    PutLe(out, Crc32(payload), 4);
}

QueueScan ScanQueueEntries(std::string_view bytes) {
    QueueScan scan;
    size_t pos = 0;
    size_t placedEnd = 0;   // the end of the last entry whose header held
    bool inDamage = false;  // between a bad spot and the next good header
    while (pos < bytes.size()) {
        QueueEntryKind kind{};
        uint64_t sequence = 0;
        uint32_t length = 0;
        if (!GoodHeader(bytes, pos, kind, sequence, length)) {
            inDamage = true;
            ++pos;
            continue;
        }
        const uint64_t total = uint64_t{kQueueEntryOverhead} + length;
        // A good header whose entry runs past the end: the last write was cut short.
        if (total > bytes.size() - pos) break;
        if (inDamage) {
            ++scan.damaged;
            inDamage = false;
        }
        const std::string_view payload = bytes.substr(pos + kQueueHeaderBytes, length);
        if (Crc32(payload) == GetLe(bytes, pos + kQueueHeaderBytes + length, 4)) {
            scan.entries.push_back({kind, sequence, std::string(payload)});
        } else {
            ++scan.damaged;  // the header holds, so the entry's end is known
        }
        pos += static_cast<size_t>(total);
        placedEnd = pos;
    }
    // Bad bytes with no good header after them are taken for a cut write as well: a power
    // loss can leave zeros or old blocks at the end of a file.
    scan.tornBytes = bytes.size() - placedEnd;
    return scan;
}

}  // namespace quorvane
