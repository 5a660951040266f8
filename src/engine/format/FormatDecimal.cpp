#include "engine/format/FormatDecimal.h"

#include <cfloat>
#include <charconv>
#include <cmath>

namespace quorvane {

FormatDecimal FormatDecimal::FromDouble(double value, int significantDigits) {
    FormatDecimal d;
    if (value == 0 || !std::isfinite(value)) return d;
    if (significantDigits < 1) significantDigits = 1;
    if (significantDigits > 17) significantDigits = 17;
    d.negative = value < 0;
    // Scientific notation "d.ddddde+XX". The shortest form that reads back is cheap, and when
    // it has no more digits than asked for it is also the correctly rounded one (a normal
    // binary value is closer to it than half a unit of the last digit asked for).
    char buffer[48];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                std::chars_format::scientific);
    int shortest = 0;
    for (const char* p = buffer; p < result.ptr && *p != 'e'; ++p) shortest += *p != '.';
    // Subnormal numbers are too coarse for that: there the rounded form is needed.
    if (shortest > significantDigits || std::fabs(value) < DBL_MIN) {
        result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                               std::chars_format::scientific, significantDigits - 1);
    }
    const char* p = buffer;
    const char* end = result.ptr;
    while (p < end && *p != 'e') {
        if (*p >= '0' && *p <= '9') d.digits[d.count++] = *p;
        ++p;
    }
    int exponent = 0;
    if (p < end) std::from_chars(p + 1 + (p[1] == '+' ? 1 : 0), end, exponent);
    d.pointPos = exponent + 1;
    d.Trim();
    return d;
}

void FormatDecimal::Trim() {
    while (count > 0 && digits[count - 1] == '0') --count;
    if (count == 0) {
        pointPos = 0;
        return;
    }
    int lead = 0;
    while (lead < count && digits[lead] == '0') ++lead;
    if (lead > 0) {
        for (int i = lead; i < count; ++i) digits[i - lead] = digits[i];
        count -= lead;
        pointPos -= lead;
    }
}

void FormatDecimal::RoundAtIndex(int keep) {
    if (keep >= count) return;
    if (keep < 0) {
        count = 0;
        pointPos = 0;
        return;
    }
    const bool up = digits[keep] >= '5';
    count = keep;
    if (up) {
        int i = keep - 1;
        while (i >= 0 && digits[i] == '9') {
            digits[i] = '0';
            --i;
        }
        if (i >= 0) {
            ++digits[i];
        } else {
            // All nines (or nothing kept): the value becomes the next power of ten.
            digits[0] = '1';
            count = 1;
            ++pointPos;
        }
    }
    Trim();
}

void FormatDecimal::RoundToFraction(int fractionDigits) {
    if (count == 0) return;
    // Rounding far left of the first digit gives zero; keep the index in range.
    const long keep = static_cast<long>(pointPos) + fractionDigits;
    RoundAtIndex(keep < -1 ? -1 : (keep > kMaxDigits ? kMaxDigits : static_cast<int>(keep)));
}

void FormatDecimal::RoundToSignificant(int significant) {
    if (count == 0) return;
    RoundAtIndex(significant < 1 ? 1 : significant);
}

void AppendIntegerDigits(std::string& out, const FormatDecimal& d, int minDigits, char separator,
                         int groupSize) {
    int n = d.IntegerDigits();
    if (n < minDigits) n = minDigits;
    for (int power = n - 1; power >= 0; --power) {
        out += d.DigitAt(power);
        if (groupSize > 0 && power > 0 && power % groupSize == 0) out += separator;
    }
}

void AppendFractionDigits(std::string& out, const FormatDecimal& d, int fractionDigits) {
    for (int i = 1; i <= fractionDigits; ++i) out += d.DigitAt(-i);
}

}  // namespace quorvane
