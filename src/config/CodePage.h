// Byte strings of a single-byte code page to and from UTF-8. Windows-1252 is the default
// (configuration files are written on Windows). Every byte 0..255 round-trips: the five codes
// that Windows-1252 leaves undefined (0x81 0x8D 0x8F 0x90 0x9D) map to the C1 control
// characters of the same number, so nothing is lost on the way out and back.
#pragma once

#include <string>
#include <string_view>

namespace quorvane {

class CodePage {
public:
    // The Unicode code point of a byte.
    static char32_t ToUnicode(unsigned char byte);
    // The byte of a code point; false when the code page has no such character.
    static bool FromUnicode(char32_t codePoint, unsigned char& byte);

    // Bytes to UTF-8.
    static std::string ToUtf8(std::string_view bytes);
    // UTF-8 to bytes. A character the code page lacks, or a malformed sequence, becomes
    // replacement ('?' by default) and clears *lossless when it is given.
    static std::string FromUtf8(std::string_view utf8, bool* lossless = nullptr,
                                char replacement = '?');
};

// Appends the UTF-8 form of a code point.
void AppendUtf8(std::string& out, char32_t codePoint);
// Decodes one UTF-8 sequence at text[pos], advancing pos; false (pos advanced by one) when
// the bytes there are not a well-formed sequence.
bool DecodeUtf8(std::string_view text, size_t& pos, char32_t& codePoint);

}  // namespace quorvane
