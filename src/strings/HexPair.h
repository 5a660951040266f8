// The byte written as two hexadecimal digits (either case), as escapes in names and topic
// levels write it ("%2F", "_2E").
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace quorvane {

constexpr int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The byte of the two digits at text[at] and text[at + 1]; nothing when either is missing or
// not a hexadecimal digit.
constexpr std::optional<char> HexPairAt(std::string_view text, size_t at) {
    if (at + 1 >= text.size()) return std::nullopt;
    const int high = HexDigitValue(text[at]), low = HexDigitValue(text[at + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    return static_cast<char>(high * 16 + low);
}

}  // namespace quorvane
