// A read position in the bytes of a configuration file. The line part is read a line at a
// time (every line ends with CR LF); the texts of the block, and the inline texts of the
// older layout, are read as an exact number of bytes. Every read checks the bounds and fails
// instead of running past the end, so a damaged file can never be read out of bounds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quorvane {

class ConfigCursor {
  public:
    explicit ConfigCursor(std::string_view bytes) : bytes_(bytes) {}

    // The text up to the next CR LF, which is consumed. False at the end of the bytes or
    // when no CR LF follows (the file ended inside a line).
    bool ReadLine(std::string_view& line);
    // As ReadLine, but the last line of a file may also end at the end of the bytes (a lone
    // CR there is dropped). False only when nothing is left.
    bool ReadFinalLine(std::string_view& line);

    // Integer lines: blanks, an optional sign, decimal digits, blanks. False for anything
    // else (a word, an empty line) and for a value outside the setting's width.
    bool ReadInt16(int16_t& value);
    bool ReadInt32(int32_t& value);
    // A code line: an integer line holding 0..255, returned as that byte.
    bool ReadCode(char& byte);
    // A length line: a non-negative integer line; the length may not reach past the end of
    // the bytes that follow.
    bool ReadLength(size_t& length);
    // Exactly count bytes, CR, LF and NUL included.
    bool ReadBytes(size_t count, std::string& out);
    // A length line followed directly by that many bytes (older layout).
    bool ReadInlineText(std::string& out);

    size_t Position() const { return pos_; }
    void SeekTo(size_t position) { pos_ = position < bytes_.size() ? position : bytes_.size(); }
    bool AtEnd() const { return pos_ >= bytes_.size(); }

  private:
    bool ReadInteger(int64_t min, int64_t max, int64_t& value);

    std::string_view bytes_;
    size_t pos_ = 0;
};

// Parses an integer line's text; false unless it is blanks, optional sign, digits, blanks and
// the value lies in min..max.
bool ParseIntegerLine(std::string_view line, int64_t min, int64_t max, int64_t& value);

}  // namespace quorvane
