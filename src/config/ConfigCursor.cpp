#include "config/ConfigCursor.h"

#include <limits>

namespace quorvane {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

bool ParseIntegerLine(std::string_view line, int64_t min, int64_t max, int64_t& value) {
    size_t i = 0;
    while (i < line.size() && IsBlank(line[i])) ++i;
    bool negative = false;
    if (i < line.size() && (line[i] == '-' || line[i] == '+')) {
        negative = line[i] == '-';
        ++i;
    }
    const size_t firstDigit = i;
    int64_t magnitude = 0;
    // Any value past this bound is out of every setting's range; stopping there keeps a line
    // of a thousand digits from overflowing.
    constexpr int64_t kCap = int64_t{1} << 40;
    while (i < line.size() && line[i] >= '0' && line[i] <= '9') {
        if (magnitude < kCap) magnitude = magnitude * 10 + (line[i] - '0');
        ++i;
    }
    if (i == firstDigit) return false;
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i != line.size()) return false;
    const int64_t v = negative ? -magnitude : magnitude;
    if (v < min || v > max) return false;
    value = v;
    return true;
}

bool ConfigCursor::ReadLine(std::string_view& line) {
    if (pos_ >= bytes_.size()) return false;
    const size_t end = bytes_.find("\r\n", pos_);
    if (end == std::string_view::npos) return false;
    line = bytes_.substr(pos_, end - pos_);
    pos_ = end + 2;
    return true;
}

bool ConfigCursor::ReadFinalLine(std::string_view& line) {
    if (pos_ >= bytes_.size()) return false;
    if (ReadLine(line)) return true;
    line = bytes_.substr(pos_);
    // A file cut inside the final CR LF leaves a lone CR, which is not part of the text.
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    pos_ = bytes_.size();
    return true;
}

bool ConfigCursor::ReadInteger(int64_t min, int64_t max, int64_t& value) {
    std::string_view line;
    return ReadLine(line) && ParseIntegerLine(line, min, max, value);
}

bool ConfigCursor::ReadInt16(int16_t& value) {
    int64_t v = 0;
    if (!ReadInteger(std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max(), v)) {
        return false;
    }
    value = static_cast<int16_t>(v);
    return true;
}

bool ConfigCursor::ReadInt32(int32_t& value) {
    int64_t v = 0;
    if (!ReadInteger(std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), v)) {
        return false;
    }
    value = static_cast<int32_t>(v);
    return true;
}

bool ConfigCursor::ReadCode(char& byte) {
    int64_t v = 0;
    if (!ReadInteger(0, 255, v)) return false;
    byte = static_cast<char>(static_cast<unsigned char>(v));
    return true;
}

bool ConfigCursor::ReadLength(size_t& length) {
    int64_t v = 0;
    if (!ReadInteger(0, std::numeric_limits<int32_t>::max(), v)) return false;
    // A length can never exceed what is left of the file; checking here rejects a damaged
    // length before anything tries to hold that many bytes.
    if (static_cast<uint64_t>(v) > bytes_.size() - pos_) return false;
    length = static_cast<size_t>(v);
    return true;
}

bool ConfigCursor::ReadBytes(size_t count, std::string& out) {
    if (count > bytes_.size() - pos_) return false;
    out.assign(bytes_.substr(pos_, count));
    pos_ += count;
    return true;
}

bool ConfigCursor::ReadInlineText(std::string& out) {
    size_t length = 0;
    return ReadLength(length) && ReadBytes(length, out);
}

}  // namespace quorvane
