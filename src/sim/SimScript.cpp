#include "sim/SimScript.h"

#include <cstdio>

namespace quorvane::sim {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

bool Unescape(std::string_view text, std::string& bytes, std::string& error) {
    bytes.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            bytes += text[i];
            continue;
        }
        if (++i >= text.size()) {
            error = "a lone backslash ends the text";
            return false;
        }
        switch (text[i]) {
            case 'r': bytes += '\r'; break;
            case 'n': bytes += '\n'; break;
            case 't': bytes += '\t'; break;
            case '0': bytes += '\0'; break;
            case '\\': bytes += '\\'; break;
            case 'x': {
                const int hi = i + 1 < text.size() ? HexDigit(text[i + 1]) : -1;
                const int lo = i + 2 < text.size() ? HexDigit(text[i + 2]) : -1;
                if (hi < 0 || lo < 0) {
                    error = "\\x needs two hex digits";
                    return false;
                }
                bytes += static_cast<char>(hi * 16 + lo);
                i += 2;
                break;
            }
            default:
                error = std::string("unknown escape \\") + text[i];
                return false;
        }
    }
    return true;
}

std::string Escape(std::string_view bytes) {
    std::string out;
    for (char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
            case '\r': out += "\\r"; break;
            case '\n': out += "\\n"; break;
            case '\t': out += "\\t"; break;
            case '\0': out += "\\0"; break;
            case '\\': out += "\\\\"; break;
            default:
                if (u >= 32 && u < 127) {
                    out += c;
                } else {
                    char hex[8];
                    std::snprintf(hex, sizeof hex, "\\x%02X", u);
                    out += hex;
                }
        }
    }
    return out;
}

bool ParseTranscript(std::string_view text, SimScript& script, std::string& error) {
    script = SimScript{};
    size_t pos = 0;
    int lineNumber = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line[0] == '#') continue;
        if (line == "loop") {
            script.loop = true;
            continue;
        }
        size_t digits = 0;
        uint64_t delay = 0;
        while (digits < line.size() && line[digits] >= '0' && line[digits] <= '9') {
            delay = delay * 10 + static_cast<uint64_t>(line[digits] - '0');
            if (delay > 86400000) break;
            ++digits;
        }
        if (digits == 0 || digits >= line.size() || line[digits] != ' ' || delay > 86400000) {
            error = "line " + std::to_string(lineNumber) + ": expected <delay-ms> <bytes>";
            return false;
        }
        SimStep step;
        step.delayMs = static_cast<uint32_t>(delay);
        if (!Unescape(line.substr(digits + 1), step.bytes, error)) {
            error = "line " + std::to_string(lineNumber) + ": " + error;
            return false;
        }
        script.steps.push_back(std::move(step));
    }
    if (script.steps.empty()) {
        error = "the transcript sends nothing";
        return false;
    }
    return true;
}

std::string ProfileReading(std::string_view profile, uint64_t n) {
    char buffer[64];
    if (profile == "balance") {
        // A steady load with a small, repeating drift in the last digit.
        static const char* kReadings[] = {"+0012.50 g", "+0012.50 g", "+0012.51 g",
                                          "+0012.50 g", "+0012.49 g"};
        std::snprintf(buffer, sizeof buffer, "%s\r\n", kReadings[n % 5]);
        return buffer;
    }
    if (profile == "meter") {
        const int k = static_cast<int>(n % 10);
        std::snprintf(buffer, sizeof buffer, "%d.%d,%d.%02d,%d\r\n", 23, k, 7, k * 3, 1013 + k);
        return buffer;
    }
    if (profile == "caliper") {
        // A fixed-width reading in millimetres, sign first, ended by CR alone.
        static const char* kReadings[] = {"+0025.40", "+0025.41", "+0025.40", "+0025.39"};
        std::snprintf(buffer, sizeof buffer, "%s\r", kReadings[n % 4]);
        return buffer;
    }
    if (profile == "barcode") {
        // Codes of different lengths (EAN-13, UPC-A, EAN-8, a shelf label), each CR LF.
        static const char* kCodes[] = {"4006381333931", "036000291452", "73513537", "QV-10042"};
        std::snprintf(buffer, sizeof buffer, "%s\r\n", kCodes[n % 4]);
        return buffer;
    }
    return {};
}

bool BuiltInProfile(std::string_view name, SimScript& script) {
    script = SimScript{};
    if (name != "balance" && name != "meter" && name != "caliper" && name != "barcode")
        return false;
    script.profile = std::string(name);
    script.loop = true;
    script.steps.push_back({1000, {}});  // the reading itself comes from ProfileReading
    if (name == "balance") script.request = "?\r";
    return true;
}

bool RequestMatcher::Feed(char byte) {
    if (request_.empty()) return false;
    tail_ += byte;
    if (tail_.size() > request_.size()) tail_.erase(0, tail_.size() - request_.size());
    return tail_ == request_;
}

}  // namespace quorvane::sim
