// Small pieces shared by the picture formatters.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quorvane {

// True when match(s, pos) holds at some position outside "quoted" literals and \x escapes.
template <typename Match>
bool AnyOutsideLiterals(std::string_view s, Match match) {
    for (size_t pos = 0; pos < s.size(); ++pos) {
        if (s[pos] == '"') {
            const size_t close = s.find('"', pos + 1);
            if (close == std::string_view::npos) return false;
            pos = close;
        } else if (s[pos] == '\\') {
            ++pos;
        } else if (match(s, pos)) {
            return true;
        }
    }
    return false;
}

// Appends v in decimal with at least minDigits digits (leading zeros).
inline void AppendUnsignedDigits(std::string& out, unsigned long long v, int minDigits) {
    char buffer[24];
    int n = 0;
    do {
        buffer[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v != 0);
    for (int i = n; i < minDigits; ++i) out += '0';
    while (n > 0) out += buffer[--n];
}

}  // namespace quorvane
