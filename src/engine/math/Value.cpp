#include "engine/math/Value.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace quorvane {

std::string NumberToText(double number, const LocaleInfo& locale, int significantDigits) {
    if (number == 0) return "0";  // also turns -0 into 0
    if (std::isnan(number)) return "NaN";
    if (std::isinf(number)) return number > 0 ? "Infinity" : "-Infinity";
    // %G switches to exponent notation below 1E-04 and from 1E+<digits>, and strips trailing
    // zeros: the same shape as the classic text form of a number.
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*G", significantDigits, number);
    std::string text(buffer);
    // The C library may write the process locale's decimal point: put the configured one in.
    for (char& c : text) {
        if (c == '.' || c == ',') c = locale.DecimalSeparator;
    }
    return text;
}

std::string ValueToText(const Value& value, const LocaleInfo& locale) {
    switch (value.kind) {
        case Value::Kind::Empty:
            return {};
        case Value::Kind::Text:
            return value.text;
        case Value::Kind::Bool:
            return value.number != 0 ? "True" : "False";
        case Value::Kind::Int16:
            return std::to_string(static_cast<int>(value.number));
        case Value::Kind::Single:
            return NumberToText(value.number, locale, 7);
        case Value::Kind::Double:
        case Value::Kind::Date:
            return NumberToText(value.number, locale, 15);
    }
    return {};
}

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool ParseRadix(std::string_view digits, int base, double& out) {
    if (digits.empty() || digits.size() > (base == 16 ? 8u : 11u)) return false;
    uint64_t v = 0;
    for (char c : digits) {
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return false;
        if (d >= base) return false;
        v = v * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
    }
    if (v > 0xFFFFFFFFull) return false;
    // Up to four hex digits (six octal, at most 177777) are a 16-bit value, longer ones 32-bit.
    if (v <= 0xFFFF && digits.size() <= (base == 16 ? 4u : 6u)) {
        out = static_cast<int16_t>(static_cast<uint16_t>(v));
    } else {
        out = static_cast<int32_t>(static_cast<uint32_t>(v));
    }
    return true;
}

// The power of ten of the leading digit of a number in C notation, roughly; saturates.
long long DecimalMagnitude(std::string_view text) {
    size_t i = (text[0] == '-' || text[0] == '+') ? 1 : 0;
    long long magnitude = 0;
    bool significant = false;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (text[i] != '0') significant = true;
        if (significant) ++magnitude;
    }
    if (i < text.size() && text[i] == '.') {
        for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
            if (significant) continue;
            if (text[i] != '0')
                significant = true;
            else
                --magnitude;
        }
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        const bool negative = i < text.size() && text[i] == '-';
        if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
        long long exponent = 0;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
            if (exponent < 1000000000) exponent = exponent * 10 + (text[i] - '0');
        }
        magnitude += negative ? -exponent : exponent;
    }
    return magnitude;
}

}  // namespace

bool ParseLocaleNumber(std::string_view text, const LocaleInfo& locale, double& out) {
    size_t begin = 0, end = text.size();
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;
    std::string_view s = text.substr(begin, end - begin);
    if (s.empty()) return false;
    if (s.size() > 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h'))
        return ParseRadix(s.substr(2), 16, out);
    if (s.size() > 2 && s[0] == '&' && (s[1] == 'O' || s[1] == 'o'))
        return ParseRadix(s.substr(2), 8, out);

    std::string normal;  // the number in C notation for strtod
    size_t i = 0;
    if (s[i] == '+' || s[i] == '-') {
        if (s[i] == '-') normal += '-';
        ++i;
        while (i < s.size() && s[i] == ' ') ++i;
    }
    bool digits = false, point = false;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (c >= '0' && c <= '9') {
            normal += c;
            digits = true;
        } else if (c == locale.DecimalSeparator && !point) {
            normal += '.';
            point = true;
        } else if (c == locale.ThousandsSeparator && !point && digits) {
            // A separator must be followed by a whole group of digits: read loosely, the
            // other locale's "12.5" would silently become 125.
            size_t group = 0;
            while (i + 1 + group < s.size() && s[i + 1 + group] >= '0' && s[i + 1 + group] <= '9')
                ++group;
            if (static_cast<int>(group) != locale.GroupSize) return false;
        } else {
            break;
        }
    }
    if (!digits) return false;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
        normal += 'e';
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) normal += s[i++];
        const size_t expStart = i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') normal += s[i++];
        if (i == expStart) return false;
    }
    if (i != s.size()) return false;
    return DecimalTextToDouble(normal, out);
}

bool DecimalTextToDouble(std::string_view text, double& out) {
    const char* const end = text.data() + text.size();
    double v = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), end, v);
    if (ptr != end) return false;
    if (ec == std::errc::result_out_of_range) {
        // from_chars leaves v alone both on overflow and underflow: tell them apart by the
        // decimal magnitude, which is far from 0 either way.
        if (DecimalMagnitude(text) < 0) {
            out = text[0] == '-' ? -0.0 : 0.0;
            return true;
        }
        return false;
    }
    if (ec != std::errc() || std::isinf(v)) return false;
    out = v;
    return true;
}

}  // namespace quorvane
