// A number as decimal digits, so that rounding works on the digits a user sees (1.005 rounds
// to 1.01) rather than on the binary value behind them.
#pragma once

#include <string>

namespace quorvane {

struct FormatDecimal {
    static constexpr int kMaxDigits = 24;
    // value = 0.d1 d2 ... dn * 10^pointPos; no trailing zeros; count 0 means zero.
    char digits[kMaxDigits] = {};
    int count = 0;
    int pointPos = 0;
    bool negative = false;

    // The value with significantDigits (15 for double, 7 for single) correctly rounded
    // digits. value must be finite.
    static FormatDecimal FromDouble(double value, int significantDigits = 15);

    bool IsZero() const { return count == 0; }
    // The digit at the position of 10^power (0 for positions without a digit).
    char DigitAt(int power) const {
        const int index = pointPos - 1 - power;
        return index >= 0 && index < count ? digits[index] : '0';
    }
    // Number of digits before the decimal point (at least 0).
    int IntegerDigits() const { return count == 0 || pointPos < 0 ? 0 : pointPos; }

    // Multiplies by 10^power (percent, thousands scaling) without touching the digits.
    void Shift(int power) {
        if (count != 0) pointPos += power;
    }
    // Rounds halves away from zero to the given number of fraction digits.
    void RoundToFraction(int fractionDigits);
    // Rounds halves away from zero to the given number of significant digits (at least 1).
    void RoundToSignificant(int significant);

  private:
    void RoundAtIndex(int keep);
    void Trim();
};

// Appends the integer part of d with at least minDigits digits; groupSize > 0 puts
// separator between groups of that many digits.
void AppendIntegerDigits(std::string& out, const FormatDecimal& d, int minDigits, char separator,
                         int groupSize);
// Appends exactly fractionDigits digits of the fraction of d (already rounded).
void AppendFractionDigits(std::string& out, const FormatDecimal& d, int fractionDigits);

}  // namespace quorvane
