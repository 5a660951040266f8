// Letter case of the ASCII letters only: for the names the program itself defines (command
// words, item names, key names, function and format names, pictures) and for code-page text
// whose other bytes must stay as they are (they may be lead bytes of a double-byte code
// page). Where the user's own letters must match in any case (window captions), CaptionText
// applies the code page's rules instead.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quorvane {

constexpr char AsciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
constexpr char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string AsciiUpperCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = AsciiUpper(c);
    return out;
}
inline std::string AsciiLowerCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = AsciiLower(c);
    return out;
}

constexpr bool AsciiEqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
    }
    return true;
}

// True when text holds word at pos, in any ASCII letter case.
constexpr bool AsciiStartsWithNoCase(std::string_view text, size_t pos, std::string_view word) {
    return pos <= text.size() && text.size() - pos >= word.size() &&
           AsciiEqualsNoCase(text.substr(pos, word.size()), word);
}

}  // namespace quorvane
