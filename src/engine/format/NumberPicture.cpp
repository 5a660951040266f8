#include "engine/format/NumberPicture.h"

#include "engine/format/FormatScan.h"

namespace quorvane {

namespace {

enum class TokenKind { Literal, Digit, Point, Comma, Percent, Exponent };

struct Token {
    TokenKind kind = TokenKind::Literal;
    std::string_view text;  // literal text, or the marker's own characters
};

// Reads the token at pos and advances pos past it.
Token NextToken(std::string_view s, size_t& pos) {
    const char c = s[pos];
    Token t;
    if (c == '"') {
        const size_t close = s.find('"', pos + 1);
        const size_t end = close == std::string_view::npos ? s.size() : close;
        t.text = s.substr(pos + 1, end - pos - 1);
        pos = close == std::string_view::npos ? s.size() : close + 1;
        return t;
    }
    if (c == '\\') {
        t.text = s.substr(pos + 1, pos + 1 < s.size() ? 1 : 0);
        pos += pos + 1 < s.size() ? 2 : 1;
        return t;
    }
    if ((c == 'E' || c == 'e') && pos + 1 < s.size() && (s[pos + 1] == '+' || s[pos + 1] == '-')) {
        t.kind = TokenKind::Exponent;
        t.text = s.substr(pos, 2);
        pos += 2;
        return t;
    }
    t.text = s.substr(pos, 1);
    ++pos;
    switch (c) {
        case '0':
        case '#':
            t.kind = TokenKind::Digit;
            break;
        case '.':
            t.kind = TokenKind::Point;
            break;
        case ',':
            t.kind = TokenKind::Comma;
            break;
        case '%':
            t.kind = TokenKind::Percent;
            break;
        default:
            break;
    }
    return t;
}

enum Part { kInteger, kFraction, kExponent };

}  // namespace

// The picture's counts decide rounding before anything is written: one pass here, and the same
// walk again in Render with the first point and the first exponent marker taken as such.
NumberPicture::NumberPicture(std::string_view section) : section_(section) {
    int part = kInteger;
    int pendingCommas = 0;
    int firstZero = -1;
    size_t pos = 0;
    while (pos < section.size()) {
        const Token t = NextToken(section, pos);
        switch (t.kind) {
            case TokenKind::Digit:
                if (part == kInteger) {
                    if (pendingCommas > 0) grouping_ = true;
                    pendingCommas = 0;
                    if (t.text[0] == '0' && firstZero < 0) firstZero = intPlaces_;
                    ++intPlaces_;
                } else if (part == kFraction) {
                    ++fracPlaces_;
                    if (t.text[0] == '0') fracRequired_ = fracPlaces_;
                } else {
                    ++expPlaces_;
                    if (t.text[0] == '0') ++expRequired_;
                }
                break;
            case TokenKind::Point:
                if (part == kInteger) {
                    scale_ += pendingCommas;
                    pendingCommas = 0;
                    part = kFraction;
                }
                break;
            case TokenKind::Comma:
                if (part == kInteger && intPlaces_ > 0) ++pendingCommas;
                break;
            case TokenKind::Percent:
                ++percent_;
                break;
            case TokenKind::Exponent:
                if (!exponent_ && intPlaces_ + fracPlaces_ > 0) {
                    exponent_ = true;
                    if (part == kInteger) scale_ += pendingCommas;
                    pendingCommas = 0;
                    part = kExponent;
                }
                break;
            case TokenKind::Literal:
                break;
        }
    }
    if (part == kInteger) scale_ += pendingCommas;
    intRequired_ = firstZero >= 0 ? intPlaces_ - firstZero : 0;
}

FormatDecimal NumberPicture::Prepare(FormatDecimal value, int& exponent) const {
    exponent = 0;
    value.Shift(2 * percent_ - 3 * scale_);
    if (!exponent_) {
        value.RoundToFraction(fracPlaces_);
        return value;
    }
    if (value.IsZero()) return value;
    value.RoundToSignificant(intPlaces_ + fracPlaces_ > 0 ? intPlaces_ + fracPlaces_ : 1);
    exponent = value.pointPos - intPlaces_;
    value.Shift(-exponent);
    return value;
}

void NumberPicture::Render(const FormatDecimal& prepared, int exponent, bool minus,
                           const LocaleInfo& locale, std::string& out) const {
    if (minus) out += '-';
    const int group = grouping_ && !exponent_ ? locale.GroupSize : 0;
    const int integerDigits = prepared.IntegerDigits();
    const int shownIntegers = integerDigits > intRequired_ ? integerDigits : intRequired_;
    const int significantFraction =
        prepared.count > prepared.pointPos ? prepared.count - prepared.pointPos : 0;
    auto emitInteger = [&](int power) {
        out += prepared.DigitAt(power);
        if (group > 0 && power > 0 && power % group == 0) out += locale.ThousandsSeparator;
    };

    int part = kInteger;
    int intIndex = 0, fracIndex = 0;
    bool exponentWritten = false;
    size_t pos = 0;
    while (pos < section_.size()) {
        const Token t = NextToken(section_, pos);
        switch (t.kind) {
            case TokenKind::Digit:
                if (part == kInteger) {
                    const int power = intPlaces_ - 1 - intIndex;
                    // Digits beyond the placeholders all go where the first one stands.
                    if (intIndex == 0) {
                        for (int p = shownIntegers - 1; p > power; --p) emitInteger(p);
                    }
                    if (power < shownIntegers) emitInteger(power);
                    ++intIndex;
                } else if (part == kFraction) {
                    ++fracIndex;
                    if (fracIndex <= fracRequired_ || fracIndex <= significantFraction) {
                        out += prepared.DigitAt(-fracIndex);
                    }
                } else if (!exponentWritten) {
                    const long long e = exponent < 0 ? -static_cast<long long>(exponent)
                                                     : static_cast<long long>(exponent);
                    AppendUnsignedDigits(out, static_cast<unsigned long long>(e),
                                         expRequired_ > 0 ? expRequired_ : 1);
                    exponentWritten = true;
                }
                break;
            case TokenKind::Point:
                if (part == kInteger) {
                    // A picture like ".00" still shows the integer digits of 12.5.
                    if (intPlaces_ == 0) {
                        for (int p = integerDigits - 1; p >= 0; --p) emitInteger(p);
                    }
                    out += locale.DecimalSeparator;
                    part = kFraction;
                } else {
                    out += '.';
                }
                break;
            case TokenKind::Comma:
                break;
            case TokenKind::Percent:
                out += '%';
                break;
            case TokenKind::Exponent:
                if (exponent_ && part != kExponent && intIndex + fracIndex > 0) {
                    out += t.text[0];
                    if (exponent < 0) {
                        out += '-';
                    } else if (t.text[1] == '+') {
                        out += '+';
                    }
                    part = kExponent;
                } else {
                    out += t.text;
                }
                break;
            case TokenKind::Literal:
                out += t.text;
                break;
        }
    }
}

}  // namespace quorvane
