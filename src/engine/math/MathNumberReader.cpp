#include "engine/math/MathNumberReader.h"

#include <cstdint>
#include <string>

#include "engine/math/Value.h"

namespace quorvane {

namespace {

// Walks a text for ReadLeadingNumber, skipping the blanks it ignores.
class BlankSkipper {
  public:
    explicit BlankSkipper(std::string_view text) : text_(text) {}
    char Peek() {
        while (pos_ < text_.size() &&
               (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\n')) {
            ++pos_;
        }
        return pos_ < text_.size() ? text_[pos_] : '\0';
    }
    bool AtEnd() {
        Peek();
        return pos_ >= text_.size();
    }
    void Skip() { ++pos_; }

  private:
    std::string_view text_;
    size_t pos_ = 0;
};

int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 99;
}

// Reads digits of base up to the first other character; false beyond 32 bits.
bool ReadDigits(BlankSkipper& in, int base, uint64_t& v) {
    v = 0;
    while (!in.AtEnd() && DigitValue(in.Peek()) < base) {
        v = v * static_cast<uint64_t>(base) + static_cast<uint64_t>(DigitValue(in.Peek()));
        if (v > 0xFFFFFFFFull) return false;
        in.Skip();
    }
    return true;
}

bool ReadRadix(BlankSkipper& in, int base, double& out) {
    uint64_t v;
    if (!ReadDigits(in, base, v)) return false;
    const bool longSuffix = !in.AtEnd() && in.Peek() == '&';
    if (v <= 0xFFFF && !longSuffix) {
        out = static_cast<int16_t>(static_cast<uint16_t>(v));
    } else {
        out = static_cast<int32_t>(static_cast<uint32_t>(v));
    }
    return true;
}

}  // namespace

bool ReadHexNumber32(std::string_view text, double& out) {
    BlankSkipper in(text);
    uint64_t v;
    if (!ReadDigits(in, 16, v)) return false;
    out = static_cast<int32_t>(static_cast<uint32_t>(v));
    return true;
}

bool ReadLeadingNumber(std::string_view text, double& out) {
    BlankSkipper in(text);
    out = 0;
    if (in.AtEnd()) return true;
    if (in.Peek() == '&') {
        in.Skip();
        const char c = in.AtEnd() ? '\0' : in.Peek();
        if (c == 'H' || c == 'h' || c == 'O' || c == 'o') {
            in.Skip();
            return ReadRadix(in, (c == 'H' || c == 'h') ? 16 : 8, out);
        }
        return true;
    }
    std::string normal;  // the number read so far in C notation
    if (in.Peek() == '-' || in.Peek() == '+') {
        if (in.Peek() == '-') normal += '-';
        in.Skip();
    }
    bool digits = false;
    auto takeDigits = [&] {
        while (!in.AtEnd() && in.Peek() >= '0' && in.Peek() <= '9') {
            normal += in.Peek();
            in.Skip();
            digits = true;
        }
    };
    takeDigits();
    if (!in.AtEnd() && in.Peek() == '.') {
        normal += '.';
        in.Skip();
        takeDigits();
    }
    if (!digits) return true;
    const char e = in.AtEnd() ? '\0' : in.Peek();
    if (e == 'E' || e == 'e' || e == 'D' || e == 'd') {
        in.Skip();
        std::string exponent = "e";
        if (!in.AtEnd() && (in.Peek() == '-' || in.Peek() == '+')) {
            exponent += in.Peek();
            in.Skip();
        }
        const size_t before = exponent.size();
        while (!in.AtEnd() && in.Peek() >= '0' && in.Peek() <= '9') {
            exponent += in.Peek();
            in.Skip();
        }
        if (exponent.size() > before) normal += exponent;
    }
    if (!DecimalTextToDouble(normal, out)) return false;
    if (out == 0) out = 0;  // "-0" reads as 0
    return true;
}

}  // namespace quorvane
